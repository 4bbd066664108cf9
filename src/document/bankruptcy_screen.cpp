// The document's controls. Every control carries its name as object name, control-array members
// with their index in parentheses.
#include "document/bankruptcy_screen.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/customer_select.h"
#include "platform/widgets/data_grid.h"

namespace {

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

struct CommandCaption {
    int index;
    const char* caption;
};
// Index order of the control array; the command bar shows them in the order of work.
constexpr CommandCaption kCommandCaptions[] = {
    {0, "Add Bankruptcy"}, {1, "Bankruptcy Case ARs"},
    {2, "Refresh"},        {3, "Process Bankruptcy Case"},
    {4, "Search"},         {5, "Edit Bankruptcy Data"},
};

constexpr const char* kSortCaptions[] = {"AR #", "AR Type", "Issue Date"};

}  // namespace

void BankruptcyScreen::setupUi(QWidget* document, std::shared_ptr<messaging::BackEnd> directory) {
    document->setObjectName(QStringLiteral("KORVA_Bankruptcy"));

    for (const CommandCaption& c : kCommandCaptions) {
        auto* button = new QPushButton(QString::fromLatin1(c.caption), document);
        button->setObjectName(arrayName("mCmdBankruptcy", c.index));
        button->setAutoDefault(false);
        mCmdBankruptcy[static_cast<std::size_t>(c.index)] = button;
    }

    SSTab1 = new QTabWidget(document);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildCustomerTab(std::move(directory)), QStringLiteral("Se&l Cust"));
    SSTab1->addTab(buildReceivablesTab(), QStringLiteral("Set &Up Bankruptcy"));
    SSTab1->addTab(buildCasesTab(), QStringLiteral("B&ankruptcy History"));

    auto* commands = new QHBoxLayout;
    commands->addStretch(1);
    for (int index : {0, 5, 3, 1, 2})
        commands->addWidget(mCmdBankruptcy[static_cast<std::size_t>(index)]);

    auto* page = new QVBoxLayout(document);
    page->setContentsMargins(6, 6, 6, 6);
    page->addWidget(SSTab1, 1);
    page->addLayout(commands);

    mTimUpdateTimeout = new QTimer(document);
    mTimUpdateTimeout->setObjectName(QStringLiteral("mTimUpdateTimeout"));
    // As laid out; Show enforces the floor.
    mTimUpdateTimeout->setInterval(KORVA_Bankruptcy::kTimerDefaultMs);
}

QWidget* BankruptcyScreen::buildCustomerTab(std::shared_ptr<messaging::BackEnd> directory) {
    auto* tab = new QWidget;
    KORVA_CustSelect1 = new platform::CustomerSelect(std::move(directory), tab);
    KORVA_CustSelect1->setObjectName(QStringLiteral("KORVA_CustSelect1"));
    auto* box = new QVBoxLayout(tab);
    box->addWidget(KORVA_CustSelect1, 1);
    return tab;
}

QWidget* BankruptcyScreen::buildCustomerLabels(int first, const QString& title) {
    auto* group = new QGroupBox(title);
    group->setObjectName(first == 0 ? QStringLiteral("mFraCustomer(0)")
                                    : QStringLiteral("mFraCustomer(1)"));
    const auto base = static_cast<std::size_t>(first);
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(group);
        label->setObjectName(arrayName("mLblDataBankruptcy", first + i));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        mLblDataBankruptcy[base + static_cast<std::size_t>(i)] = label;
    }
    auto at = [&](int i) { return mLblDataBankruptcy[base + static_cast<std::size_t>(i)]; };
    QFont nameFont = at(0)->font();
    nameFont.setBold(true);
    at(0)->setFont(nameFont);

    // Name and phone on the first line, the address lines beside each other, then city,
    // state and postal code together.
    auto line = [](std::initializer_list<QWidget*> widgets) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        for (QWidget* w : widgets) row->addWidget(w);
        row->addStretch(1);
        return row;
    };
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Name:")), 0, 0);
    grid->addWidget(at(0), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Phone:")), 0, 2);
    grid->addWidget(at(6), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Address:")), 1, 0);
    grid->addLayout(line({at(1), at(2)}), 1, 1);
    grid->addLayout(line({at(3), at(4), at(5)}), 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(3, 140);
    return group;
}

platform::DataGrid* BankruptcyScreen::buildGrid(int index, QWidget* tab) {
    auto* grid = new platform::DataGrid(tab);
    grid->SetIndex(index);
    grid->setObjectName(arrayName("mSdgBankruptcy", index));
    grid->StyleSets().Add("UNBOLD");
    mSdgBankruptcy[static_cast<std::size_t>(index)] = grid;
    return grid;
}

QWidget* BankruptcyScreen::buildReceivablesTab() {
    auto* tab = new QWidget;
    platform::DataGrid* grid = buildGrid(KORVA_Bankruptcy::ars, tab);

    mFraSortBy = new QGroupBox(QStringLiteral("Sort By"), tab);
    mFraSortBy->setObjectName(QStringLiteral("mFraSortBy"));
    auto* sortBox = new QVBoxLayout(mFraSortBy);
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(kSortCaptions[i]), mFraSortBy);
        option->setObjectName(arrayName("mOptBankruptcy", i));
        sortBox->addWidget(option);
        mOptBankruptcy[static_cast<std::size_t>(i)] = option;
    }
    mOptBankruptcy[0]->setChecked(true);

    mFraAssigned = new QGroupBox(QStringLiteral("Follow up Assigned to"), tab);
    mFraAssigned->setObjectName(QStringLiteral("mFraAssigned"));
    mLblOfficer = new QLabel(QStringLiteral("Officer #:"), mFraAssigned);
    mLblOfficer->setObjectName(QStringLiteral("mLblOfficer"));
    mTxtBankruptcy = new QLineEdit(mFraAssigned);
    mTxtBankruptcy->setObjectName(QStringLiteral("mTxtBankruptcy"));
    mTxtBankruptcy->setMaxLength(10);
    mTxtBankruptcy->setMaximumWidth(110);
    mLblOfficer->setBuddy(mTxtBankruptcy);
    auto* officerBox = new QGridLayout(mFraAssigned);
    officerBox->addWidget(mLblOfficer, 0, 0);
    officerBox->addWidget(mTxtBankruptcy, 0, 1);
    officerBox->addWidget(mCmdBankruptcy[4], 1, 0, 1, 2);

    auto* side = new QVBoxLayout;
    side->addWidget(mFraSortBy);
    side->addWidget(mFraAssigned);
    side->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addWidget(grid, 1);
    body->addLayout(side);

    auto* box = new QVBoxLayout(tab);
    box->addWidget(buildCustomerLabels(0, QStringLiteral("Customer")));
    box->addLayout(body, 1);
    return tab;
}

QWidget* BankruptcyScreen::buildCasesTab() {
    auto* tab = new QWidget;
    platform::DataGrid* grid = buildGrid(KORVA_Bankruptcy::FILINGS, tab);

    auto* box = new QVBoxLayout(tab);
    box->addWidget(buildCustomerLabels(7, QStringLiteral("Customer")));
    box->addWidget(grid, 1);
    return tab;
}
