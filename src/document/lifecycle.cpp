// The document's life towards its host: creation, showing, the host operations and closing.

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "dialogs/casears/frm_bankruptcy_case_ars.h"
#include "dialogs/casehistory/frm_bankruptcy_case_history.h"
#include "dialogs/process/frm_bankruptcy_process.h"
#include "document/frm_select_officer.h"
#include "document/korva_bankruptcy.h"
#include "platform/widgets/customer_select.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"

namespace {

constexpr const char* kPersistFileName = "KORVA_Bankruptcy_Persist.xml";
constexpr const char* kManagerRight = "BnkrptcyMgr";
constexpr const char* kReady = "Ready ...";
constexpr int kRefresh = 2;

}  // namespace

KORVA_Bankruptcy::KORVA_Bankruptcy(messaging::CommonLibrary library,
                                   std::shared_ptr<platform::Interaction> interaction,
                                   QWidget* parent)
    : QWidget(parent), mLib(std::move(library)), mInteraction(std::move(interaction)) {
    ui.setupUi(this, mLib.directory);
    connectControls();
    UserDocument_Initialize();
}

KORVA_Bankruptcy::~KORVA_Bankruptcy() {
    // Answers that are still on their way must not reach a document that is gone.
    if (mVrexMessage) {
        mVrexMessage->DataReady = nullptr;
        mVrexMessage->MsgTimeout = nullptr;
    }
    // The controls go after the members they report to: nothing they do on their way out may
    // reach the handlers.
    ui.mTimUpdateTimeout->stop();
    ui.mTxtBankruptcy->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    for (platform::DataGrid* grid : ui.mSdgBankruptcy) {
        grid->SetRowLoadedHandler(nullptr);
        grid->SetErrorHandler(nullptr);
    }
}

