#include "dialogs/casehistory/frm_bankruptcy_case_history.h"

#include <string>
#include <vector>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/binding/display_formats.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/list_grid.h"
#include "platform/widgets/row_values.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {

using platform::ColumnDef;
using records::FieldType;
using namespace platform::column_align;

const std::vector<ColumnDef>& historyColumns() {
    static const std::vector<ColumnDef> columns = {
        {"When", "When", nullptr, FieldType::Text, 1900, kNone, kLeft, "", "", true},
        {"Who", "Who", nullptr, FieldType::Text, 2300, kNone, kLeft, "", "", true},
        {"Action", "Action", "ACTN_TXT", FieldType::Text, 1300, kNone, kLeft, "", "", true},
        {"Changes", "Changes", "CHNG_TXT", FieldType::Text, 7200, kNone, kLeft, "", "", true},
        {"CHNG_DT", "CHNG_DT", "CHNG_DT", FieldType::Date, 300, kNone, kNone, "", "", false},
        {"USER_NM", "USER_NM", "USER_NM", FieldType::Text, 300, kNone, kNone, "", "", false},
        {"OFCR_ID", "OFCR_ID", "OFCR_ID", FieldType::Long, 300, kNone, kNone, "", "", false},
    };
    return columns;
}

}  // namespace

frmBankruptcyCaseHistory::frmBankruptcyCaseHistory(messaging::CommonLibrary library,
                                                   QWidget* parent)
    : QDialog(parent), mLib(std::move(library)) {
    buildControls();
    const char* source = "KORVA_BankruptcyCaseHistory.Form_Initialize";
    records::Trap(sink(), source, [&] { platform::SetListOnly(*mSdgCaseHistory, true); });
    records::Trap(sink(), source, [&] { mSdgCaseHistory_InitColumnProps(); });
}

frmBankruptcyCaseHistory::~frmBankruptcyCaseHistory() {
    // The grid lets go of its handlers before it goes with the form.
    mSdgCaseHistory->SetRowLoadedHandler(nullptr);
    mSdgCaseHistory->disconnect(this);
}

void frmBankruptcyCaseHistory::buildControls() {
    setObjectName(QStringLiteral("frmBankruptcyCaseHistory"));
    setWindowTitle(QStringLiteral("Case History"));
    setModal(true);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("mFraCaseHistory"));
    const platform::CaseNumberLine caseLine = platform::MakeCaseNumberLine(
        frame, QStringLiteral("mLblCaseHistory"), QStringLiteral("mLblDataCaseHistory"));
    mLblDataCaseHistory = caseLine.number;
    mSdgCaseHistory = new platform::DataGrid(frame);
    mSdgCaseHistory->setObjectName(QStringLiteral("mSdgCaseHistory"));
    mTxtCaseHistory = new QPlainTextEdit(frame);
    mTxtCaseHistory->setObjectName(QStringLiteral("mTxtCaseHistory"));
    mTxtCaseHistory->setReadOnly(true);
    mTxtCaseHistory->setTabChangesFocus(true);
    mTxtCaseHistory->setMaximumHeight(mTxtCaseHistory->fontMetrics().lineSpacing() * 4 + 12);

    auto* box = new QVBoxLayout(frame);
    box->addLayout(caseLine.layout);
    box->addWidget(mSdgCaseHistory, 1);
    box->addWidget(mTxtCaseHistory);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("mCmdCaseHistory(0)"));
    ok->setDefault(true);
    mCmdCaseHistory[0] = ok;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* page = new QVBoxLayout(this);
    page->addWidget(frame, 1);
    page->addLayout(buttons);
    resize(900, 420);

    connect(ok, &QPushButton::clicked, this, [this] { mCmdCaseHistory_Click(0); });
    connect(mSdgCaseHistory, &platform::DataGrid::InitColumnProps, this,
            [this](int) { mSdgCaseHistory_InitColumnProps(); });
    connect(mSdgCaseHistory, &platform::DataGrid::RowColChange, this,
            [this] { showCurrentChanges(); });
    mSdgCaseHistory->SetRowLoadedHandler(
        [this](int, records::Bookmark b, platform::RowValues& row) {
            mSdgCaseHistory_RowLoaded(b, row);
        });
}

void frmBankruptcyCaseHistory::SetCustomerRecord(const messaging::CustomerRecord& customer) {
    udtCustomer = customer;
    mLblDataCaseHistory->setText(QString::fromStdString(udtCustomer.CaseID));
}

void frmBankruptcyCaseHistory::SetRecordset(records::RecordsetPtr rs) {
    const char* source = "KORVA_BankruptcyCaseHistory.Recordset";
    records::Trap(sink(), source, [&] { mRs = std::move(rs); });
    platform::BindListGrid(*mSdgCaseHistory, mRs, sink(), source);
    showCurrentChanges();
}

void frmBankruptcyCaseHistory::showCurrentChanges() {
    QString text;
    records::IgnoreErrors([&] {  // no current row: nothing to show
        if (mSdgCaseHistory->Bookmark()) text = mSdgCaseHistory->CellText("Changes");
    });
    mTxtCaseHistory->setPlainText(text);
}

void frmBankruptcyCaseHistory::mSdgCaseHistory_InitColumnProps() {
    platform::BuildListColumns(*mSdgCaseHistory, historyColumns(), mRs, sink(),
                               "KORVA_BankruptcyCaseHistory.mSdgCaseHistory_InitColumnProps");
}

void frmBankruptcyCaseHistory::mSdgCaseHistory_RowLoaded(records::Bookmark /*Bookmark*/,
                                                         platform::RowValues& row) {
    auto step = [&](auto&& body) {
        platform::RowFormattingStep(sink(), "KORVA_BankruptcyCaseHistory.mSdgCaseHistory_RowLoaded",
                                    body);
    };
    step([&] {
        row.Set("When",
                records::Value(platform::formatShortDateTime(row.Get("CHNG_DT")).toStdString()));
    });
    step([&] {
        // The user, and the officer number when the user is an officer on file.
        std::string who = records::Trim(records::TextOf(row.Get("USER_NM")));
        const std::string officer = records::Trim(records::TextOf(row.Get("OFCR_ID")));
        if (!officer.empty()) who += " (officer " + officer + ")";
        row.Set("Who", records::Value(who));
    });
}

void frmBankruptcyCaseHistory::mCmdCaseHistory_Click(int Index) {
    records::Trap(sink(), "KORVA_BankruptcyCaseHistory.mCmdCaseHistory_Click", [&] {
        if (Index == 0) accept();
    });
}

void frmBankruptcyCaseHistory::done(int result) {
    QDialog::done(result);
    records::IgnoreErrors([&] { SetRecordset(nullptr); });
}
