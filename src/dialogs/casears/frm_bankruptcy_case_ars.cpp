#include "dialogs/casears/frm_bankruptcy_case_ars.h"

#include <string>
#include <vector>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/casears/receivable_row.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/list_grid.h"
#include "platform/widgets/row_values.h"
#include "records/errors.h"

namespace {

using records::FieldType;

using platform::ColumnDef;
using namespace platform::column_align;

// No group, and unlike the main screen's receivable grid no second "AR Type" column, no ACTION
// and no entry mask on the issue date.
const std::vector<ColumnDef>& caseArColumns() {
    static const std::vector<ColumnDef> columns = {
        {"AR Number", "AcctRcvblNumber", nullptr, FieldType::Text, 1065.26, kNone, kLeft, "", "",
         true},
        {"AR Type", "AcctRcvblType", nullptr, FieldType::Text, 1140.095, kNone, kLeft, "", "",
         true},
        {"Issue Date", "Issue Date", "TRNSCTN_DT", FieldType::Date, 1140.095, kCentre, kNone, "",
         "", true},
        {"Status", "Status", nullptr, FieldType::Text, 2069.858, kNone, kNone, "", "", true},
        {"Assessment Amount", "Assessment Amount", "ACCT_RCVBL_DUE_AMT", FieldType::Currency,
         1590.236, kRight, kCentre, "CURRENCY", "", true},
        {"Amount Due", "Amount Due", "ACCT_RCVBL_BAL_AMT", FieldType::Currency, 1275.024, kRight,
         kRight, "CURRENCY", "", true},
        {"ACCT_RCVBL_TYP_CD", "ACCT_RCVBL_TYP_CD", "ACCT_RCVBL_TYP_CD", FieldType::Text, 315.2126,
         kNone, kLeft, "", "", false},
        {"ACCT_RCVBL_NBR", "ACCT_RCVBL_NBR", "ACCT_RCVBL_NBR", FieldType::Long, 315.2126, kRight,
         kRight, "", "", false},
        {"ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_CK_NBR", FieldType::Long, 315.2126,
         kRight, kRight, "", "", false},
        {"ACCT_STTS_CD", "ACCT_STTS_CD", "ACCT_STTS_CD", FieldType::Text, 125, kNone, kNone, "", "",
         false},
    };
    return columns;
}

}  // namespace

frmBankruptcyCaseARs::frmBankruptcyCaseARs(messaging::CommonLibrary library, QWidget* parent)
    : QDialog(parent), mLib(std::move(library)), ucDTDds1(mLib.errorReporter.get()) {
    buildControls();
    // As laid out: the grid asks its data source for its data member, which at run time serves
    // nothing; Initialize then takes the grid off it.
    records::IgnoreErrors([&] {
        records::RecordsetPtr served;
        ucDTDds1.UserControl_Resize();
        ucDTDds1.GetDataMember(kGridDataMember, served);
        mSdgCaseARs->SetDataMember(kGridDataMember);
        mSdgCaseARs->SetDataSource(served);
    });
    Form_Initialize();
}

frmBankruptcyCaseARs::~frmBankruptcyCaseARs() {
    // The grid lets go of its handlers before it goes with the form.
    mSdgCaseARs->SetRowLoadedHandler(nullptr);
    mSdgCaseARs->disconnect(this);
}

void frmBankruptcyCaseARs::buildControls() {
    setObjectName(QStringLiteral("frmBankruptcyCaseARs"));
    setWindowTitle(QStringLiteral("Case Account Receivables"));
    setModal(true);

    mFraCaseARs = new QGroupBox(this);
    mFraCaseARs->setObjectName(QStringLiteral("mFraCaseARs"));
    const platform::CaseNumberLine caseLine = platform::MakeCaseNumberLine(
        mFraCaseARs, QStringLiteral("mLblCaseARs"), QStringLiteral("mLblDataCaseARs"));
    mLblCaseARs = caseLine.caption;
    mLblDataCaseARs = caseLine.number;
    mSdgCaseARs = new platform::DataGrid(mFraCaseARs);
    mSdgCaseARs->setObjectName(QStringLiteral("mSdgCaseARs"));
    mSdgCaseARs->SetIndex(0);

    auto* frame = new QVBoxLayout(mFraCaseARs);
    frame->addLayout(caseLine.layout);
    frame->addWidget(mSdgCaseARs, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("mCmdCaseARs(0)"));
    ok->setDefault(true);
    mCmdCaseARs[0] = ok;
    // The case's history opens over this list (the document owns that dialog).
    auto* history = new QPushButton(QStringLiteral("&History"), this);
    history->setObjectName(QStringLiteral("mCmdCaseARs(1)"));
    history->setAutoDefault(false);
    mCmdCaseARs[1] = history;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(history);
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* page = new QVBoxLayout(this);
    page->addWidget(mFraCaseARs, 1);
    page->addLayout(buttons);
    resize(660, 340);

    connect(ok, &QPushButton::clicked, this, [this] { mCmdCaseARs_Click(0); });
    connect(history, &QPushButton::clicked, this, [this] { mCmdCaseARs_Click(1); });
    connect(mSdgCaseARs, &platform::DataGrid::InitColumnProps, this,
            [this](int) { mSdgCaseARs_InitColumnProps(); });
    mSdgCaseARs->SetRowLoadedHandler([this](int, records::Bookmark b, platform::RowValues& row) {
        mSdgCaseARs_RowLoaded(b, row);
    });
}

