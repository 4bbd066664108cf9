#pragma once
// `KORVA_Bankruptcy`: the bankruptcy manager document. The host shell creates it inside its frame
// and calls its host operations; it shows one customer's receivables and cases, live from the
// back end, and stages, confirms or rolls back the changes that its dialogs send.
//
// Its controls (bankruptcy_screen.h) and its screen-state file (screen_state_file.h) are objects
// it owns. The class itself is split over several files by concern: lifecycle.cpp (host
// operations), customer.cpp, grids.cpp, selection.cpp, officer.cpp, inquiries.cpp, answers.cpp,
// notifications.cpp, timeouts.cpp, commands.cpp. Every procedure runs under records::Trap with
// its source "KORVA_Bankruptcy.<procedure>".

#include <memory>
#include <optional>
#include <string>

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include "document/bankruptcy_screen.h"
#include "document/screen_state_file.h"
#include "messaging/common_library.h"
#include "messaging/customer_record.h"
#include "messaging/outstanding_requests.h"
#include "platform/widgets/host_shell.h"
#include "records/recordset.h"
#include "records/uc_dtd_designer_ds.h"

class QDialog;
class QTimer;
class frmBankruptcyAddUpdate;
class frmBankruptcyProcess;  // process a case
class frmBankruptcyCaseARs;
class frmBankruptcyCaseHistory;
class QAction;
class frmSelectOfficer;

namespace platform {
class DataGrid;
class Interaction;
class RowValues;
}  // namespace platform

class KORVA_Bankruptcy : public QWidget, public platform::HostedDocument {
    Q_OBJECT

  public:
    // Grid indexes of mSdgBankruptcy.
    enum eDATAGRID { ars = 0, FILINGS = 1 };
    // Time-out timer: an interval below the floor is raised to the default.
    static constexpr int kTimerFloorMs = 15000;
    static constexpr int kTimerDefaultMs = 35000;

    // Runs UserDocument_Initialize. The interaction shows message boxes, beeps, pumps events and
    // sets the pointer; the library is the common library the document talks through.
    KORVA_Bankruptcy(messaging::CommonLibrary library,
                     std::shared_ptr<platform::Interaction> interaction, QWidget* parent = nullptr);
    ~KORVA_Bankruptcy() override;

    // --- host operations (platform::HostedDocument)
    QWidget* DocumentWidget() override { return this; }
    bool DataChanged() override;
    void BeforeUnload() override;
    bool CloseDocument() override;
    void SaveData() override;
    void FileNew() override;
    void Show() override { UserDocument_Show(); }
    // The screen-state file: written when the host unloads the document, read on the next show.
    void PersistData() { mScreenState.Write(); }
    void RestoreData() { mScreenState.Read(); }

    // --- document events
    void UserDocument_Initialize();
    void UserDocument_Show();
    void UserDocument_Resize();

    // --- customer selection and labels
    void KORVA_CustSelect1_ClearForm();
    void KORVA_CustSelect1_SelectionChanged();
    void KORVA_CustSelect1_CustomerEdit();
    void UpdateCustomerLabels();

    // --- grids
    void mSdgBankruptcy_InitColumnProps(int Index);
    void mSdgBankruptcy_RowLoaded(int Index, records::Bookmark Bookmark, platform::RowValues& row);
    void mSdgBankruptcy_Error(int Index, long DataError, int& Response);
    void SetGridBolding(platform::DataGrid* grid);

    // --- selection, sorting, command enabling
    void mSdgBankruptcy_MouseMove(int Index, int Button, int Shift, int X, int Y);
    void mSdgBankruptcy_Click(int Index);
    void mSdgBankruptcy_DblClick(int Index);
    void mSdgBankruptcy_SelChange(int Index, int SelType);
    void mSdgBankruptcy_RowColChange(int Index, const QVariant& LastRow, int LastCol);
    void mOptBankruptcy_Click(int Index);
    void ValidateCommandButtons();

    // --- officer box
    void ValidateAssignedOfficer();
    void mTxtBankruptcy_Change();
    void mTxtBankruptcy_KeyPress(int& KeyAscii);
    void mTxtBankruptcy_LostFocus();

