// Processing a case: the process dialog on a clone of the chosen case row, the case grid put back
// where it was afterwards, and the case's cached receivables dropped so that they are asked for
// again.

#include <memory>

#include "dialogs/process/frm_bankruptcy_process.h"
#include "document/case_filters.h"
#include "document/korva_bankruptcy.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {

// Deletes the rows of the cache that the filter finds.
void dropCachedRows(const records::RecordsetPtr& cache, const std::string& filter) {
    if (!cache || !cache->IsOpen()) return;
    const records::RecordsetPtr rows = cache->Clone();
    rows->SetFilter(filter);
    if (rows->RecordCount() > 0) {
        // The cache must not stand on a row about to go.
        if (cache->RecordCount() > 0) {
            cache->MoveFirst();
            cache->MovePrevious();
        }
        rows->MoveFirst();
        while (!rows->IsEOF()) {
            rows->Delete();
            rows->MoveNext();
        }
    }
    if (rows->IsBatchOptimistic()) rows->UpdateBatch(records::Affect::All);
    rows->Close();
}

}  // namespace

frmBankruptcyProcess* KORVA_Bankruptcy::ProcessDialog() const {
    return mFrmProcess.data();
}

void KORVA_Bankruptcy::DoDialogProcessCase() {
    const char* source = "KORVA_Bankruptcy.DoDialogProcessCase";
    platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
    std::unique_ptr<frmBankruptcyProcess> dialog;  // the one owner; mFrmProcess observes it
    records::RecordsetPtr clone;
    const bool done = records::Trap(sink(), source, [&] {
        auto refuse = [&](const char* text) {
            mInteraction->MsgBox(text, platform::MsgButtons::OK, platform::MsgIcon::Exclamation,
                                 mLib.globalServices->GetMessageTitle());
        };
        if (!records::IsNumeric(records::Value(records::Trim(udtCustomer.CustID)))) {
            refuse("No Customer chosen to Process a Bankruptcy for.");
            return;
        }
        if (records::Trim(udtCustomer.CaseID).empty()) {
            refuse("No Bankruptcy Case chosen to be Processed.");
            return;
        }
        const std::optional<records::Bookmark> firstRow = grid->FirstRow();
        const std::optional<records::Bookmark> current = grid->Bookmark();

        dialog = std::make_unique<frmBankruptcyProcess>(mLib, mInteraction, this);
        mFrmProcess = dialog.get();
        dialog->SetCustomerRecord(udtCustomer);
        connect(dialog.get(), &frmBankruptcyProcess::SentMessage, this,
                &KORVA_Bankruptcy::mFrmProcess_SentMessage);

        const std::string filter = document::CaseRowsFilter(udtCustomer);
        clone = rsBankruptcyCase->Clone();
        clone->SetFilter(filter);
        if (clone->RecordCount() < 1) {
            refuse("No Bankruptcy Case chosen to be Processed.");
        } else {
            clone->MoveFirst();
            dialog->Load();
            dialog->SetRecordset(clone);
            if (!showModal(*dialog)) return;
            // Taken back before events run: an answer handled next may hand back the receipt.
            udtCustomer = dialog->CustomerRecord();
            doEvents();

            grid->SetRedraw(false);
            grid->SetBatchUpdate(rsBankruptcyCase->IsBatchOptimistic());
            grid->Refresh();
            grid->ReBind();
            grid->SetDataSource(grid->DataSource());
            if (current) {
                grid->SetBookmark(*current);
                grid->SelBookmarks().Add(*current);
            }
            if (firstRow) grid->SetFirstRow(*firstRow);
            grid->SetRedraw(true);

            // The case's receivables changed at the back end: the next listing asks again.
            records::IgnoreErrors([&] { dropCachedRows(rsBankruptcyAR, filter); });
        }
        dialog->Unload();
        dialog.reset();
        doEvents();
        grid->Refresh();
        grid->ReBind();
    });
    records::IgnoreErrors([&] {
        if (dialog) dialog->Unload();
        dialog.reset();
    });
    records::IgnoreErrors([&] {
        if (clone) clone->Close();
    });
    records::IgnoreErrors([&] { grid->SetRedraw(true); });
    if (!done) setBusy(false);  // the exit section
}
