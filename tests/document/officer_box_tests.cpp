// The assigned-officer box: typed keys, pastes, and the check against the known officers.

#include <QClipboard>
#include <QGuiApplication>

#include "document_fixture.h"
#include "platform/common/global_services.h"

namespace document_testing {
namespace {

class OfficerBoxTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        open();
        ASSERT_TRUE(selectAndWait("1002"));
        tabs()->setCurrentIndex(1);
        clickSelector(grid(KORVA_Bankruptcy::ars), 1);
    }
    bool markedInvalid() { return officerBox()->property(platform::kInvalidProperty).toBool(); }
    void paste(const QString& text, QKeyCombination keys) {
        QLineEdit* box = officerBox();
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, keys.key(), keys.keyboardModifiers());
    }
};

// Typing, zero and unknown officers are played by a scenario; the beeps, Ctrl+V, blanks and
// overflow are checked here.
TEST_F(OfficerBoxTest, OnlyDigitsCanBeTyped) {
    const int beeps = interaction->beeps();
    typeOfficer("1a0 1");
    EXPECT_EQ(officerBox()->text(), "101");
    EXPECT_EQ(interaction->beeps(), beeps + 2);
}

TEST_F(OfficerBoxTest, PastesOfMoneyOrFractionsAreTakenBack) {
    typeOfficer("102");
    for (const char* bad : {"12.5", "$12", "abc"}) {
        const int beeps = interaction->beeps();
        paste(QString::fromLatin1(bad), Qt::ShiftModifier | Qt::Key_Insert);
        EXPECT_EQ(officerBox()->text(), "102") << bad;
        EXPECT_EQ(interaction->beeps(), beeps + 1) << bad;
    }
    // Ctrl+V goes through the same check.
    paste(QStringLiteral("$12"), Qt::ControlModifier | Qt::Key_V);
    EXPECT_EQ(officerBox()->text(), "102");

    const int beeps = interaction->beeps();
    paste(QStringLiteral("12"), Qt::ShiftModifier | Qt::Key_Insert);
    EXPECT_EQ(officerBox()->text(), "12");
    EXPECT_EQ(interaction->beeps(), beeps);
}

TEST_F(OfficerBoxTest, BlanksAroundAPastedNumberAreTrimmedForTheCheckOnly) {
    paste(QStringLiteral(" 101 "), Qt::ShiftModifier | Qt::Key_Insert);
    ASSERT_EQ(officerBox()->text(), " 101 ");
    option(0)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "101");
    EXPECT_EQ(officerBox()->text(), " 101 ");
    EXPECT_FALSE(markedInvalid());
}

TEST_F(OfficerBoxTest, ANumberTooLargeIsNotAccepted) {
    typeOfficer("99999999999");
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "");
    EXPECT_TRUE(markedInvalid());
    EXPECT_FALSE(command(0)->isEnabled());
    EXPECT_TRUE(reporter->mentions("KORVA_Bankruptcy.ValidateAssignedOfficer"));
}

}  // namespace
}  // namespace document_testing
