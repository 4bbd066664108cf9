// The process dialog's controls, its start and end, the bindings to the case row, the summary
// lines and which commands and boxes are usable.

#include "dialogs/process/frm_bankruptcy_process.h"

#include <algorithm>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "dialogs/process/process_texts.h"
#include "platform/binding/binding_collection.h"
#include "platform/binding/formatters.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {

constexpr const char* kCaption = "Process Bankruptcy";

constexpr std::array<const char*, 11> kCaptions = {
    "Case #:",         "Trustee Phone #:", "Trustee Name:", "Begin Date:",
    "End Date:",       "Filing Date:",     "Close Date:",   "Comments:",
    "Payment Amount:", "Payment Check #:", "Receipt #:"};

constexpr std::array<const char*, 3> kOptionCaptions = {"Apply Payment", "Write Off and Close Case",
                                                        "Dismiss Case"};

constexpr const char* kWriteOffHelp =
    "The Write Off and Close Case command terminates collection activities for a bankruptcy.  "
    "The case record is closed and any remaining Amount Due on all associated Account "
    "Receivables is written off before the receivable records are closed as well.";
constexpr const char* kDismissHelp =
    "The Dismiss Case command revokes a bankruptcy that the court has declined && dismissed.  "
    "The case record is retained for reference but may be re-added later to correct a bad "
    "initial data situation.  Any Account Receivables associated with the bankruptcy case will "
    "be released and made eligible for regular payment processing.";

QString indexed(const char* base, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(index);
}

