// "Bankruptcy Case ARs": the receivables of the current case in their own dialog, from the cache
// when they were fetched before, else from the back end while the dialog is open.

#include <memory>

#include "dialogs/casears/frm_bankruptcy_case_ars.h"
#include "document/case_filters.h"
#include "document/korva_bankruptcy.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"

frmBankruptcyCaseARs* KORVA_Bankruptcy::CaseARsDialog() const {
    return mFrmCaseARs.data();
}

void KORVA_Bankruptcy::DoDialogCaseARs() {
    std::unique_ptr<frmBankruptcyCaseARs> dialog;  // the one owner; mFrmCaseARs observes it
    records::Trap(sink(), "KORVA_Bankruptcy.DoDialogCaseARs", [&] {
        dialog = std::make_unique<frmBankruptcyCaseARs>(mLib, this);
        mFrmCaseARs = dialog.get();
        dialog->SetCustomerRecord(udtCustomer);
        connect(dialog.get(), &frmBankruptcyCaseARs::HistoryRequested, this, [this] {
            if (mFrmCaseARs) DoDialogCaseHistory(mFrmCaseARs->CustomerRecord().CaseID);
        });
        dialog->Load();
        bool ask = !rsBankruptcyAR;
        if (rsBankruptcyAR) {
            const records::RecordsetPtr clone = rsBankruptcyAR->Clone();
            clone->SetSort(mStrARSortOrder);
            clone->SetFilter(document::CaseRowsFilter(udtCustomer));
            if (clone->RecordCount() > 0) {
                clone->MoveFirst();
                dialog->SetRecordset(clone);
            } else {
                records::IgnoreErrors([&] { clone->Close(); });
                ask = true;
            }
        }
        if (ask) {
            // Opens on an empty list; the answer fills the open dialog.
            dialog->SetRecordset(records::NewAccntRecvRS(sink()));
            SendMsgCaseHistInquiry();
        }
        if (!showModal(*dialog)) return;
        setStatus("Ready ...");
        doEvents();
    });
    records::IgnoreErrors([&] {
        if (!dialog) return;
        if (const records::RecordsetPtr rs = dialog->Recordset()) rs->Close();
        if (dialog->IsLoaded()) dialog->Unload();
    });
    records::IgnoreErrors([&] { dialog.reset(); });
}

void KORVA_Bankruptcy::caseArsDialogTakes(records::RecordsetPtr rs) {
    if (!mFrmCaseARs || !mFrmCaseARs->IsLoaded()) return;
    const records::RecordsetPtr old = mFrmCaseARs->Recordset();
    mFrmCaseARs->SetRecordset(rs);
    records::IgnoreErrors([&] {
        if (old && old != rs) old->Close();
    });
}

void KORVA_Bankruptcy::caseArsDialogEmpty() {
    if (!mFrmCaseARs || !mFrmCaseARs->IsLoaded()) return;
    caseArsDialogTakes(records::IndependentCloneRS(rsEmptyAccntRecv, true, false,
                                                   records::LockType::BatchOptimistic, sink()));
}

void KORVA_Bankruptcy::caseArsDialogShowsCase() {
    if (!mFrmCaseARs || !mFrmCaseARs->IsLoaded() || !rsBankruptcyAR) return;
    const records::RecordsetPtr clone = rsBankruptcyAR->Clone();
    clone->SetSort(mStrARSortOrder);
    clone->SetFilter(document::CaseRowsFilter(udtCustomer));
    if (clone->RecordCount() > 0) {
        clone->MoveFirst();
        caseArsDialogTakes(clone);
    }
}