    // --- commands
    void mCmdBankruptcy_Click(int Index);
    void DoDialogAddEditBankruptcy(int Index);
    void DoDialogCaseARs();
    // The history of that case, asked of the back end while the dialog is open.
    void DoDialogCaseHistory(const std::string& caseId);
    // "Case History…" of the case grid (Ctrl+H, context menu): the current case's history.
    void mnuCaseHistory_Click();
    void DoDialogProcessCase();
    void DoOfficerSearch();
    // A dialog sent a request: file it in its slot of the outstanding-request table.
    void mFrmAddBankruptcy_SentMessage(const std::string& theme, const std::string& messageKey);
    void mFrmProcess_SentMessage(const std::string& theme, const std::string& messageKey);
    // Process a case: the dialog while it is loaded, else nullptr.
    frmBankruptcyProcess* ProcessDialog() const;
    // Officer search and case receivables: the dialogs while they are loaded, else nullptr.
    frmSelectOfficer* SelectOfficerForm() const;
    frmBankruptcyCaseARs* CaseARsDialog() const;
    frmBankruptcyCaseHistory* CaseHistoryDialog() const;
    QAction* CaseHistoryCommand() const { return mActCaseHistory; }

    // --- messaging
    void SendMsgCustInquiry();
    void SendMsgCaseHistInquiry();
    // "CASEHIST": the changes of one case of the customer.
    void SendMsgCaseHistoryInquiry(const std::string& caseId);
    void mVrexMessage_DataReady(const std::string& theme);
    void mVrexMessage_MsgTimeout(const std::string& theme);
    // Another user changed a customer's cases or receivables (changes_elsewhere.cpp).
    void mVrexMessage_ChangedElsewhere(const std::string& custId);
    void ProcessNotificationMessage(messaging::RequestEntry& entry);
    void GridNotificationUpdate(const messaging::RequestEntry& entry);
    void UpdateTimeout();
    void mTimUpdateTimeout_Timer();

    // --- read access for the host, the scenario runner and tests
    messaging::CommonLibrary& Library() { return mLib; }
    platform::Interaction& UserInteraction() { return *mInteraction; }
    const messaging::CustomerRecord& Customer() const { return udtCustomer; }
    const messaging::OutstandingRequests& Requests() const { return mUdtRequests; }
    const std::string& ARSortOrder() const { return mStrARSortOrder; }
    records::RecordsetPtr CaseRecordset() const { return rsBankruptcyCase; }
    records::RecordsetPtr AccntRecvRecordset() const { return rsAccntRecv; }
    records::RecordsetPtr BankruptcyARRecordset() const { return rsBankruptcyAR; }
    platform::DataGrid* Grid(int index) const { return ui.mSdgBankruptcy.at(index); }
    QTimer* TimeoutTimer() const { return ui.mTimUpdateTimeout; }
    const std::string& PersistPath() const { return mScreenState.Path(); }
    records::ucDTDDesignerDS& DataSourceControl() { return PaxDataSource1; }
    // True while no request of the document waits for its answer.
    bool IsIdle() const;
    // Runs the time-out timer's handler now when a deadline has passed by the library's clock
    // (the clock may have been moved forward). True when it ran.
    bool CheckTimeouts();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class ScreenStateFile;  // reads and restores the whole working state

    // lifecycle.cpp: the controls' signals to the procedures
    void connectControls();

    // customer.cpp: the steps of forgetting a customer, shared by ClearForm and SelectionChanged.
    struct ForgetState {
        records::RecordsetPtr oldArs, oldCases;
    };
    void forgetReceiptNumber();
    void forgetCustomerRecord();
    void forgetBindEmpty(ForgetState& state);
    void forgetRecordsets();
    void forgetTabs();
    void forgetRebind(ForgetState& state);
    void readCustomerFromControl();
    void showCustomerInControl();  // the restored customer, as the control's picked one

    // selection.cpp
    void makeCaseCurrent();
    void readCurrentCaseFromGrid();
    bool currentCaseHasPendingAction() const;

    // answers.cpp
    void answerGridRows(messaging::RequestEntry& entry, int index);
    void answerCaseArs(messaging::RequestEntry& entry);
    void answerAddUpdateOrProcess(int kind);
    void commonEnding();
    bool headerUnderCurrentKey(const messaging::RequestEntry& entry, const char* branch);

