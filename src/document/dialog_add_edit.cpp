// Adding and editing a case: the checks before the add/update dialog opens, the filtered clones
// it works on, the case grid rebuilt afterwards, and settling the rows that a request took out
// of the record sets.

#include <memory>
#include <optional>
#include <vector>

#include <QObject>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "document/case_filters.h"
#include "document/korva_bankruptcy.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"
#include "records/value_rules.h"

namespace {

constexpr int kAdd = 0;
constexpr int kEdit = 5;

bool numeric(const std::string& text) {
    return records::IsNumeric(records::Value(records::Trim(text)));
}

}  // namespace

void KORVA_Bankruptcy::DoDialogAddEditBankruptcy(int Index) {
    const char* source = "KORVA_Bankruptcy.DoDialogAddEditBankruptcy";
    platform::DataGrid* caseGrid = ui.mSdgBankruptcy[FILINGS];
    std::unique_ptr<frmBankruptcyAddUpdate> dialog;  // the one owner; mFrmAddBankruptcy observes it
    records::RecordsetPtr clone;
    records::Trap(sink(), source, [&] {
        auto refuse = [&](const char* text) {
            mInteraction->MsgBox(text, platform::MsgButtons::OK, platform::MsgIcon::Exclamation,
                                 mLib.globalServices->GetMessageTitle());
        };
        if (Index == kAdd) {
            if (!numeric(udtCustomer.CustID))
                return refuse("No Customer chosen to add a New Bankruptcy to.");
            if (!numeric(udtCustomer.AsgnOfficerID))
                return refuse("No Officer Number chosen to be Assigned to the New Bankruptcy");
            if (ui.mSdgBankruptcy[ars]->SelBookmarks().Count() < 1)
                return refuse("No Accounts selected to belong in the New Bankruptcy");
        } else if (Index == kEdit) {
            if (!numeric(udtCustomer.CustID))
                return refuse("No Customer chosen to Edit a Bankruptcy to.");
        } else {
            return;
        }

        const std::optional<records::Bookmark> firstRow = caseGrid->FirstRow();
        const std::optional<records::Bookmark> currentRow = caseGrid->Bookmark();

        dialog = std::make_unique<frmBankruptcyAddUpdate>(mLib, mInteraction, this);
        mFrmAddBankruptcy = dialog.get();
        dialog->SetCustomerRecord(udtCustomer);
        QObject::connect(dialog.get(), &frmBankruptcyAddUpdate::SentMessage, this,
                         &KORVA_Bankruptcy::mFrmAddBankruptcy_SentMessage);

        if (!rsBankruptcyCase) rsBankruptcyCase = records::NewBankruptcyCaseRS(sink());
        if (!rsAccntRecv) rsAccntRecv = records::NewAccntRecvRS(sink());

        // The dialog adds when its record set stands after the customer's last case.
        clone = rsBankruptcyCase->Clone();
        if (Index == kEdit) {
            clone->SetFilter(document::CaseRowsFilter(udtCustomer));
            if (clone->RecordCount() > 0) clone->MoveFirst();
        } else {
            clone->SetFilter(document::CustomerRowsFilter(udtCustomer));
            if (clone->RecordCount() > 0) {
                clone->MoveLast();
                clone->MoveNext();
            }
        }
        dialog->SetRecordset(clone);

        const std::vector<records::Bookmark> chosen =
            ui.mSdgBankruptcy[ars]->SelBookmarks().items();
        if (chosen.empty() || Index == kEdit) {
            dialog->SetRecordsetAR(nullptr);
        } else {
            const records::RecordsetPtr receivables = rsAccntRecv->Clone();
            receivables->SetSort(mStrARSortOrder);
            receivables->SetFilter(chosen);
            if (receivables->RecordCount() > 0) receivables->MoveFirst();
            dialog->SetRecordsetAR(receivables);
        }

        dialog->raise();
        if (!showModal(*dialog)) return;
        udtCustomer = dialog->CustomerRecord();
        doEvents();

        // The case grid again, over the case record set as it is now.
        caseGrid->SetRedraw(false);
        caseGrid->SetBatchUpdate(rsBankruptcyCase->IsBatchOptimistic());
        caseGrid->Refresh();
        caseGrid->ReBind();
        const records::RecordsetPtr shown = rsBankruptcyCase->Clone();
        caseGrid->SetDataSource(shown);
        mSdgBankruptcy_InitColumnProps(FILINGS);
        if (currentRow) {
            shown->SetBookmark(*currentRow);
            caseGrid->SetBookmark(*currentRow);
            caseGrid->SelBookmarks().Add(*currentRow);
        }
        if (firstRow) caseGrid->SetFirstRow(*firstRow);
        caseGrid->SetRedraw(true);
        caseGrid->Refresh();
        caseGrid->ReBind();

        dialog->Unload();
        dialog.reset();
        doEvents();
        caseGrid->Refresh();
        caseGrid->ReBind();
    });
    // Whatever happened: drawing on, the dialog gone, its clone closed.
    records::IgnoreErrors([&] { caseGrid->SetRedraw(true); });
    records::IgnoreErrors([&] {
        if (dialog) dialog->Unload();
        dialog.reset();
    });
    records::IgnoreErrors([&] {
        if (clone) clone->Close();
    });
}

void KORVA_Bankruptcy::settleTakenRows(const messaging::RequestEntry& entry) {
    if (entry.messageKey.empty() || entry.messageKey == messaging::kNoMessage) return;
    // What is left under the key once the staged rows are settled: rows deleted by the request
    // (a dismissed case of the same number, the receivables of a new case).
    for (const records::RecordsetPtr& rs : {rsBankruptcyCase, rsAccntRecv}) {
        if (!rs || !rs->IsOpen() || !rs->IsBatchOptimistic()) continue;
        const records::RecordsetPtr taken = rs->Clone();
        taken->SetFilter("[" + std::string("Theme") + "] = '" + entry.messageKey + "'");
        if (entry.failed) {
            taken->CancelBatch(records::Affect::All);
        } else {
            taken->UpdateBatch(records::Affect::All);
        }
        records::IgnoreErrors([&] { taken->Close(); });
    }
}
