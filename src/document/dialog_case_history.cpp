// "Case History": every change of one case in its own dialog, asked of the back end each time
// it opens (the history grows with every officer's work, so nothing is cached). Opened for the
// current case from the case grid (Ctrl+H, context menu) and from the case receivables dialog.

#include <QAction>
#include <QKeySequence>

#include "dialogs/casears/frm_bankruptcy_case_ars.h"
#include "dialogs/casehistory/frm_bankruptcy_case_history.h"
#include "document/korva_bankruptcy.h"
#include "messaging/requests.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/value_rules.h"

frmBankruptcyCaseHistory* KORVA_Bankruptcy::CaseHistoryDialog() const {
    return mFrmCaseHistory.data();
}

void KORVA_Bankruptcy::buildCaseHistoryCommand() {
    platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
    mActCaseHistory = new QAction(QStringLiteral("Case &History\u2026"), grid);
    mActCaseHistory->setObjectName(QStringLiteral("mnuCaseHistory"));
    mActCaseHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    mActCaseHistory->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    mActCaseHistory->setEnabled(false);
    grid->addAction(mActCaseHistory);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(mActCaseHistory, &QAction::triggered, this, [this] { mnuCaseHistory_Click(); });
}

void KORVA_Bankruptcy::mnuCaseHistory_Click() {
    const char* source = "KORVA_Bankruptcy.mnuCaseHistory_Click";
    records::Trap(sink(), source, [&] {
        if (!udtCustomer.CaseID.empty()) DoDialogCaseHistory(udtCustomer.CaseID);
    });
    if (mBlnClosed) return;  // the document closed while the dialog was open
    // As after every command: the current case is the case grid's selected row as it is now.
    records::Trap(sink(), source, [&] { readCurrentCaseFromGrid(); });
    ValidateCommandButtons();
}

void KORVA_Bankruptcy::DoDialogCaseHistory(const std::string& caseId) {
    std::unique_ptr<frmBankruptcyCaseHistory> dialog;  // the one owner; mFrmCaseHistory observes
    records::Trap(sink(), "KORVA_Bankruptcy.DoDialogCaseHistory", [&] {
        // Over the case receivables dialog when it asked, else over the screen.
        QWidget* owner = mFrmCaseARs && mFrmCaseARs->isVisible()
                             ? static_cast<QWidget*>(mFrmCaseARs.data())
                             : static_cast<QWidget*>(this);
        dialog = std::make_unique<frmBankruptcyCaseHistory>(mLib, owner);
        mFrmCaseHistory = dialog.get();
        messaging::CustomerRecord shown = udtCustomer;
        shown.CaseID = records::Trim(caseId);
        dialog->SetCustomerRecord(shown);
        // Opens on an empty list; the answer fills the open dialog.
        dialog->SetRecordset(records::OpenLayoutRecordset(records::kLayoutCaseHistory));
        SendMsgCaseHistoryInquiry(shown.CaseID);
        if (!showModal(*dialog)) return;
        setStatus("Ready ...");
        doEvents();
    });
    records::IgnoreErrors([&] { dialog.reset(); });
}

void KORVA_Bankruptcy::SendMsgCaseHistoryInquiry(const std::string& caseId) {
    std::unique_ptr<messaging::RequestMessage> request;
    records::Trap(sink(), "KORVA_Bankruptcy.SendMsgCaseHistoryInquiry", [&] {
        messaging::RequestEntry& entry = mUdtRequests[messaging::kCaseHist];
        udtCustomer.CustID = records::Trim(udtCustomer.CustID);
        const std::string caseNumber = records::Trim(caseId);
        entry.messageKey.clear();
        entry.deadline = 0;
        if (udtCustomer.CustID.empty() || caseNumber.empty()) return;

        request =
            messaging::BuildCaseHistoryInquiry(mLib, entry.theme, udtCustomer.CustID, caseNumber);
        entry.messageKey = request->MessageKey();
        entry.failed = false;
        mStrHistoryCaseID = caseNumber;
        request->Send();
        setBusy(true);
        entry.deadline = mLib.clock->Now() + messaging::kRequestDeadlineSeconds;
        startTimerForDeadline();
        mBlnMsgTimedOut = false;
        setStatus("Requesting History for Bankruptcy Case " + caseNumber + " ...");
    });
    records::IgnoreErrors([&] { request.reset(); });
}

void KORVA_Bankruptcy::answerCaseHistory(messaging::RequestEntry& entry) {
    if (!headerUnderCurrentKey(entry, "CASEHIST")) return;
    entry.deadline = 0;
    const messaging::DTDPtr part = mLib.answerStore->GetPart(
        std::string(records::kLayoutCaseHistory), entry.theme, entry.messageKey);
    const records::RecordsetPtr rows = part ? part->Recordset() : nullptr;
    const bool shown = mFrmCaseHistory && mFrmCaseHistory->isVisible();
    if (!rows) {
        ProcessNotificationMessage(entry);
        if (shown && !entry.failed)
            setStatus("No History for Bankruptcy Case " + mStrHistoryCaseID + ".");
        return;
    }
    if (!shown) return;  // closed before the answer came: nothing is kept
    const records::RecordsetPtr list = rows->Clone();
    list->SetSort("CHNG_DT DESC, HIST_ID DESC");
    if (list->RecordCount() > 0) list->MoveFirst();
    mFrmCaseHistory->SetRecordset(list);
    setStatus("Displaying History for Bankruptcy Case " + mStrHistoryCaseID + " ...");
}
