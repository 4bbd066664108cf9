#include "dialogs/addupdate/frm_bankruptcy_add_update.h"

#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/binding/binding_collection.h"
#include "platform/binding/formatters.h"
#include "platform/binding/korva_dtp.h"
#include "platform/binding/korva_phone.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {

constexpr const char* kSourcePrefix = "KORVA_BankruptcyCaseAdd.";

std::string source(const char* procedure) {
    return std::string(kSourcePrefix) + procedure;
}

// Case numbers are stored in upper case, the letter case of a number meaning nothing: letters
// typed or pasted into the case-number box show as they will be kept.
class UpperCaseLetters final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override {
        for (QChar& c : input) c = c.toUpper();
        return Acceptable;
    }
};

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

}  // namespace

frmBankruptcyAddUpdate::frmBankruptcyAddUpdate(messaging::CommonLibrary library,
                                               std::shared_ptr<platform::Interaction> interaction,
                                               QWidget* parent)
    : QDialog(parent), mLib(std::move(library)), mInteraction(std::move(interaction)) {
    buildControls();
    Form_Initialize();
    connectControls();
    Form_Load();
}

frmBankruptcyAddUpdate::~frmBankruptcyAddUpdate() {
    Form_Unload();  // released without an unload: the same as the owner unloading it
    Form_Terminate();
}