QLabel* valueLabel(QWidget* parent, int index) {
    auto* label = new QLabel(parent);
    label->setObjectName(indexed("mLblDataDischarge", index));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(110);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

frmBankruptcyProcess::frmBankruptcyProcess(messaging::CommonLibrary library,
                                           std::shared_ptr<platform::Interaction> interaction,
                                           QWidget* parent)
    : QDialog(parent), mLib(std::move(library)), mInteraction(std::move(interaction)) {
    setObjectName(QStringLiteral("frmBankruptcyProcess"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setModal(true);
    buildControls();
    Form_Initialize();
    connectControls();
}

frmBankruptcyProcess::~frmBankruptcyProcess() {
    Form_Terminate();
}

// --- controls

void frmBankruptcyProcess::buildControls() {
    for (std::size_t i = 0; i < mLblDischarge.size(); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(indexed("mLblDischarge", static_cast<int>(i)));
        if (i < kCaptions.size()) label->setText(QString::fromLatin1(kCaptions[i]));
        mLblDischarge[i] = label;
    }
    for (std::size_t i = 0; i < mLblDataDischarge.size(); ++i) {
        mLblDataDischarge[i] = valueLabel(this, static_cast<int>(i));
    }
    mLblDataDischarge[8]->setFrameShape(QFrame::NoFrame);
    mLblDataDischarge[8]->setMinimumWidth(0);

    mTxtAmount = new QLineEdit(this);
    mTxtAmount->setObjectName(indexed("mTxtDischarge", kAmount));
    mTxtAmount->setMaxLength(kAmountMaxLength);
    mTxtAmount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mTxtComment = new QPlainTextEdit(this);
    mTxtComment->setObjectName(indexed("mTxtDischarge", kComment));
    mTxtComment->setTabChangesFocus(true);
    mTxtComment->setFixedHeight(64);
    mTxtCheck = new QLineEdit(this);
    mTxtCheck->setObjectName(indexed("mTxtDischarge", kCheck));
    mTxtCheck->setMaxLength(kCheckMaxLength);

    for (std::size_t i = 0; i < SSRibbonCmdz.size(); ++i) {
        SSRibbonCmdz[i] = new QRadioButton(this);
        SSRibbonCmdz[i]->setObjectName(indexed("SSRibbonCmdz", static_cast<int>(i)));
    }
    for (std::size_t i = 0; i < mCmdDischarge.size(); ++i) {
        mCmdDischarge[i] = new QPushButton(QString::fromLatin1(i == 0 ? "Save" : "Cancel"), this);
        mCmdDischarge[i]->setObjectName(indexed("mCmdDischarge", static_cast<int>(i)));
        mCmdDischarge[i]->setAutoDefault(false);
    }

    auto* options = new QHBoxLayout;
    for (QRadioButton* option : SSRibbonCmdz) options->addWidget(option);
    options->addStretch(1);

    auto* comment = new QHBoxLayout;
    comment->addWidget(mLblDischarge[7], 0, Qt::AlignTop);
    comment->addWidget(mTxtComment, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mCmdDischarge[0]);
    buttons->addWidget(mCmdDischarge[1]);

    auto* root = new QVBoxLayout(this);
    root->addWidget(buildCaseFrame());
    root->addWidget(mLblDischarge[11]);
    root->addWidget(mLblDischarge[12]);
    root->addLayout(options);
    root->addWidget(buildCommandFrames());
    root->addLayout(comment);
    root->addStretch(1);
    root->addLayout(buttons);

    setTabOrder(SSRibbonCmdz[0], SSRibbonCmdz[1]);
    setTabOrder(SSRibbonCmdz[1], SSRibbonCmdz[2]);
    setTabOrder(SSRibbonCmdz[2], mTxtAmount);
    setTabOrder(mTxtAmount, mTxtCheck);
    setTabOrder(mTxtCheck, mTxtComment);
    setTabOrder(mTxtComment, mCmdDischarge[0]);
    setTabOrder(mCmdDischarge[0], mCmdDischarge[1]);
    resize(620, 500);
}

QWidget* frmBankruptcyProcess::buildCaseFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Case Information"), this);
    frame->setObjectName(indexed("mFraDischarge", 3));
    mFraDischarge[3] = frame;
    auto* grid = new QGridLayout(frame);
    auto place = [&](int row, int column, int caption, int value, int span = 1) {
        grid->addWidget(mLblDischarge[static_cast<std::size_t>(caption)], row, column);
        grid->addWidget(mLblDataDischarge[static_cast<std::size_t>(value)], row, column + 1, 1,
                        span);
    };
    place(0, 0, 0, 0);  // case number
    place(0, 2, 1, 1);  // trustee phone
    place(1, 0, 2, 2, 3);
    place(2, 0, 3, 3);  // begin date (notification)
    place(2, 2, 4, 4);  // end date (court filing)
    place(3, 0, 5, 5);  // filing date (claim)
    place(3, 2, 6, 6);  // close date
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return frame;
}

QWidget* frmBankruptcyProcess::buildCommandFrames() {
    auto* holder = new QWidget(this);
    auto* stack = new QGridLayout(holder);
    stack->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < mFraCmdz.size(); ++i) {
        mFraCmdz[i] = new QGroupBox(holder);
        mFraCmdz[i]->setObjectName(indexed("mFraCmdz", static_cast<int>(i)));
        mFraCmdz[i]->setMinimumHeight(96);
        stack->addWidget(mFraCmdz[i], 0, 0);  // laid on top of each other
    }
    auto* payment = new QGridLayout(mFraCmdz[kPay]);
    payment->addWidget(mLblDischarge[8], 0, 0);
    payment->addWidget(mTxtAmount, 0, 1);
    payment->addWidget(mLblDischarge[9], 1, 0);
    payment->addWidget(mTxtCheck, 1, 1);
    payment->addWidget(mLblDischarge[10], 2, 0);
    payment->addWidget(mLblDataDischarge[7], 2, 1);
    payment->addWidget(mLblDataDischarge[8], 2, 2);
    payment->setColumnStretch(3, 1);

    Label2 = new QLabel(platform::captionText(kWriteOffHelp), mFraCmdz[kWriteOff]);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(platform::captionText(kDismissHelp), mFraCmdz[kDismiss]);
    Label3->setObjectName(QStringLiteral("Label3"));
    for (QLabel* help : {Label2, Label3}) {
        help->setWordWrap(true);
        auto* layout = new QVBoxLayout(help->parentWidget());
        layout->addWidget(help);
    }
    return holder;
}

void frmBankruptcyProcess::connectControls() {
    for (std::size_t i = 0; i < SSRibbonCmdz.size(); ++i) {
        // A selection made by the program raises the handler too, as the flow relies on it.
        connect(SSRibbonCmdz[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked) SSRibbonCmdz_Click(static_cast<int>(i), true);
        });
    }
    for (std::size_t i = 0; i < mCmdDischarge.size(); ++i) {
        connect(mCmdDischarge[i], &QPushButton::clicked, this,
                [this, i] { mCmdDischarge_Click(static_cast<int>(i)); });
    }
    connect(mTxtAmount, &QLineEdit::textChanged, this, [this] { mTxtDischarge_Change(kAmount); });
    connect(mTxtCheck, &QLineEdit::textChanged, this, [this] { mTxtDischarge_Change(kCheck); });
    connect(mTxtComment, &QPlainTextEdit::textChanged, this,
            [this] { mTxtDischarge_Change(kComment); });
    for (QWidget* box : {static_cast<QWidget*>(mTxtAmount), static_cast<QWidget*>(mTxtCheck),
                         static_cast<QWidget*>(mTxtComment), mTxtComment->viewport()}) {
        box->installEventFilter(this);
    }
    connect(oDbBind, &platform::BindingCollection::Error, this,
            [this](long number, const QString& description, platform::Binding* binding,
                   bool* cancelDisplay) {
                oDbBind_Error(number, description, binding, cancelDisplay);
            });
}

