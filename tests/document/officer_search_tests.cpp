// The assigned-officer box (typed keys, pastes by keyboard and mouse, the check against the
// known officers) and the officer search ("Search" and "Officer Select").

#include <QClipboard>
#include <QGuiApplication>
#include <QTreeWidget>

#include "document/frm_select_officer.h"
#include "document_fixture.h"
#include "platform/common/global_services.h"
#include "platform/widgets/officer_select.h"

namespace document_testing {
namespace {

class OfficerTest : public DocumentTest {
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

// One entry after the other into the box: 't' types and leaves, 'i' pastes with Shift+Insert,
// 'v' with Ctrl+V, 'm' with the middle button, 'l' only leaves. The box then shows `shown`
// (unless null), `beeps` more beeps were heard (kSome: at least one), and, unless `id` is null,
// the customer's officer is `id`, the box is marked while it is not one, and Add follows.
TEST_F(OfficerTest, OnlyWholeNumbersOfOfficersGetIn) {
    constexpr int kSome = -1;
    struct Entry {
        char how;
        const char *text, *shown;
        int beeps;
        const char* id;
    };
    const Entry entries[] = {
        {'t', "1a0 1", "101", 2, "101"},
        {'t', "102", "102", 0, "102"},
        {'i', "12.5", "102", 1, nullptr},
        {'i', "$12", "102", 1, nullptr},
        {'i', "abc", "102", 1, nullptr},
        {'v', "$12", "102", 1, nullptr},
        {'m', "12.5", "102", 1, nullptr},
        {'m', "101", "101", 0, nullptr},
        {'i', "12", "12", 0, nullptr},
        // Blanks around a pasted number are trimmed for the check only.
        {'i', " 101 ", " 101 ", 0, nullptr},
        {'l', "", " 101 ", 0, "101"},
        // A whole number passes the paste check, but no officer is negative.
        {'i', "-3", "-3", 0, nullptr},
        {'l', "", "", 0, ""},
        // Blanks are no number: the text before is put back, and checked again (a second beep).
        {'i', "   ", "", kSome, nullptr},
        {'t', "99999999999", nullptr, 0, ""},
    };
    QLineEdit* box = officerBox();
    for (const Entry& e : entries) {
        SCOPED_TRACE(std::string(1, e.how) + " '" + e.text + "'");
        const int beeps = interaction->beeps();
        reporter->errors.clear();
        if (e.how == 't') {
            typeOfficer(e.text);
        } else if (e.how == 'm') {  // what a middle-button paste does
            QTest::mousePress(box, Qt::MiddleButton);
            box->setText(e.text);
            QTest::mouseRelease(box, Qt::MiddleButton);
        } else if (e.how != 'l') {
            box->setFocus(Qt::MouseFocusReason);
            box->selectAll();
            QGuiApplication::clipboard()->setText(e.text);
            QTest::keyClick(box, e.how == 'v' ? Qt::Key_V : Qt::Key_Insert,
                            e.how == 'v' ? Qt::ControlModifier : Qt::ShiftModifier);
        } else {
            option(0)->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
        }
        if (e.shown) {
            EXPECT_EQ(box->text(), e.shown);
        }
        if (e.beeps == kSome) {
            EXPECT_GT(interaction->beeps(), beeps);
        }
        if (e.beeps != kSome) {
            EXPECT_EQ(interaction->beeps(), beeps + e.beeps);
        }
        if (!e.id) continue;
        if (e.how == 't' && !*e.id) {  // a number too large for an officer
            EXPECT_TRUE(reporter->mentions("KORVA_Bankruptcy.ValidateAssignedOfficer"));
        }
        EXPECT_EQ(doc->Customer().AsgnOfficerID, e.id);
        EXPECT_EQ(markedInvalid(), !*e.id);
        EXPECT_EQ(command(0)->isEnabled(), *e.id != 0);
    }
}

// OK, Cancel and the search by name are played by a scenario; the form kept between searches and
// dropped by a cancel are checked here.
TEST_F(OfficerTest, OkKeepsTheFormWithItsSelectionAndCancelDropsIt) {
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

}  // namespace
}  // namespace document_testing
