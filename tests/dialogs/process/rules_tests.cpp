// Typing and pasting into the three boxes, leaving the amount box, and the checks of
// ValidateChanges with their messages.

#include "process_fixture.h"

namespace process_testing {
namespace {

// One dialog, one entry after the other: 't' types over the box, 'p' pastes with Shift+Insert,
// 'v' with Ctrl+V; the box then holds `shown`, and `beeps` more beeps were heard.
TEST_F(ProcessDialogTest, KeysAndPastesAreFilteredPerBoxWithABeep) {
    open();
    struct Entry {
        int box;
        char how;
        const char* text;
        const char* shown;
        int beeps;
    };
    using F = frmBankruptcyProcess;
    const Entry entries[] = {
        {F::kAmount, 't', "12a 3.5.0", "123.50", 3},  // letter, blank and a second point refused
        {F::kAmount, 't', "99999999", "9999999", 1},  // within the largest payment
        {F::kAmount, 't', "12", "12", 0},
        {F::kAmount, 'p', "twelve", "12", 1},
        {F::kAmount, 'p', "10000000", "12", 1},
        {F::kAmount, 'p', "$1,250.50", "$1,250.50", 0},
        {F::kCheck, 't', "CK 1/2-x", "CK12-x", 2},
        {F::kCheck, 't', "CK1", "CK1", 0},
        {F::kCheck, 'p', "CK 2", "CK1", 1},
        {F::kCheck, 'v', "CK#9", "CK1", 1},
        {F::kComment, 't', "Paid in part; see note", "Paid in part; see note", 0},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.text);
        QWidget* box = dialog->EntryBox(e.box);
        const int beeps = interaction->beeps();
        if (e.how == 't') {
            type(box, e.text, false);
        } else if (e.how == 'p') {
            paste(qobject_cast<QLineEdit*>(box), e.text);
        } else {
            qobject_cast<QLineEdit*>(box)->selectAll();
            QApplication::clipboard()->setText(e.text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        }
        const QString shown = e.box == F::kComment ? commentBox()->toPlainText()
                                                   : qobject_cast<QLineEdit*>(box)->text();
        EXPECT_EQ(shown, e.shown);
        EXPECT_EQ(interaction->beeps(), beeps + e.beeps);
    }
    // Enter moves on instead of typing a line break.
    QTest::keyClick(commentBox(), Qt::Key_Return);
    EXPECT_EQ(commentBox()->toPlainText(), "Paid in part; see note");
    EXPECT_FALSE(commentBox()->hasFocus());
    EXPECT_EQ(interaction->tabs(), 1);
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

// Save with the entries of a row refuses with the row's sentences and stages nothing.
TEST_F(ProcessDialogTest, EachCommandsRulesAreListedInOrderAndNothingIsStaged) {
    struct Rule {
        const char* status;
        const char* trustee;
        const char* phone;
        int option;  // 0 pay, 1 write off, 2 dismiss
        const char *amount, *comment;
        bool noReceipts;
        const char* expected;
    };
    const char* kAll = "Trustee payment";
    const Rule rules[] = {
        {"O", "Ira", "3125550188", 0, "", "", false,
         "A Payment Amount is required.\r\nA Payment Check Number is required.\r\n"
         "The Comment must be changed.\r\n\r\n"},
        {"O", "Ira", "3125550188", 0, "0", "   ", false,
         "Payment Amount must be > $0.00 \r\nA Comment is required.\r\n\r\n"},
        {"O", "Ira", "3125550188", 0, "-5", "   ", false,
         "Payment Amount must be > $0.00 \r\nA Comment is required.\r\n\r\n"},
        {"O", "  ", "", 2, "", "Court dismissed", false,
         "All Four Dates must be present to Dismiss a Bankruptcy.\r\n"
         "A Trustee Name must be present.\r\n\r\n"},
        {"O", "Ira", "", 1, "", "Discharged", false,
         "All Four Dates must be present to Close and Write-Off a Bankruptcy.\r\n"
         "A Trustee Telephone Number must be present.\r\n\r\n"},
        {"W", "Ira", "3125550188", 0, "", "", false,
         "The Bankruptcy Case must be in 'Open' status to be processed.\r\n"
         "The Comment must be changed.\r\n\r\n"},
        {"O", "Ira", "3125550188", 0, "250", kAll, true,
         "A Receipt Number could not be generated.\r\n\r\n"},
    };
    for (const Rule& r : rules) {
        SCOPED_TRACE(r.expected);
        CaseRow row;
        row.status = r.status;
        row.trustee = r.trustee;
        row.phone = r.phone;
        open(row);
        if (r.option != 0) choose(r.option);
        if (*r.amount) fillPayment(r.amount, "CK-1", r.comment);
        if (!*r.amount && *r.comment) type(commentBox(), r.comment);
        backEnd->refuseNumbers = r.noReceipts;
        interaction->queueAnswer(platform::MsgAnswer::OK);
        const std::size_t boxes = interaction->boxes().size();
        if (dialog->CommandButton(0)->isEnabled()) {
            clickSave();
            const char* words[] = {"PAY", "WRITEOFF", "DISMISS"};
            EXPECT_EQ(dialog->Command(), words[r.option]);  // stays set while the checks fail
        } else {
            EXPECT_FALSE(dialog->ValidateChanges(true));
        }
        ASSERT_EQ(interaction->boxes().size(), boxes + 1);
        EXPECT_EQ(lastBoxText(), r.expected);
        EXPECT_EQ(interaction->lastBox()->icon, platform::MsgIcon::Critical);
        EXPECT_EQ(interaction->lastBox()->title, "Process Bankruptcy");
        EXPECT_EQ(dialog->DataLabel(7)->property("halberonInvalid").toBool(), r.noReceipts);
        cases->MoveFirst();
        EXPECT_TRUE(cases->Get("ACTION").isNull());
        EXPECT_EQ(cases->Status() & records::status::Modified, 0);
        EXPECT_EQ(backEnd->count("Handle:"), 0);
    }
}

}  // namespace
}  // namespace process_testing