    // dialog_case_ars.cpp: a "CASEARS" answer reaching the open case receivables dialog.
    void caseArsDialogTakes(records::RecordsetPtr rs);
    void caseArsDialogEmpty();
    void caseArsDialogShowsCase();

    // dialog_case_history.cpp: the case grid's command, and a "CASEHIST" answer reaching the
    // open history dialog.
    void buildCaseHistoryCommand();
    void answerCaseHistory(messaging::RequestEntry& entry);

    // dialog_add_edit.cpp: the rows an add/update request deleted, settled with its answer
    void settleTakenRows(const messaging::RequestEntry& entry);

    // lifecycle.cpp
    void obtainListener();
    // The first step of every way the document closes: open dialogs close as their Cancel
    // would, and procedures waiting in a modal show leave as soon as it returns.
    void closeDialogs();
    // Shows a dialog of this document modally; answers false when the document was closed
    // meanwhile, and the caller must then leave without touching the screen or pumping events.
    bool showModal(QDialog& dialog, int* result = nullptr);

    // changes_elsewhere.cpp: told on the status line once no request for the customer waits
    void announceChangesElsewhere();

    // timeouts.cpp
    std::string sweep();
    void startTimerForDeadline();
    void setBusy(bool busy);
    void setStatus(const std::string& text);
    void doEvents();
    std::string customerDisplayName() const;
    records::ErrorSink* sink() const { return mLib.errorReporter.get(); }

    messaging::CommonLibrary mLib;
    std::shared_ptr<platform::Interaction> mInteraction;
    std::shared_ptr<messaging::MessageListener> mVrexMessage;
    // The data-source control of the grids (data members "ACNTSRCVBL" and "BANKRUPTCY"); at run
    // time it serves nothing, the grids are bound by the document itself.
    records::ucDTDDesignerDS PaxDataSource1{mLib.errorReporter.get()};

    // The record sets of the document.
    records::RecordsetPtr rsBankruptcyCase;
    records::RecordsetPtr rsAccntRecv;
    records::RecordsetPtr rsBankruptcyAR;
    records::RecordsetPtr rsEmptyBankruptcyCase;
    records::RecordsetPtr rsEmptyAccntRecv;

    // The selected customer and current case, and the blank record resets copy.
    messaging::CustomerRecord udtCustomer;
    messaging::CustomerRecord mUdtBlankCustomer;

    // The outstanding-request table and the initial copy it is reset from.
    messaging::OutstandingRequests mUdtRequests;
    messaging::OutstandingRequests mUdtRequestsInitial;

    std::string mStrARSortOrder;
    ScreenStateFile mScreenState{*this};
    bool mBlnMsgTimedOut = false;
    bool mBlnARsTimedOut = false;
    bool mBlnCasesTimedOut = false;
    bool mBlnARsLoaded = false;
    bool mBlnCasesLoaded = false;
    // Another user changed the shown customer's data after the screen last read it.
    bool mBlnChangedElsewhere = false;

    bool mBlnClosed = false;  // closing began: no more event pumping by the document
    int mModalShows = 0;      // modal shows of this document's procedures still waiting

    int mIntLastHitTest = 0;  // grid area code of the last mouse position over a grid
    // The case that the last click on a case cell selected (a double-click's first click).
    std::optional<records::Bookmark> mClickSelectedCase;

    // Officer box paste guard.
    bool mbMouseDown = false;
    bool mbPasteKey = false;
    std::string mStrSavedText;

    // The controls (bankruptcy_screen.cpp).
    BankruptcyScreen ui;

    // The dialogs of the commands, observed while a procedure owns them (each procedure holds
    // its dialog in a std::unique_ptr and deletes it when it ends).
    QPointer<frmBankruptcyAddUpdate> mFrmAddBankruptcy;
    QPointer<frmBankruptcyProcess> mFrmProcess;
    QPointer<frmBankruptcyCaseARs> mFrmCaseARs;

    // Officer search: kept, hidden, after OK (the document's child).
    QPointer<frmSelectOfficer> mFrmSelectOfficer;

    // Case history: the dialog while its procedure owns it, the case asked for, the case grid's
    // command.
    QPointer<frmBankruptcyCaseHistory> mFrmCaseHistory;
    std::string mStrHistoryCaseID;
    QAction* mActCaseHistory = nullptr;
};