QWidget* frmBankruptcyProcess::EntryBox(int Index) const {
    switch (Index) {
        case kAmount:
            return mTxtAmount;
        case kComment:
            return mTxtComment;
        case kCheck:
            return mTxtCheck;
        default:
            return nullptr;
    }
}

QString frmBankruptcyProcess::BoxText(int Index) const {
    if (Index == kComment) return mTxtComment->toPlainText();
    return Index == kAmount ? mTxtAmount->text() : mTxtCheck->text();
}

void frmBankruptcyProcess::SetBoxText(int Index, const QString& text) {
    if (Index == kComment) {
        mTxtComment->setPlainText(text);
    } else {
        (Index == kAmount ? mTxtAmount : mTxtCheck)->setText(text);
    }
}

// --- properties and lifecycle

void frmBankruptcyProcess::Form_Initialize() {
    records::Trap(sink(), "KORVA_BankruptcyProcess.Form_Initialize", [&] {
        mRs.reset();
        oDbBind = new platform::BindingCollection(this);
        oDbBind->Clear();
        oDbBind->SetDataMember(QString());
        oDbBind->SetUpdateMode(platform::BindingCollection::UpdateMode::WhenRowChanges);
        oFmtDates = platform::makeDateFormat("Short Date");
        oFmtPhone = platform::makePhoneMaskFormat();
        oFmtText = platform::makeTextFormat();
    });
}

void frmBankruptcyProcess::Load() {
    if (mBlnLoaded) return;
    mBlnLoaded = true;
    Form_Load();
}

void frmBankruptcyProcess::SetRecordset(records::RecordsetPtr rs) {
    Load();
    records::Trap(sink(), "KORVA_BankruptcyProcess.Recordset", [&] { mRs = std::move(rs); });
    bindControls();
}

void frmBankruptcyProcess::bindControls() {
    platform::BindFields(
        *oDbBind, mRs,
        {{mLblDataDischarge[0], "Caption", "CASE_ID", "CASE_ID", nullptr},
         {mLblDataDischarge[2], "Caption", "TRSTE_NM", "TrusteeName", nullptr},
         {mLblDataDischarge[1], "Caption", "TRSTE_PHN_NBR", "PhoneNumber", &oFmtPhone},
         {mLblDataDischarge[7], "Caption", "FRCPT_NBR", "PmtReceiptNbr", nullptr},
         {mLblDataDischarge[3], "Caption", "NTFCTN_DT", "BEGDATE", &oFmtDates},
         {mLblDataDischarge[4], "Caption", "CRT_FILE_DT", "ENDDATE", &oFmtDates},
         {mLblDataDischarge[5], "Caption", "CLM_FILE_DT", "FILEDATE", &oFmtDates},
         {mLblDataDischarge[6], "Caption", "CRT_CLSE_DT", "CLOSEDATE", &oFmtDates},
         {mTxtAmount, "Text", "FUND_AMT", "PmtAmt", &oFmtText},
         {mTxtCheck, "Text", "FUND_RFRNC_NBR", "PmtCheckNbr", &oFmtText},
         {mTxtComment, "Text", "BNKRPTCY_CMMT_TXT", "Comment", &oFmtText}},
        sink(), "KORVA_BankruptcyProcess.Recordset");
}

void frmBankruptcyProcess::oDbBind_Error(long number, const QString& description,
                                         platform::Binding* binding, bool* cancelDisplay) {
    records::IgnoreErrors([&] {
        const std::string where =
            binding ? binding->Key().toStdString() + " to " + binding->DataField().toStdString()
                    : std::string("?");
        sink()->ReportError(description.toStdString() + " " + std::to_string(number),
                            std::string(records::kExeName),
                            "KORVA_BankruptcyProcess.DataBinding: " + where);
    });
    if (cancelDisplay) *cancelDisplay = true;
}

void frmBankruptcyProcess::Form_Load() {
    const char* source = "KORVA_BankruptcyProcess.Form_Load";
    records::Trap(sink(), source, [&] { mLib.globalServices->PrepareForm(this); });
    records::Trap(sink(), source, [&] {
        for (std::size_t i = 0; i < SSRibbonCmdz.size(); ++i)
            SSRibbonCmdz[i]->setText(QString::fromLatin1(kOptionCaptions[i]));
        SSRibbonCmdz[kPay]->setChecked(true);
    });
    records::Trap(sink(), source, [&] {
        for (QGroupBox* frame : mFraCmdz) {
            frame->setVisible(false);
            frame->setTitle(QString());
        }
    });
    records::Trap(sink(), source, [&] {
        mFraCmdz[kPay]->setVisible(true);
        mFraCmdz[kPay]->setVisible(SSRibbonCmdz[kPay]->isChecked());
    });
}

