// Typing and pasting into the three boxes, leaving the amount box, and the checks of
// ValidateChanges with their messages.

#include "process_fixture.h"

namespace process_testing {
namespace {

TEST_F(ProcessDialogTest, KeysAreFilteredPerBoxWithABeep) {
    open();
    type(amountBox(), "12a 3.5.0", false);
    EXPECT_EQ(amountBox()->text(), "123.50");  // letter, blank and a second point refused
    EXPECT_EQ(interaction->beeps(), 3);
    type(checkBox(), "CK 1/2-x", false);
    EXPECT_EQ(checkBox()->text(), "CK12-x");
    EXPECT_EQ(interaction->beeps(), 5);
    type(commentBox(), "Paid in part; see note", false);
    EXPECT_EQ(commentBox()->toPlainText(), "Paid in part; see note");
    EXPECT_EQ(interaction->beeps(), 5);
}

TEST_F(ProcessDialogTest, TypedAmountsStayWithinTheLargestPayment) {
    open();
    type(amountBox(), "99999999", false);
    EXPECT_EQ(amountBox()->text(), "9999999");
    EXPECT_EQ(interaction->beeps(), 1);
}

TEST_F(ProcessDialogTest, EnterMovesOnInsteadOfTyping) {
    open();
    type(commentBox(), "First", false);
    QTest::keyClick(commentBox(), Qt::Key_Return);
    EXPECT_EQ(commentBox()->toPlainText(), "First");  // no line break from the keyboard
    EXPECT_FALSE(commentBox()->hasFocus());
    EXPECT_EQ(interaction->tabs(), 1);
}

TEST_F(ProcessDialogTest, PastesAreCheckedAndRefusedOnesPutBack) {
    open();
    type(amountBox(), "12", false);
    paste(amountBox(), "twelve");
    EXPECT_EQ(amountBox()->text(), "12");
    paste(amountBox(), "10000000");
    EXPECT_EQ(amountBox()->text(), "12");
    EXPECT_EQ(interaction->beeps(), 2);
    paste(amountBox(), "$1,250.50");
    EXPECT_EQ(amountBox()->text(), "$1,250.50");

    type(checkBox(), "CK1", false);
    paste(checkBox(), "CK 2");
    EXPECT_EQ(checkBox()->text(), "CK1");
    EXPECT_EQ(interaction->beeps(), 3);
    // Ctrl+V is a paste as well.
    checkBox()->selectAll();
    QApplication::clipboard()->setText("CK#9");
    QTest::keyClick(checkBox(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(checkBox()->text(), "CK1");
    EXPECT_EQ(interaction->beeps(), 4);
}

TEST_F(ProcessDialogTest, LeavingTheAmountShowsItsCurrencyFormAndMarksEntries) {
    open();
    type(amountBox(), "1234.5");
    EXPECT_EQ(amountBox()->text(), "$1,234.50");
    // Leaving a box checks the entries without a message: the check number is still missing.
    EXPECT_TRUE(checkBox()->property("halberonInvalid").toBool());
    EXPECT_FALSE(amountBox()->property("halberonInvalid").toBool());
    EXPECT_TRUE(interaction->boxes().empty());
    amountBox()->setFocus(Qt::MouseFocusReason);
    amountBox()->selectAll();
    QTest::keyClick(amountBox(), Qt::Key_Delete);
    dialog->CommandButton(1)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(amountBox()->text(), "");
    EXPECT_TRUE(amountBox()->property("halberonInvalid").toBool());
}

TEST_F(ProcessDialogTest, PaymentRulesAreListedInOrderAndNothingIsStaged) {
    open();
    interaction->queueAnswer(platform::MsgAnswer::OK);
    clickSave();
    ASSERT_EQ(interaction->boxes().size(), 1u);
    const auto& box = interaction->boxes().front();
    EXPECT_EQ(box.text,
              "A Payment Amount is required.\r\nA Payment Check Number is required.\r\n"
              "The Comment must be changed.\r\n\r\n");
    EXPECT_EQ(box.icon, platform::MsgIcon::Critical);
    EXPECT_EQ(box.title, "Process Bankruptcy");
    EXPECT_EQ(dialog->Command(), "PAY");  // stays set while the checks fail
    cases->MoveFirst();
    EXPECT_TRUE(cases->Get("ACTION").isNull());
    EXPECT_EQ(cases->Status() & records::status::Modified, 0);
    EXPECT_EQ(backEnd->count("Handle:"), 0);
}

TEST_F(ProcessDialogTest, AmountsOfZeroOrLessAndBlankCommentsAreRefused) {
    open();
    for (const QString& amount : {QString("0"), QString("-5")}) {
        fillPayment(amount, "CK-1", "   ");
        interaction->queueAnswer(platform::MsgAnswer::OK);
        clickSave();
        EXPECT_EQ(lastBoxText(),
                  "Payment Amount must be > $0.00 \r\nA Comment is required.\r\n\r\n")
            << amount.toStdString();
    }
}

TEST_F(ProcessDialogTest, DismissNeedsFourDatesAndANameButNoPhone) {
    CaseRow row;
    row.phone = "";
    row.trustee = "  ";
    open(row);
    choose(2);
    type(commentBox(), "Court dismissed");
    interaction->queueAnswer(platform::MsgAnswer::OK);
    clickSave();
    EXPECT_EQ(lastBoxText(),
              "All Four Dates must be present to Dismiss a Bankruptcy.\r\n"
              "A Trustee Name must be present.\r\n\r\n");
}

TEST_F(ProcessDialogTest, WriteOffNeedsTheDatesTheNameAndThePhone) {
    CaseRow row;
    row.phone = "";
    open(row);
    choose(1);
    type(commentBox(), "Discharged");
    interaction->queueAnswer(platform::MsgAnswer::OK);
    clickSave();
    EXPECT_EQ(lastBoxText(),
              "All Four Dates must be present to Close and Write-Off a Bankruptcy.\r\n"
              "A Trustee Telephone Number must be present.\r\n\r\n");
}

TEST_F(ProcessDialogTest, ACaseNotOpenFailsOnItsStatusAndTheCommentOnly) {
    CaseRow row;
    row.status = "W";
    open(row);
    interaction->queueAnswer(platform::MsgAnswer::OK);
    EXPECT_FALSE(dialog->ValidateChanges(true));
    EXPECT_EQ(lastBoxText(),
              "The Bankruptcy Case must be in 'Open' status to be processed.\r\n"
              "The Comment must be changed.\r\n\r\n");
}

TEST_F(ProcessDialogTest, AReceiptThatCannotBeDrawnIsARule) {
    open();
    fillPayment();
    backEnd->refuseNumbers = true;
    interaction->queueAnswer(platform::MsgAnswer::OK);
    clickSave();
    EXPECT_EQ(lastBoxText(), "A Receipt Number could not be generated.\r\n\r\n");
    EXPECT_TRUE(dialog->DataLabel(7)->property("halberonInvalid").toBool());
    EXPECT_EQ(backEnd->count("Handle:"), 0);
}

}  // namespace
}  // namespace process_testing
