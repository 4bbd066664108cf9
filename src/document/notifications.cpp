// Failure reports of the back end, and making the rows a request staged final or rolling them
// back.

#include "document/korva_bankruptcy.h"
#include "messaging/requests.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/layouts.h"

void KORVA_Bankruptcy::ProcessNotificationMessage(messaging::RequestEntry& entry) {
    const bool done = records::Trap(sink(), "KORVA_Bankruptcy.ProcessNotificationMessage", [&] {
        const messaging::DTDPtr part = mLib.answerStore->GetPart(
            std::string(records::kLayoutNotification), entry.theme, entry.messageKey);
        entry.failed = false;
        const records::RecordsetPtr rows = part ? part->Recordset() : nullptr;
        if (!rows || !rows->IsOpen() || rows->RecordCount() < 1) {
            setStatus("Ready ...");
            return;
        }
        const messaging::NotificationReport report =
            messaging::CollectNotification(rows, mLib.errorReporter.get());
        entry.failed = report.failed;
        if (report.text.empty()) {
            setStatus("Ready ...");
            return;
        }
        mInteraction->MsgBox(messaging::NotificationBoxText(entry.description, report.text),
                             platform::MsgButtons::OK, platform::MsgIcon::Critical,
                             mLib.globalServices->GetMessageTitle());
        if (mBlnMsgTimedOut) {
            UpdateTimeout();
            setStatus("Query Timed Out.");
        } else {
            setStatus("Query Not Successful.");
        }
    });
    if (!done) setBusy(false);  // the exit section
}

void KORVA_Bankruptcy::GridNotificationUpdate(const messaging::RequestEntry& entry) {
    records::RecordsetPtr staged;
    records::Trap(sink(), "KORVA_Bankruptcy.GridNotificationUpdate", [&] {
        if (!rsBankruptcyCase || !rsBankruptcyCase->IsOpen()) return;
        staged = rsBankruptcyCase->Clone();
        staged->SetFilter("[" + std::string("Theme") + "] = '" + entry.messageKey + "'");
        // Bookmarks first: a rolled-back new row leaves the view while we walk it.
        const std::vector<records::Bookmark> rows = staged->VisibleBookmarks();
        const bool batch = staged->IsBatchOptimistic();
        for (records::Bookmark b : rows) {
            staged->SetBookmark(b);
            staged->Set("ACTION", records::Value::Null());
            staged->Set("Theme", records::Value::Null());
            if (entry.failed) {
                if (staged->GetEditMode() != records::EditMode::None) staged->CancelUpdate();
                if (batch) staged->CancelBatch(records::Affect::Current);
            } else {
                staged->Update();
                if (batch) staged->UpdateBatch(records::Affect::Current);
            }
        }
        settleTakenRows(entry);  // add/update: the deletes that went with the request
        if (!rows.empty()) {
            ui.mSdgBankruptcy[FILINGS]->Refresh();
            ui.mSdgBankruptcy[FILINGS]->ReBind();
        }
    });
    records::IgnoreErrors([&] {
        if (staged) staged->Close();
    });
    // The rows changed under the grid: the current case is what its selected row is now.
    records::Trap(sink(), "KORVA_Bankruptcy.GridNotificationUpdate",
                  [&] { readCurrentCaseFromGrid(); });
    ValidateCommandButtons();
}