void frmBankruptcyAddUpdate::buildControls() {
    setObjectName(QStringLiteral("frmBankruptcyAddUpdate"));
    setWindowTitle(QStringLiteral("Add Bankruptcy"));
    setModal(true);

    mFraAddBankruptcy = new QFrame(this);
    mFraAddBankruptcy->setObjectName(QStringLiteral("mFraAddBankruptcy"));
    mFraAddBankruptcy->setFrameShape(QFrame::StyledPanel);

    static constexpr const char* kCaptions[] = {"Case #:",
                                                "Bankruptcy Notification Date:",
                                                "Court Filing Date:",
                                                "Claim Filing Date:",
                                                "Court Close Date:",
                                                "Trustee Phone #:",
                                                "Trustee Name:",
                                                "Comments:"};
    for (int i = 0; i < 9; ++i) {
        auto* label = new QLabel(mFraAddBankruptcy);
        label->setObjectName(indexed("mLblAddBankruptcy", i));
        if (i < 8) label->setText(QString::fromLatin1(kCaptions[i]));
        mLblAddBankruptcy[static_cast<std::size_t>(i)] = label;
    }
    QLabel* summary = mLblAddBankruptcy[8];
    summary->setText(QStringLiteral("Adding  0 AR's       worth $0,000,000.00"));
    summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary->setMinimumWidth(170);
    summary->setFrameShape(QFrame::Panel);
    summary->setFrameShadow(QFrame::Sunken);
    summary->setMargin(6);

    mTxtCaseId = new QLineEdit(mFraAddBankruptcy);
    mTxtCaseId->setObjectName(indexed("mTxtAddBankruptcy", 0));
    mTxtCaseId->setMaxLength(kCaseIdLength);
    mTxtCaseId->setValidator(new UpperCaseLetters(mTxtCaseId));
    mTxtTrustee = new QLineEdit(mFraAddBankruptcy);
    mTxtTrustee->setObjectName(indexed("mTxtAddBankruptcy", 1));
    mTxtTrustee->setMaxLength(kTrusteeLength);
    mTxtComment = new QPlainTextEdit(mFraAddBankruptcy);
    mTxtComment->setObjectName(indexed("mTxtAddBankruptcy", 2));
    mTxtComment->setTabChangesFocus(true);
    mTxtComment->setFixedHeight(72);
    for (int i = 0; i < 4; ++i) {
        auto* picker = new platform::KORVA_DTP(mFraAddBankruptcy);
        picker->setObjectName(indexed("mDtpAddBankruptcy", i));
        mDtpAddBankruptcy[static_cast<std::size_t>(i)] = picker;
    }
    KORVA_Phone1 = new platform::KORVA_Phone(mFraAddBankruptcy);
    KORVA_Phone1->setObjectName(QStringLiteral("KORVA_Phone1"));

    // Fields top to bottom in the order of the tab stops; the summary to the right at the top.
    auto* grid = new QGridLayout(mFraAddBankruptcy);
    QWidget* const fields[] = {mTxtCaseId,           mDtpAddBankruptcy[0], mDtpAddBankruptcy[1],
                               mDtpAddBankruptcy[2], mDtpAddBankruptcy[3], KORVA_Phone1,
                               mTxtTrustee,          mTxtComment};
    for (int row = 0; row < 8; ++row) {
        grid->addWidget(mLblAddBankruptcy[static_cast<std::size_t>(row)], row, 0,
                        row == 7 ? Qt::AlignTop | Qt::AlignRight : Qt::AlignRight);
        grid->addWidget(fields[row], row, 1, 1, row >= 6 ? 2 : 1);
    }
    grid->addWidget(summary, 0, 2, 6, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 200);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    static constexpr const char* kButtons[] = {"Save", "Cancel"};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kButtons[i]), this);
        button->setObjectName(indexed("mCmdAddBankruptcy", i));
        button->setAutoDefault(false);  // Enter belongs to the entry boxes
        mCmdAddBankruptcy[static_cast<std::size_t>(i)] = button;
        buttons->addWidget(button);
    }
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(mFraAddBankruptcy);
    outer->addLayout(buttons);

    QWidget* previous = mTxtCaseId;
    for (QWidget* next :
         {static_cast<QWidget*>(mDtpAddBankruptcy[0]), static_cast<QWidget*>(mDtpAddBankruptcy[1]),
          static_cast<QWidget*>(mDtpAddBankruptcy[2]), static_cast<QWidget*>(mDtpAddBankruptcy[3]),
          static_cast<QWidget*>(KORVA_Phone1), static_cast<QWidget*>(mTxtTrustee),
          static_cast<QWidget*>(mTxtComment), static_cast<QWidget*>(mCmdAddBankruptcy[0]),
          static_cast<QWidget*>(mCmdAddBankruptcy[1])}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void frmBankruptcyAddUpdate::connectControls() {
    for (QObject* box :
         {static_cast<QObject*>(mTxtCaseId), static_cast<QObject*>(mTxtTrustee),
          static_cast<QObject*>(mTxtComment), static_cast<QObject*>(mTxtComment->viewport())}) {
        box->installEventFilter(this);
    }
    connect(mTxtCaseId, &QLineEdit::textChanged, this, [this] { mTxtAddBankruptcy_Change(0); });
    connect(mTxtTrustee, &QLineEdit::textChanged, this, [this] { mTxtAddBankruptcy_Change(1); });
    connect(mTxtComment, &QPlainTextEdit::textChanged, this, [this] {
        // A multi-line box has no length limit of its own: what the user typed or pasted
        // beyond it is cut off.
        if (mTxtComment->hasFocus() && mTxtComment->toPlainText().size() > kCommentLength) {
            mTxtComment->setPlainText(mTxtComment->toPlainText().left(kCommentLength));
            mTxtComment->moveCursor(QTextCursor::End);
        }
        mTxtAddBankruptcy_Change(2);
    });
    for (int i = 0; i < 4; ++i) {
        connect(mDtpAddBankruptcy[static_cast<std::size_t>(i)], &platform::KORVA_DTP::Change, this,
                [this, i] { mDtpAddBankruptcy_Change(i); });
    }
    connect(KORVA_Phone1, &platform::KORVA_Phone::Change, this,
            &frmBankruptcyAddUpdate::KORVA_Phone1_Change);
    for (int i = 0; i < 2; ++i) {
        connect(mCmdAddBankruptcy[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { mCmdAddBankruptcy_Click(i); });
    }
    connect(oDbBind, &platform::BindingCollection::Error, this,
            &frmBankruptcyAddUpdate::oDbBind_Error);
}

platform::KORVA_DTP* frmBankruptcyAddUpdate::datePicker(int index) const {
    return mDtpAddBankruptcy.at(static_cast<std::size_t>(index));
}

QPushButton* frmBankruptcyAddUpdate::command(int index) const {
    return mCmdAddBankruptcy.at(static_cast<std::size_t>(index));
}

// --- lifecycle

void frmBankruptcyAddUpdate::Form_Initialize() {
    const std::string src = source("Form_Initialize");
    auto step = [&](auto&& body) { records::Trap(sink(), src, body); };
    step([&] {
        mRecordset.reset();
        mRecordsetAR.reset();
        mStrMode.clear();
    });
    step([&] {
        if (!oDbBind) oDbBind = new platform::BindingCollection(this);
        oDbBind->Clear();
        oDbBind->SetDataMember(QString());
        oDbBind->SetUpdateMode(platform::BindingCollection::UpdateMode::WhenRowChanges);
    });
    step([&] { oFmtDates = platform::makeDateFormat("mm/dd/yyyy"); });
    step([&] {
        oFmtPhone = platform::makePhoneFormat();
        oFmtText1sp = platform::makeText1spFormat();
    });
}

void frmBankruptcyAddUpdate::resetDatePickers() {
    // Each picker is shown today's date, then cleared, so an empty picker opens on today.
    const QDate today = QDate::currentDate();
    for (platform::KORVA_DTP* picker : mDtpAddBankruptcy) {
        picker->setValue(today);
        picker->setValue(QVariant());
        picker->setMaxdate(platform::dateText(today.addYears(5)));
        picker->setMindate(platform::dateText(today.addYears(-10)));
    }
}

void frmBankruptcyAddUpdate::Form_Load() {
    records::Trap(sink(), source("Form_Load"), [&] {
        mLib.globalServices->PrepareForm(this);
        resetDatePickers();
        KORVA_Phone1->setPhoneNum(QString());
        mTxtCaseId->setEnabled(true);
        mTxtCaseId->setReadOnly(false);
        mStrMode.clear();
    });
}

void frmBankruptcyAddUpdate::SetRecordset(records::RecordsetPtr rs) {
    mRecordset = std::move(rs);
    mOwnRow.reset();
    platform::BindFields(*oDbBind, mRecordset,
                         {{mTxtCaseId, "Text", "CASE_ID", "CaseID", nullptr},
                          {mTxtTrustee, "Text", "TRSTE_NM", "TrusteeName", &*oFmtText1sp},
                          {mTxtComment, "Text", "BNKRPTCY_CMMT_TXT", "COMMENT", &*oFmtText1sp},
                          {mDtpAddBankruptcy[0], "Value", "NTFCTN_DT", "NotifyDate", &*oFmtDates},
                          {mDtpAddBankruptcy[1], "Value", "CRT_FILE_DT", "FilingDate", &*oFmtDates},
                          {mDtpAddBankruptcy[2], "Value", "CLM_FILE_DT", "ClaimDate", &*oFmtDates},
                          {mDtpAddBankruptcy[3], "Value", "CRT_CLSE_DT", "CloseDate", &*oFmtDates},
                          {KORVA_Phone1, "PhoneNum", "TRSTE_PHN_NBR", "PhoneNumber", &*oFmtPhone}},
                         sink(), source("Recordset"));
}

void frmBankruptcyAddUpdate::Form_Activate() {
    const std::string src = source("Form_Activate");
    auto step = [&](auto&& body) { records::Trap(sink(), src, body); };
    const records::RecordsetPtr rs = mRecordset;
    bool adding = false;
    bool open = false;
    step([&] {
        open = rs && rs->IsOpen();
        adding = open && rs->AbsolutePosition() < 1;
    });
    if (open && adding) {
        step([&] {
            mStrMode = "ADD";
            setWindowTitle(QStringLiteral("Add Bankruptcy Case"));
        });
        step([&] {
            rs->AddNew({"CUST_ID", "STTS_CD", "ACTION", "PYMT_CNT"},
                       {records::Value(mCustomerRecord.CustID), records::Value("O"),
                        records::Value("ADD"), records::Value(0)});
            mOwnRow = rs->GetBookmark();
        });
        step([&] {
            const records::Value officer(mCustomerRecord.AsgnOfficerID);
            if (records::IsNumeric(officer)) {
                rs->Set("ASGN_OFCR_ID", records::Value(records::CLng(officer)));
            } else if (mCustomerRecord.AsgnOfficerID.empty()) {
                rs->Set("ASGN_OFCR_ID", records::Value::Null());
            }
        });
        step([&] { oDbBind->UpdateControls(); });  // the record set moved to its new row
        step([&] { resetDatePickers(); });
        step([&] {
            mTxtCaseId->setEnabled(true);
            mTxtCaseId->setReadOnly(false);
            KORVA_Phone1->Refresh();
            CalcTotalARBalDue();
        });
    } else if (open) {
        step([&] {
            mStrMode = "UPD";
            setWindowTitle(QStringLiteral("Update Bankruptcy Case"));
        });
        step([&] {
            const std::string status = records::TextOf(rs->Get("STTS_CD"));
            if (status != "O") {
                for (QWidget* box :
                     {static_cast<QWidget*>(mTxtCaseId), static_cast<QWidget*>(mTxtTrustee),
                      static_cast<QWidget*>(mTxtComment)}) {
                    box->setEnabled(false);
                }
                mTxtCaseId->setReadOnly(true);
                mTxtTrustee->setReadOnly(true);
                mTxtComment->setReadOnly(true);
                for (platform::KORVA_DTP* picker : mDtpAddBankruptcy) picker->setEnabled(false);
                KORVA_Phone1->setEnabled(false);
            } else {
                // A recorded date stays as it is; only the court close date may change.
                mTxtCaseId->setEnabled(false);
                mTxtCaseId->setReadOnly(true);
                mTxtTrustee->setEnabled(true);
                mTxtTrustee->setReadOnly(false);
                mTxtComment->setEnabled(true);
                mTxtComment->setReadOnly(false);
                for (int i = 0; i < 3; ++i)
                    mDtpAddBankruptcy[static_cast<std::size_t>(i)]->setEnabled(false);
                mDtpAddBankruptcy[3]->setEnabled(true);
                mDtpAddBankruptcy[0]->setEnabled(rs->Get("NTFCTN_DT").isNull());
                mDtpAddBankruptcy[1]->setEnabled(rs->Get("CRT_FILE_DT").isNull());
                mDtpAddBankruptcy[2]->setEnabled(rs->Get("CLM_FILE_DT").isNull());
                KORVA_Phone1->setEnabled(true);
            }
        });
        step([&] {
            KORVA_Phone1->Refresh();
            mLblAddBankruptcy[8]->setText(QString());
        });
    }
    step([&] {
        if (mStrMode == "ADD") {
            mCmdAddBankruptcy[0]->setEnabled(true);
        } else {
            const std::string status = records::TextOf(rs ? rs->Get("STTS_CD") : records::Value());
            if (status == "O") {
                mCmdAddBankruptcy[0]->setEnabled(true);
            } else if (status == "D" || status == "W") {
                mCmdAddBankruptcy[0]->setEnabled(false);
            }
        }
    });
    step([&] { mCmdAddBankruptcy[1]->setEnabled(true); });
    // The pending window events are not pumped here: activation runs inside the show, and work
    // queued for the open dialog must find it shown and activated.
}

void frmBankruptcyAddUpdate::cancelOwnRow() {
    const records::RecordsetPtr rs = mRecordset;
    if (!rs || !rs->IsOpen()) return;
    records::IgnoreErrors([&] {
        if (rs->GetEditMode() != records::EditMode::None) rs->CancelUpdate();
    });
    // Only the row this dialog added: an edited row holds nothing staged by this dialog (Save
    // stages it only on its way out), and what other requests staged stays as it is.
    if (!rs->IsBatchOptimistic() || !mOwnRow) return;
    records::IgnoreErrors([&] {
        rs->SetBookmark(*mOwnRow);
        rs->CancelBatch(records::Affect::Current);
    });
}

void frmBankruptcyAddUpdate::Form_Unload() {
    if (mUnloaded) return;
    mUnloaded = true;
    records::IgnoreErrors([&] {
        if (!mStrMode.empty() && mRecordset && mRecordset->IsOpen()) cancelOwnRow();
    });
}

void frmBankruptcyAddUpdate::Form_Terminate() {
    records::IgnoreErrors([&] {
        if (oDbBind) {
            oDbBind->Clear();
            oDbBind->SetDataSource(nullptr);
        }
    });
    oFmtDates.reset();
    oFmtPhone.reset();
    oFmtText1sp.reset();
    mRecordset.reset();
    mRecordsetAR.reset();
}

void frmBankruptcyAddUpdate::Unload() {
    Form_Unload();
    if (isVisible()) QDialog::done(QDialog::Rejected);
}

void frmBankruptcyAddUpdate::done(int result) {
    // Closing the window or Escape unloads; Save hides with Accepted and leaves its row alone.
    if (result != QDialog::Accepted) Form_Unload();
    QDialog::done(result);
}

void frmBankruptcyAddUpdate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous() || mActivated) return;
    mActivated = true;  // once per showing, not again when a message box of ours closes
    Form_Activate();
}

void frmBankruptcyAddUpdate::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) mActivated = false;
}

void frmBankruptcyAddUpdate::oDbBind_Error(long number, const QString& description,
                                           platform::Binding* binding, bool* cancelDisplay) {
    records::IgnoreErrors([&] {
        const std::string where =
            binding ? binding->Key().toStdString() + " to " + binding->DataField().toStdString()
                    : std::string();
        sink()->ReportError(description.toStdString() + " " + std::to_string(number),
                            std::string(records::kExeName), source("DataBinding: ") + where);
    });
    if (cancelDisplay) *cancelDisplay = true;
}
