// The customer and officer selection controls against a scripted directory.

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "platform/widgets/customer_select.h"
#include "platform/widgets/officer_select.h"
#include "scripted_directory.h"

namespace platform::testing {
namespace {

struct CustomerSelectFixture : ::testing::Test {
    void SetUp() override {
        directory = std::make_shared<ScriptedDirectory>();
        directory->customers = {customer("1002", "Acme Roofing", "Portland"),
                                customer("1020", "Birch & Sons", "Salem"),
                                customer("2002", "Acme Paving", "Eugene")};
        messaging::CustomerInfo secondOnly = customer("3003", "Mail Elsewhere", "");
        secondOnly.mailAddress = secondOnly.mailCity = secondOnly.mailState = secondOnly.mailZip =
            "";
        secondOnly.city2 = "Bend";
        directory->customers.push_back(secondOnly);
        control = std::make_unique<CustomerSelect>(directory);
        control->setObjectName("KORVA_CustSelect1");
        control->show();
    }
    std::shared_ptr<ScriptedDirectory> directory;
    std::unique_ptr<CustomerSelect> control;
};

TEST_F(CustomerSelectFixture, TypingAndEnterPicksTheHighlightedCustomer) {
    QSignalSpy changed(control.get(), &CustomerSelect::SelectionChanged);
    control->searchBox()->setFocus();
    QTest::keyClicks(control->searchBox(), "acme");
    EXPECT_TRUE(directory->searches.empty()) << "the search waits for a pause in typing";
    QTest::keyClick(control->searchBox(), Qt::Key_Down);  // nothing found yet: no move
    QTest::keyClick(control->searchBox(), Qt::Key_Return);
    ASSERT_EQ(directory->searches, std::vector<std::string>{"acme"});
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(control->Customer().custId, "1002");

    // The arrow keys move through the results before Enter.
    QTest::keyClick(control->searchBox(), Qt::Key_Down);
    QTest::keyClick(control->searchBox(), Qt::Key_Return);
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(control->Customer().custId, "2002");
    EXPECT_EQ(control->Customer().mailCity, "Eugene");
    EXPECT_EQ(control->Customer().refNumber, "123-45-6789");
}

TEST_F(CustomerSelectFixture, SearchesAfterAPauseAndListsTheSecondAddressCity) {
    QTest::keyClicks(control->searchBox(), "Mail");
    QTRY_COMPARE_WITH_TIMEOUT(control->resultList()->topLevelItemCount(), 1, 2000);
    EXPECT_EQ(control->resultList()->topLevelItem(0)->text(2), "Bend");
    EXPECT_EQ(control->Search("zzz"), 0);
    EXPECT_TRUE(control->searchMessage().contains("zzz"));
}

// Select by id takes only the exact number; clearing by the user raises ClearForm but
// ClearSelection does not; reloading reads the customer again; a failing directory is told.
TEST_F(CustomerSelectFixture, SelectClearReloadAndAFailingDirectory) {
    QSignalSpy changed(control.get(), &CustomerSelect::SelectionChanged);
    QSignalSpy cleared(control.get(), &CustomerSelect::ClearForm);
    QSignalSpy edited(control.get(), &CustomerSelect::CustomerEdit);
    EXPECT_FALSE(control->ReloadCustomer()) << "nothing chosen";
    EXPECT_TRUE(control->SelectCustomerById(" 1020 "));
    EXPECT_EQ(control->Customer().name, "Birch & Sons");
    EXPECT_FALSE(control->SelectCustomerById("10")) << "10 starts two numbers but names none";
    EXPECT_EQ(control->Customer().custId, "1020") << "a failed pick keeps the customer";
    EXPECT_EQ(changed.size(), 1);
    control->ClearSelection();
    EXPECT_FALSE(control->HasCustomer());
    EXPECT_EQ(control->Customer().custId, "");
    EXPECT_TRUE(control->searchBox()->text().isEmpty());
    EXPECT_TRUE(cleared.isEmpty());

    ASSERT_TRUE(control->SelectCustomerById("1002"));
    directory->customers[0].name = "Acme Roofing LLC";
    EXPECT_TRUE(control->ReloadCustomer());
    EXPECT_EQ(control->Customer().name, "Acme Roofing LLC");
    EXPECT_EQ(edited.size(), 1);
    directory->customers.erase(directory->customers.begin());
    EXPECT_FALSE(control->ReloadCustomer());
    EXPECT_EQ(edited.size(), 1);
    EXPECT_EQ(control->Customer().custId, "1002") << "a vanished customer stays chosen";

    auto* button = control->findChild<QToolButton*>("ClearCustomer");
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(cleared.size(), 1);
    EXPECT_FALSE(control->HasCustomer());

    directory->failing = true;
    EXPECT_EQ(control->Search("acme"), 0);
    EXPECT_TRUE(control->searchMessage().contains("back end down"));
    EXPECT_FALSE(control->SelectCustomerById("2002"));
}

TEST(OfficerSelect, FiltersByNumberOrNameAndAnswersTheSelectedNumber) {
    auto directory = std::make_shared<ScriptedDirectory>();
    directory->officers = {{101, "Dana Fox"}, {102, "Lee Park"}, {215, "Dana Hill"}};
    OfficerSelect control(directory);
    control.show();
    QSignalSpy chosen(&control, &OfficerSelect::OfficerChosen);
    EXPECT_EQ(control.objectName(), "KORVA_OfficerSelect");

    QTest::keyClicks(control.filterBox(), "dana");
    EXPECT_EQ(control.VisibleOfficers(), 2);
    QTest::keyClick(control.filterBox(), Qt::Key_Down);
    QTest::keyClick(control.filterBox(), Qt::Key_Down);
    EXPECT_EQ(control.SelectedOfficerId(), "215");
    QTest::keyClick(control.filterBox(), Qt::Key_Return);
    EXPECT_EQ(chosen.size(), 1);

    control.filterBox()->setText("10");
    EXPECT_EQ(control.VisibleOfficers(), 2);
    EXPECT_EQ(control.SelectedOfficerId(), "") << "a filtered-out officer is no answer";
    control.filterBox()->setText("102");
    QTest::keyClick(control.filterBox(), Qt::Key_Return);  // the only one shown
    EXPECT_EQ(control.SelectedOfficerId(), "102");
    EXPECT_EQ(chosen.size(), 2);

    control.filterBox()->clear();
    EXPECT_TRUE(control.SelectOfficer(101));
    directory->officers.push_back({300, "New Hire"});
    control.Reload();
    EXPECT_EQ(control.SelectedOfficerId(), "101") << "reloading keeps the selection";
    EXPECT_FALSE(control.SelectOfficer(999));
    control.ClearSelection();
    EXPECT_EQ(control.SelectedOfficerId(), "");
}

}  // namespace
}  // namespace platform::testing