void KORVA_Bankruptcy::connectControls() {
    connect(ui.KORVA_CustSelect1, &platform::CustomerSelect::ClearForm, this,
            [this] { KORVA_CustSelect1_ClearForm(); });
    connect(ui.KORVA_CustSelect1, &platform::CustomerSelect::SelectionChanged, this,
            [this] { KORVA_CustSelect1_SelectionChanged(); });
    connect(ui.KORVA_CustSelect1, &platform::CustomerSelect::CustomerEdit, this,
            [this] { KORVA_CustSelect1_CustomerEdit(); });

    for (platform::DataGrid* grid : ui.mSdgBankruptcy) {
        connect(grid, &platform::DataGrid::Click, this, [this](int i) { mSdgBankruptcy_Click(i); });
        connect(grid, &platform::DataGrid::DblClick, this,
                [this](int i) { mSdgBankruptcy_DblClick(i); });
        connect(grid, &platform::DataGrid::SelChange, this,
                [this](int i, int kind) { mSdgBankruptcy_SelChange(i, kind); });
        connect(grid, &platform::DataGrid::RowColChange, this,
                [this](int i, const QVariant& row, int col) {
                    mSdgBankruptcy_RowColChange(i, row, col);
                });
        connect(grid, &platform::DataGrid::MouseMove, this,
                [this](int i, int button, int shift, int x, int y) {
                    mSdgBankruptcy_MouseMove(i, button, shift, x, y);
                });
        connect(grid, &platform::DataGrid::InitColumnProps, this,
                [this](int i) { mSdgBankruptcy_InitColumnProps(i); });
        grid->SetRowLoadedHandler([this](int i, records::Bookmark b, platform::RowValues& row) {
            mSdgBankruptcy_RowLoaded(i, b, row);
        });
        grid->SetErrorHandler([this](int i, long dataError, int& response) {
            mSdgBankruptcy_Error(i, dataError, response);
        });
    }

    for (int i = 0; i < 3; ++i) {
        connect(ui.mOptBankruptcy[static_cast<std::size_t>(i)], &QRadioButton::clicked, this,
                [this, i] { mOptBankruptcy_Click(i); });
    }
    for (int i = 0; i < 6; ++i) {
        connect(ui.mCmdBankruptcy[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { mCmdBankruptcy_Click(i); });
    }

    connect(ui.mTxtBankruptcy, &QLineEdit::textChanged, this, [this] { mTxtBankruptcy_Change(); });
    ui.mTxtBankruptcy->installEventFilter(this);
    connect(ui.mTimUpdateTimeout, &QTimer::timeout, this, [this] { mTimUpdateTimeout_Timer(); });
    buildCaseHistoryCommand();
}

void KORVA_Bankruptcy::UserDocument_Initialize() {
    const bool done = records::Trap(sink(), "KORVA_Bankruptcy.UserDocument_Initialize", [&] {
        if (!mVrexMessage) obtainListener();
        for (int command : {7, 9, 8, 14}) mLib.statusLine->EnableCommand(command, false);
        mScreenState.SetPath(mLib.userContext->GetUserFolder() + kPersistFileName);

        mUdtRequestsInitial = messaging::OutstandingRequests::Initial(messaging::kAppTitle);
        mUdtRequests = mUdtRequestsInitial;

        mUdtBlankCustomer.IsBankruptcyManager = mLib.globalServices->HasRight(kManagerRight);
        udtCustomer = mUdtBlankCustomer;

        rsEmptyBankruptcyCase = records::NewBankruptcyCaseRS(sink());
        rsEmptyAccntRecv = records::NewAccntRecvRS(sink());
        rsBankruptcyCase = records::NewBankruptcyCaseRS(sink());
        rsAccntRecv = records::NewAccntRecvRS(sink());
        rsBankruptcyAR = records::NewAccntRecvRS(sink());

        ui.SSTab1->setTabEnabled(2, false);
        ui.SSTab1->setTabEnabled(1, false);
        ui.SSTab1->setTabEnabled(0, true);
        ui.SSTab1->setCurrentIndex(0);

        ValidateCommandButtons();

        for (int index : {ars, FILINGS}) {
            platform::DataGrid* grid = ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
            const records::RecordsetPtr& empty =
                index == ars ? rsEmptyAccntRecv : rsEmptyBankruptcyCase;
            grid->SetDataMember("");
            grid->SetDataSource(nullptr);
            records::RecordsetPtr clone = empty->Clone();
            grid->SetDataSource(clone);
            grid->SetBatchUpdate(clone->IsBatchOptimistic());
            mSdgBankruptcy_InitColumnProps(index);
            grid->Refresh();
        }
        doEvents();
    });
    if (!done) setBusy(false);  // the exit section
}

void KORVA_Bankruptcy::UserDocument_Show() {
    records::Trap(sink(), "KORVA_Bankruptcy.UserDocument_Show", [&] {
        if (!mVrexMessage) obtainListener();
        if (ui.mTimUpdateTimeout->interval() < kTimerFloorMs)
            ui.mTimUpdateTimeout->setInterval(kTimerDefaultMs);
        ui.mTimUpdateTimeout->stop();
        ui.mTimUpdateTimeout->setProperty("Tag", QString::number(ui.mTimUpdateTimeout->interval()));

        for (int command : {9, 14, 8, 7}) mLib.statusLine->EnableCommand(command, false);
        for (int index : {0, 5, 1, 3})
            ui.mCmdBankruptcy[static_cast<std::size_t>(index)]->setEnabled(false);

        ui.SSTab1->setTabEnabled(0, true);
        ui.SSTab1->setTabEnabled(1, false);
        ui.SSTab1->setTabEnabled(2, false);
        ui.SSTab1->setCurrentIndex(0);

        setStatus("Loading Document Data ...");
        setBusy(true);
        RestoreData();
        SetGridBolding(ui.mSdgBankruptcy[ars]);
        SetGridBolding(ui.mSdgBankruptcy[FILINGS]);
        setBusy(false);
        doEvents();
    });
    setBusy(false);
}

void KORVA_Bankruptcy::UserDocument_Resize() {
    // The layouts follow the document's size; nothing to do here.
}

void KORVA_Bankruptcy::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UserDocument_Resize();
}

bool KORVA_Bankruptcy::DataChanged() {
    bool changed = false;
    const bool done = records::Trap(sink(), "KORVA_Bankruptcy.DataChanged", [&] {
        setStatus("Checking Document Data ...");
        changed = ui.SSTab1->isTabEnabled(1) || ui.SSTab1->isTabEnabled(2);
    });
    if (!done) setBusy(false);  // the exit section
    return changed;
}

void KORVA_Bankruptcy::BeforeUnload() {
    closeDialogs();  // before the state is taken: what only a dialog staged is not kept
    const bool done = records::Trap(sink(), "KORVA_Bankruptcy.BeforeUnload", [&] {
        if (DataChanged()) PersistData();
    });
    // The document closes even when persisting failed.
    records::IgnoreErrors([&] { CloseDocument(); });
    if (!done) setBusy(false);  // the exit section
}

