#include "messaging/case_as_read.h"

#include "records/layouts.h"

namespace messaging {

void AddCaseAsRead(CommonLibrary& lib, RequestMessage& request, const records::Recordset& cases) {
    const DTDPtr dtd = lib.messageService->NewDTD();
    dtd->SetDTDName(std::string(records::kLayoutBankruptcy));
    dtd->Recordset()->SetLockType(records::LockType::BatchOptimistic);
    dtd->OpenRecordset();
    dtd->AddRow();
    const records::RecordsetPtr out = dtd->Recordset();
    for (int f = 0; f < out->FieldCount(); ++f) {
        const std::string& name = out->Field(f).name;
        if (cases.HasField(name)) out->Set(f, cases.OriginalValue(name));
    }
    // Nothing was pending when the row was read.
    out->Set("ACTION", records::Value::Null());
    out->Set("Theme", records::Value::Null());
    dtd->FinishRows();
    request.AddPart(kCaseAsReadPart, dtd);
}

}  // namespace messaging