void frmBankruptcyProcess::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per showing: a message box of our own closing activates the window again.
    if (!event->spontaneous()) Form_Activate();
}

void frmBankruptcyProcess::Form_Activate() {
    const char* source = "KORVA_BankruptcyProcess.Form_Activate";
    auto step = [&](auto&& body) { records::Trap(sink(), source, body); };
    process_dialog::CaseSummary summary;
    step([&] {
        mLblDischarge[11]->clear();
        mLblDischarge[12]->clear();
    });
    step([&] { GetReceiptNumber(); });
    step([&] { summary = process_dialog::BuildCaseSummary(mRs.get()); });
    step([&] {
        mLblDischarge[11]->setText(QString::fromStdString(summary.lastPayment));
        mLblDischarge[12]->setText(QString::fromStdString(summary.totals));
    });
    step([&] { GetReceiptNumber(); });

    QPushButton* save = mCmdDischarge[0];
    step([&] {
        const bool open = mRs && records::TextOf(mRs->Get("STTS_CD")) == "O";
        save->setEnabled(open);
    });
    step([&] {
        for (QRadioButton* option : SSRibbonCmdz) option->setEnabled(save->isEnabled());
        for (int i : {kWriteOff, kDismiss}) {
            QRadioButton* option = SSRibbonCmdz[static_cast<std::size_t>(i)];
            option->setEnabled(option->isEnabled() && udtCustomer.IsBankruptcyManager);
        }
    });
    step([&] {
        if (!summary.paidInFull) return;
        SSRibbonCmdz[kPay]->setEnabled(false);
        SSRibbonCmdz[SSRibbonCmdz[kWriteOff]->isEnabled() ? kWriteOff : kDismiss]->setChecked(true);
        mLib.globalServices->ClearInvalid(mTxtComment);
    });
    step([&] {
        const bool pay = SSRibbonCmdz[kPay]->isEnabled();
        for (QLineEdit* box : {mTxtAmount, mTxtCheck}) {
            box->setEnabled(pay);
            box->setReadOnly(!pay);
        }
        const bool any = std::any_of(SSRibbonCmdz.begin(), SSRibbonCmdz.end(),
                                     [](QRadioButton* o) { return o->isEnabled(); });
        mTxtComment->setEnabled(any);
        mTxtComment->setReadOnly(!any);
    });
    step([&] {
        save->setEnabled(save->isEnabled() && mTxtComment->isEnabled());
        if (!save->isEnabled()) mCmdDischarge[1]->setFocus(Qt::OtherFocusReason);
    });
}

void frmBankruptcyProcess::SSRibbonCmdz_Click(int Index, bool Value) {
    records::IgnoreErrors([&] {
        for (std::size_t i = 0; i < mFraCmdz.size(); ++i) {
            if (static_cast<int>(i) != Index) mFraCmdz[i]->setVisible(false);
        }
        mFraCmdz.at(static_cast<std::size_t>(Index))->setVisible(Value);
    });
    if (Index == kPay) records::IgnoreErrors([&] { GetReceiptNumber(); });
    records::IgnoreErrors([&] {
        if (oDbBind->Count() > 0) ValidateChanges(false);
    });
}

void frmBankruptcyProcess::Unload() {
    if (!mBlnLoaded) return;
    Form_Unload();
    mBlnLoaded = false;
    QDialog::done(QDialog::Rejected);
}

void frmBankruptcyProcess::Form_Unload() {
    records::IgnoreErrors([&] {
        if (mStrCommand.empty() || !mRs || !mRs->IsOpen()) return;
        if (mRs->GetEditMode() == records::EditMode::None) return;
        mRs->CancelUpdate();
        // Only what this dialog staged: a row that a sent request waits on keeps its stamp.
        if (mRs->IsBatchOptimistic() && mRs->AbsolutePosition() > 0 &&
            mRs->Get("Theme").isNothing()) {
            mRs->CancelBatch(records::Affect::Current);
        }
    });
    records::IgnoreErrors([&] { handBackDrawnNumbers(); });
    records::IgnoreErrors([&] {
        oDbBind->UpdateControls();
        oDbBind->Clear();
        oDbBind->SetDataSource(nullptr);
    });
    records::IgnoreErrors([&] { mRs.reset(); });
}

void frmBankruptcyProcess::Form_Terminate() {
    records::IgnoreErrors([&] {
        if (mBlnLoaded) Form_Unload();
    });
    records::IgnoreErrors([&] {
        if (oDbBind) oDbBind->Clear();
    });
    mRs.reset();
}

void frmBankruptcyProcess::setStatus(const std::string& text) {
    records::IgnoreErrors([&] { mLib.statusLine->SetStatus(text); });
}