bool KORVA_Bankruptcy::CloseDocument() {
    // Every step runs whatever the one before did: nothing may keep the document from closing.
    const char* source = "KORVA_Bankruptcy.CloseDocument";
    closeDialogs();
    records::Trap(sink(), source, [&] {
        if (!udtCustomer.PmtReceiptNbr.empty()) {
            const std::string number = udtCustomer.PmtReceiptNbr;
            udtCustomer.PmtReceiptNbr.clear();
            mLib.globalServices->ReturnReceiptNumber(number, "R");
        }
    });
    records::Trap(sink(), source, [&] {
        for (int command : {7, 9, 8, 14}) mLib.statusLine->EnableCommand(command, true);
    });
    records::Trap(sink(), source, [&] { setStatus(kReady); });
    records::Trap(sink(), source, [&] {
        ui.mTimUpdateTimeout->stop();
        if (mVrexMessage) {
            mVrexMessage->DataReady = nullptr;
            mVrexMessage->MsgTimeout = nullptr;
        }
        mVrexMessage.reset();
        // Not from inside a modal show: the host may delete the document once this returns,
        // and events run here would do it under the procedure that waits in the show.
        if (mInteraction && mModalShows == 0) mInteraction->DoEvents();
    });
    return true;
}

void KORVA_Bankruptcy::SaveData() {
    records::Trap(sink(), "KORVA_Bankruptcy.SaveData",
                  [&] { setStatus("Data did not change.  Save request cancelled. "); });
    setBusy(false);
}

void KORVA_Bankruptcy::FileNew() {
    const char* source = "KORVA_Bankruptcy.FileNew";
    records::Trap(sink(), source, [&] { KORVA_CustSelect1_ClearForm(); });
    records::Trap(sink(), source, [&] { ui.KORVA_CustSelect1->ClearSelection(); });
    records::Trap(sink(), source, [&] { ui.mCmdBankruptcy[kRefresh]->setEnabled(true); });
    records::Trap(sink(), source, [&] { setBusy(false); });
    records::Trap(sink(), source, [&] { setStatus(kReady); });
}

// --- small helpers shared by the procedures

void KORVA_Bankruptcy::obtainListener() {
    mVrexMessage = mLib.messageService->GetListener();
    const QPointer<KORVA_Bankruptcy> self(this);
    mVrexMessage->DataReady = [self](const std::string& theme) {
        if (self) self->mVrexMessage_DataReady(theme);
    };
    mVrexMessage->MsgTimeout = [self](const std::string& theme) {
        if (self) self->mVrexMessage_MsgTimeout(theme);
    };
    mVrexMessage->ChangedElsewhere = [self](const std::string& custId) {
        if (self) self->mVrexMessage_ChangedElsewhere(custId);
    };
}

void KORVA_Bankruptcy::setBusy(bool busy) {
    if (mInteraction) mInteraction->SetBusyPointer(busy);
}

void KORVA_Bankruptcy::setStatus(const std::string& text) {
    mLib.statusLine->SetStatus(text);
}

void KORVA_Bankruptcy::doEvents() {
    if (mInteraction && !mBlnClosed) mInteraction->DoEvents();
}

void KORVA_Bankruptcy::closeDialogs() {
    mBlnClosed = true;
    // Each closes as its Cancel would: it cancels only what it staged itself, while requests
    // already sent stay in the outstanding-request table and in their rows' stamps.
    records::IgnoreErrors([&] {
        if (mFrmAddBankruptcy) mFrmAddBankruptcy->Unload();
    });
    records::IgnoreErrors([&] {
        if (mFrmProcess) mFrmProcess->reject();
    });
    records::IgnoreErrors([&] {
        if (mFrmCaseHistory) mFrmCaseHistory->reject();  // over the case receivables, if open
    });
    records::IgnoreErrors([&] {
        if (mFrmCaseARs) mFrmCaseARs->Unload();
    });
    records::IgnoreErrors([&] {
        if (mFrmSelectOfficer && mFrmSelectOfficer->isVisible()) mFrmSelectOfficer->reject();
    });
}

bool KORVA_Bankruptcy::showModal(QDialog& dialog, int* result) {
    ++mModalShows;
    struct Leave {
        int& shows;
        ~Leave() { --shows; }
    } leave{mModalShows};
    const int answer = mInteraction->ShowModal(dialog);
    if (result) *result = answer;
    return !mBlnClosed;
}

std::string KORVA_Bankruptcy::customerDisplayName() const {
    // A restored screen shows its customer in the control too; its own record covers the case
    // where that could not be done.
    if (ui.KORVA_CustSelect1->HasCustomer()) return ui.KORVA_CustSelect1->Customer().name;
    return udtCustomer.CustName;
}
