// The watch over requests that get no answer: the time-out flags, the sweep that gives up on
// requests past their deadline, and the timer that runs it while any deadline is pending.

#include <QPushButton>
#include <QTimer>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"

namespace {
constexpr int kRefresh = 2;
constexpr const char* kLineBreak = "\r\n";
}  // namespace

void KORVA_Bankruptcy::mVrexMessage_MsgTimeout(const std::string& theme) {
    records::IgnoreErrors([&] {
        if (theme == mUdtRequests[messaging::kOpenArs].theme) {
            mBlnARsTimedOut = true;
        } else if (theme != mUdtRequests[messaging::kCases].theme) {
            mBlnMsgTimedOut = true;
        } else {
            mBlnCasesTimedOut = true;
        }
    });
}

std::string KORVA_Bankruptcy::sweep() {
    std::string message;
    const double now = mLib.clock->Now();
    for (int kind : mUdtRequests.TakeExpired(now)) {
        messaging::RequestEntry& entry = mUdtRequests[kind];
        message += entry.timeoutText + kLineBreak;
        switch (kind) {
            case messaging::kCases:
                ui.mCmdBankruptcy[kRefresh]->setEnabled(true);
                entry.failed = true;
                GridNotificationUpdate(entry);
                break;
            case messaging::kOpenArs:
                ui.mCmdBankruptcy[kRefresh]->setEnabled(true);
                break;
            case messaging::kAddUpdate:
                entry.failed = true;
                GridNotificationUpdate(entry);
                break;
            case messaging::kProcess:
                entry.failed = true;
                GridNotificationUpdate(entry);
                if (!udtCustomer.PmtReceiptNbr.empty()) {
                    const std::string number = udtCustomer.PmtReceiptNbr;
                    udtCustomer.PmtReceiptNbr.clear();
                    mLib.globalServices->ReturnReceiptNumber(number, "R");
                }
                break;
            default:
                break;
        }
    }
    // Earlier add/update and process requests that a newer one of their kind replaced in the
    // table: their staged rows are rolled back as well.
    for (const messaging::WatchedRequest& watched : mUdtRequests.TakeExpiredWatched(now)) {
        messaging::RequestEntry entry = mUdtRequests[watched.kind];
        message += entry.timeoutText + kLineBreak;
        entry.theme = watched.theme;
        entry.messageKey = watched.messageKey;
        entry.failed = true;
        GridNotificationUpdate(entry);
    }
    setBusy(false);
    return message;
}

void KORVA_Bankruptcy::UpdateTimeout() {
    records::Trap(sink(), "KORVA_Bankruptcy.UpdateTimeout", [&] { sweep(); });
}

void KORVA_Bankruptcy::mTimUpdateTimeout_Timer() {
    records::Trap(sink(), "KORVA_Bankruptcy.mTimUpdateTimeout_Timer", [&] {
        ui.mTimUpdateTimeout->stop();
        const std::string message = sweep();
        if (!message.empty()) {
            mInteraction->MsgBox(messaging::TimeoutMessageText(message), platform::MsgButtons::OK,
                                 platform::MsgIcon::Critical,
                                 mLib.globalServices->GetMessageTitle());
        }
        doEvents();
        if (mUdtRequests.AnyPending()) {
            ui.mTimUpdateTimeout->start();
        } else {
            ui.mTimUpdateTimeout->stop();
        }
    });
    setBusy(false);
    announceChangesElsewhere();
}

void KORVA_Bankruptcy::startTimerForDeadline() {
    // An unanswered request must never stay staged for ever: a deadline switches the watch on.
    // A running timer keeps its rhythm, so a stream of requests cannot put the check off.
    if (!ui.mTimUpdateTimeout->isActive()) ui.mTimUpdateTimeout->start();
}

bool KORVA_Bankruptcy::IsIdle() const {
    return !mUdtRequests.AnyPending();
}

bool KORVA_Bankruptcy::CheckTimeouts() {
    const double now = mLib.clock->Now();
    auto due = [now](double deadline) { return deadline != 0 && deadline <= now; };
    bool anyDue = false;
    for (int k = 0; k < messaging::kRequestKinds; ++k)
        anyDue = anyDue || due(mUdtRequests[k].deadline);
    for (const messaging::WatchedRequest& w : mUdtRequests.Watched())
        anyDue = anyDue || due(w.deadline);
    if (!anyDue) return false;
    mTimUpdateTimeout_Timer();
    return true;
}