void frmBankruptcyCaseARs::Form_Initialize() {
    // Each step goes on after a report.
    const char* source = "KORVA_BankruptcyCaseListARs.Form_Initialize";
    records::Trap(sink(), source, [&] { mRs = nullptr; });
    records::Trap(sink(), source, [&] { platform::SetListOnly(*mSdgCaseARs, true); });
    records::Trap(sink(), source, [&] { mSdgCaseARs_InitColumnProps(); });
    records::Trap(sink(), source, [&] { mLblDataCaseARs->setText(QString()); });
}

void frmBankruptcyCaseARs::Load() {
    if (!mBlnLoaded) Form_Load();
}

void frmBankruptcyCaseARs::Form_Load() {
    mBlnLoaded = true;
    records::Trap(sink(), "KORVA_BankruptcyCaseListARs.Form_Load", [&] {
        mLib.globalServices->PrepareForm(this);
        mLblDataCaseARs->setText(QString::fromStdString(udtCustomer.CaseID));
        // The record set is bound after the form has loaded, so this never hides one.
        platform::SetListOnly(*mSdgCaseARs, false);
    });
}

void frmBankruptcyCaseARs::Form_Activate() {
    records::IgnoreErrors([&] {
        mLblDataCaseARs->setText(QString());
        mLblDataCaseARs->setText(QString::fromStdString(udtCustomer.CaseID));
    });
}

void frmBankruptcyCaseARs::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Load();
    Form_Activate();
}

void frmBankruptcyCaseARs::SetRecordset(records::RecordsetPtr rs) {
    Load();
    bindRecordset(std::move(rs));
}

void frmBankruptcyCaseARs::bindRecordset(records::RecordsetPtr rs) {
    // Each step goes on after a report.
    const char* source = "KORVA_BankruptcyCaseListARs.Recordset";
    records::Trap(sink(), source, [&] { mRs = std::move(rs); });
    platform::BindListGrid(*mSdgCaseARs, mRs, sink(), source);
}

void frmBankruptcyCaseARs::mSdgCaseARs_InitColumnProps() {
    // Each step goes on after a report.
    platform::BuildListColumns(*mSdgCaseARs, caseArColumns(), mRs, sink(),
                               "KORVA_BankruptcyCaseListARs.mSdgCaseARs_InitColumnProps");
}

void frmBankruptcyCaseARs::mSdgCaseARs_RowLoaded(records::Bookmark /*Bookmark*/,
                                                 platform::RowValues& row) {
    // A failing step is logged with its number and the next one runs.
    auto step = [&](auto&& body) {
        platform::RowFormattingStep(sink(), "KORVA_BankruptcyCaseListARs.mSdgCaseARs_RowLoaded",
                                    body);
    };
    messaging::GlobalServices& services = *mLib.globalServices;
    step([&] { dialogs::FormatIssueDate(row); });
    step([&] { dialogs::FormatReceivableNumber(row); });
    step([&] { dialogs::FormatReceivableType(row, services); });
    step([&] { dialogs::FormatReceivableStatus(row, services); });
}

void frmBankruptcyCaseARs::mCmdCaseARs_Click(int Index) {
    records::Trap(sink(), "KORVA_BankruptcyCaseListARs.mCmdCaseARs_Click", [&] {
        if (Index == 0) Unload();
        if (Index == 1) emit HistoryRequested();
    });
}

void frmBankruptcyCaseARs::Unload() {
    QDialog::done(QDialog::Accepted);
    Form_Unload();
}

void frmBankruptcyCaseARs::done(int result) {
    QDialog::done(result);
    Form_Unload();
}

void frmBankruptcyCaseARs::Form_Unload() {
    if (!mBlnLoaded) return;
    mBlnLoaded = false;
    records::IgnoreErrors([&] {
        mRs = nullptr;
        bindRecordset(nullptr);
    });
}
