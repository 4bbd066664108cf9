// The officer search ("Search" and "Officer Select"), and the officer box's pastes of numbers
// that are not officers, by keyboard and by mouse.

#include <QClipboard>
#include <QGuiApplication>
#include <QTreeWidget>

#include "document/frm_select_officer.h"
#include "document_fixture.h"
#include "platform/common/global_services.h"
#include "platform/widgets/officer_select.h"

namespace document_testing {
namespace {

class OfficerSearchTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        open();
        ASSERT_TRUE(selectAndWait("1002"));
        tabs()->setCurrentIndex(1);
        clickSelector(grid(KORVA_Bankruptcy::ars), 1);
    }
    bool markedInvalid() { return officerBox()->property(platform::kInvalidProperty).toBool(); }

    // Presses "Search"; `script` runs inside "Officer Select" and ends it.
    void search(std::function<void(frmSelectOfficer&)> script) {
        interaction->queueModal(
            [script](QDialog& d) { script(dynamic_cast<frmSelectOfficer&>(d)); });
        QTest::mouseClick(command(4), Qt::LeftButton);
    }
    static void press(frmSelectOfficer& form, int index) {
        QTest::mouseClick(
            form.findChild<QPushButton*>(QStringLiteral("mCmdOfficerSel(%1)").arg(index)),
            Qt::LeftButton);
    }
};

// OK, Cancel and the search by name are played by a scenario; the form kept between searches and
// dropped by a cancel are checked here.
TEST_F(OfficerSearchTest, OkKeepsTheFormWithItsSelectionAndCancelDropsIt) {
    int officersListed = 0;
    search([&](frmSelectOfficer& form) {
        officersListed = form.OfficerSelect()->VisibleOfficers();
        ASSERT_EQ(form.SelectedOfficerId(), "") << "a new form has no selection";
        ASSERT_TRUE(form.OfficerSelect()->SelectOfficer(102));
        press(form, 0);
    });
    EXPECT_EQ(officersListed, 2);
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "102");
    frmSelectOfficer* kept = doc->SelectOfficerForm();
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->isVisible());
    std::string selectedAtOpen;
    search([&](frmSelectOfficer& form) {
        EXPECT_EQ(&form, kept);
        selectedAtOpen = form.SelectedOfficerId();
        form.OfficerSelect()->SelectOfficer(101);
        press(form, 1);
    });
    EXPECT_EQ(selectedAtOpen, "102");
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "102");
    EXPECT_EQ(doc->SelectOfficerForm(), nullptr);

    // The next search starts afresh; closing the window with Escape cancels too.
    selectedAtOpen = "?";
    search([&](frmSelectOfficer& form) {
        selectedAtOpen = form.SelectedOfficerId();
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    EXPECT_EQ(selectedAtOpen, "");
    EXPECT_EQ(officerBox()->text(), "102");
    EXPECT_EQ(doc->SelectOfficerForm(), nullptr);
}

TEST_F(OfficerSearchTest, CancelStillChecksTheBox) {
    typeOfficer("999");
    ASSERT_TRUE(markedInvalid());
    search([&](frmSelectOfficer& form) { press(form, 1); });
    EXPECT_EQ(officerBox()->text(), "999");
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "");
    EXPECT_TRUE(markedInvalid());
    EXPECT_FALSE(command(0)->isEnabled());
}

TEST_F(OfficerSearchTest, OkWithoutASelectionTakesNoNumber) {
    typeOfficer("101");
    search([&](frmSelectOfficer& form) { press(form, 0); });
    EXPECT_EQ(officerBox()->text(), "101");
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "101");
}

// Pastes the officer box takes as numbers but that name no officer.
TEST_F(OfficerSearchTest, PastedNegativeOrBlankNumbersAreNotTaken) {
    QLineEdit* box = officerBox();
    auto paste = [&](const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    };
    typeOfficer("101");
    paste(QStringLiteral("-3"));
    ASSERT_EQ(box->text(), "-3") << "a whole number passes the paste check";
    option(0)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "");
    EXPECT_TRUE(markedInvalid());
    EXPECT_FALSE(command(0)->isEnabled());

    const int beeps = interaction->beeps();
    paste(QStringLiteral("   "));
    EXPECT_EQ(box->text(), "") << "blanks are no number: the text before is put back";
    // Putting back the empty text is checked again while the paste goes on: a second beep.
    EXPECT_GT(interaction->beeps(), beeps);
}

TEST_F(OfficerSearchTest, AMousePasteIsCheckedLikeAKeyboardPaste) {
    typeOfficer("102");
    QLineEdit* box = officerBox();
    const int beeps = interaction->beeps();
    // What a middle-button paste does: the button goes down over the box, the text comes in.
    QTest::mousePress(box, Qt::MiddleButton);
    box->setText(QStringLiteral("12.5"));
    QTest::mouseRelease(box, Qt::MiddleButton);
    EXPECT_EQ(box->text(), "102");
    EXPECT_EQ(interaction->beeps(), beeps + 1);

    QTest::mousePress(box, Qt::MiddleButton);
    box->setText(QStringLiteral("101"));
    QTest::mouseRelease(box, Qt::MiddleButton);
    EXPECT_EQ(box->text(), "101");
    EXPECT_EQ(interaction->beeps(), beeps + 1);
}

}  // namespace
}  // namespace document_testing
