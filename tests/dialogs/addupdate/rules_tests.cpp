// The dialog's modes, its rules and marks, the receivable summary and the entry boxes.
#include <QClipboard>

#include "dialogs/addupdate/dialog_fixture.h"
#include "dialogs/rows.h"
#include "platform/common/global_services.h"

namespace addupdate_testing {
namespace {

bool marked(QWidget* w) {
    return w->property(platform::kInvalidProperty).toBool();
}

TEST_F(AddUpdateDialogTest, AddModeStartsANewOpenRowOfTheCustomer) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    EXPECT_EQ(dlg.Mode(), "ADD");
    EXPECT_EQ(cases->RecordCount(), 5);
    testing_rows::expectTexts(*caseClone,
                              "CUST_ID=1002|STTS_CD=O|ACTION=ADD|PYMT_CNT=0|ASGN_OFCR_ID=101");
    EXPECT_TRUE(dlg.command(0)->isEnabled());
    EXPECT_TRUE(dlg.caseNumberBox()->text().isEmpty());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(dlg.datePicker(i)->Value().isValid()) << i;
    // Two receivables of 100 and 250, issued 11/05/2022 and 03/01/2023.
    EXPECT_EQ(
        dlg.summaryLabel()->text(),
        QStringLiteral("Adding 2 ARs \r\nWorth $350.00\r\nFrom 11/05/2022\r\n  To   03/01/2023"));
    EXPECT_EQ(caseClone->Get("TOT_BAL_DUE_AMT"), Value(records::CurrencyFromUnits(350)));
}

TEST_F(AddUpdateDialogTest, TheOfficerOfANewRowFollowsTheOfficerBox) {
    customer.AsgnOfficerID = "";
    openAdd();
    EXPECT_TRUE(caseClone->Get("ASGN_OFCR_ID").isNull());
    dialog.reset();
    customer.AsgnOfficerID = "abc";  // not numeric: left as the layout gives it
    openAdd();
    EXPECT_TRUE(caseClone->Get("ASGN_OFCR_ID").isNull());
    EXPECT_EQ(cases->RecordCount(), 5) << "the first dialog's row went with it";
}

TEST_F(AddUpdateDialogTest, SummaryOfOneReceivableAndOfReceivablesWithoutDates) {
    const std::pair<std::vector<int>, QString> table[] = {
        {{1}, "Adding 1 AR \r\nWorth $250.00\r\nIssued 11/05/2022"},
        {{3}, "Adding 1 AR \r\nWorth $10.00"},
        {{}, ""}};
    for (const auto& [rows, summary] : table) {
        openAdd(rows);
        EXPECT_EQ(dialog->summaryLabel()->text(), summary);
        if (rows.empty()) {
            EXPECT_EQ(caseClone->Get("TOT_BAL_DUE_AMT"), Value(records::Currency{}));
        }
        dialog.reset();
    }
}

TEST_F(AddUpdateDialogTest, AnEmptyNewCaseBreaksEveryRuleInOrder) {
    customer.AsgnOfficerID = "";
    frmBankruptcyAddUpdate& dlg = openAdd({});
    const std::string box = saveRefused();
    EXPECT_EQ(box,
              sentences({"An Assigned Officer Number is required.", "A Case Number is required.",
                         "A Notification Date is required.", "A Court Filing Date is required.",
                         "A Claim Filing Date is required.", "A Comment is required."}));
    EXPECT_EQ(interaction->lastBox()->icon, platform::MsgIcon::Critical);
    EXPECT_EQ(interaction->lastBox()->title, "HALBERON");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.Mode(), "ADD");
    EXPECT_TRUE(marked(dlg.caseNumberBox()));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(marked(dlg.datePicker(i))) << i;
    EXPECT_FALSE(marked(dlg.datePicker(3)));
    EXPECT_FALSE(marked(dlg.trusteeBox()));
    EXPECT_TRUE(marked(dlg.commentBox()));
    EXPECT_EQ(backEnd->count("Handle:"), 0);

    // With a court filing date the missing receivables count as well.
    pick(1, QDate(2023, 6, 1));
    EXPECT_NE(saveRefused().find("At least one Account Receivable must be selected when adding "
                                 "a new Bankruptcy Case.\r\n"),
              std::string::npos);
}

// A new case filed in June 2023 (on `filed`) with the row's case number, receivables, claim and
// close dates (days after the filing) and trustee: valid, or refused with the one sentence.
TEST_F(AddUpdateDialogTest, CaseNumberDateReceivableAndTrusteeRules) {
    constexpr int kNone = 99;
    const char* kClaim = "The Claim Filing Date must come after the Court Filing Date.";
    const char* kIssued =
        "ALL Account Receivable Issue Dates must be on or before the Court Filing "
        "Date.";
    struct Rule {
        const char* caseId;
        std::vector<int> ars;
        int filed, claim, close;
        const char* trustee;
        std::string refused;
    };
    const Rule rules[] = {
        {"BK-5", {0, 1}, 1, 0, kNone, "", kClaim},
        {"BK-5", {0, 1}, 1, -1, kNone, "", kClaim},
        {"BK-5", {0, 1}, 1, 1, 0, "Ann", ""},
        {"BK-5",
         {0, 1},
         1,
         1,
         -1,
         "Ann",
         "The Court Close Date must come on or after the Court Filing date."},
        {"BK-5", {0, 1}, 1, 1, 3, "  ", "A Trustee Name is required."},
        {"BK-5", {0, 1}, 1, 1, kNone, "Ann", ""},
        // Numbers of open or closed cases are taken; another customer's or a dismissed one not.
        {"BK-1", {0, 1}, 1, 9, kNone, "", "Bankruptcy Case BK-1 already exists for this customer."},
        {"BK-7", {0, 1}, 1, 9, kNone, "", "Bankruptcy Case BK-7 already exists for this customer."},
        {"BK-2", {0, 1}, 1, 9, kNone, "", ""},
        {"BK-9", {0, 1}, 1, 9, kNone, "", ""},
        // Receivables issued after the filing or without a date are refused once.
        {"BK-5", {0, 2}, 1, 9, kNone, "", kIssued},
        {"BK-5", {3, 0}, 1, 9, kNone, "", kIssued},
        {"BK-5", {2, 3}, 1, 9, kNone, "", kIssued},
        {"BK-5", {2}, 2, 1, kNone, "", ""},  // issued on the filing day
    };
    for (const Rule& r : rules) {
        SCOPED_TRACE(std::string(r.caseId) + " " + r.refused);
        openAdd(r.ars);
        fillValidCase(QString::fromLatin1(r.caseId));
        const QDate filed(2023, 6, r.filed);
        pick(1, filed);
        pick(2, filed.addDays(r.claim));
        pick(3, r.close == kNone ? QVariant() : QVariant(filed.addDays(r.close)));
        typeInto(dialog->trusteeBox(), QString::fromLatin1(r.trustee));
        const bool show = false;
        EXPECT_EQ(dialog->ValidateChanges(show), r.refused.empty());
        EXPECT_EQ(marked(dialog->caseNumberBox()), r.refused.find("exists") != std::string::npos);
        if (!r.refused.empty()) {
            EXPECT_EQ(saveRefused(), sentences({r.refused.c_str()}));
        }
        dialog.reset();
    }
    EXPECT_TRUE(interaction->failures().empty());
}

TEST_F(AddUpdateDialogTest, QuietValidationMarksWithoutABox) {
    openAdd();
    pick(1, QDate(2023, 6, 1));
    pick(2, QDate(2023, 6, 1));  // a change of a picker runs the quiet validation
    EXPECT_TRUE(marked(dialog->datePicker(1)));
    EXPECT_TRUE(marked(dialog->datePicker(2)));
    pick(2, QDate(2023, 6, 2));
    EXPECT_FALSE(marked(dialog->datePicker(1)));
    EXPECT_FALSE(marked(dialog->datePicker(2)));
    // Leaving the case number box marks it while it is empty.
    dialog->caseNumberBox()->setFocus(Qt::MouseFocusReason);
    dialog->trusteeBox()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(marked(dialog->caseNumberBox()));
    EXPECT_TRUE(interaction->boxes().empty());
}

TEST_F(AddUpdateDialogTest, AnUpdateMustChangeTheComment) {
    frmBankruptcyAddUpdate& dlg = openEdit("BK-1");
    EXPECT_EQ(dlg.Mode(), "UPD");
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Update Bankruptcy Case"));
    EXPECT_EQ(dlg.commentBox()->toPlainText(), QStringLiteral("Filed in June"));
    EXPECT_TRUE(dlg.summaryLabel()->text().isEmpty());
    EXPECT_EQ(saveRefused(), sentences({"The Comment must be changed."}));
    EXPECT_TRUE(marked(dlg.commentBox()));
    typeInto(dlg.commentBox(), QStringLiteral("Filed in june"));  // letter case is a change
    const bool show = false;
    EXPECT_TRUE(dlg.ValidateChanges(show));
    EXPECT_FALSE(marked(dlg.commentBox()));
}

TEST_F(AddUpdateDialogTest, ClosedAndDismissedCasesCanOnlyBeLookedAt) {
    for (const char* caseId : {"BK-7", "BK-9"}) {
        frmBankruptcyAddUpdate& dlg = openEdit(caseId);
        for (QWidget* w :
             {static_cast<QWidget*>(dlg.caseNumberBox()), static_cast<QWidget*>(dlg.trusteeBox()),
              static_cast<QWidget*>(dlg.commentBox()), static_cast<QWidget*>(dlg.phone())}) {
            EXPECT_FALSE(w->isEnabled()) << caseId << " " << w->objectName().toStdString();
        }
        for (int i = 0; i < 4; ++i) EXPECT_FALSE(dlg.datePicker(i)->isEnabled()) << caseId;
        EXPECT_FALSE(dlg.command(0)->isEnabled());
        EXPECT_TRUE(dlg.command(1)->isEnabled());
        dialog.reset();
    }
    openEdit("BK-7");
    EXPECT_EQ(saveRefused(), sentences({"A CLOSED Bankruptcy Case can NOT be edited."}));
}

TEST_F(AddUpdateDialogTest, CaseNumberBoxTakesReferenceKeysAndChecksPastes) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    QLineEdit* box = dlg.caseNumberBox();
    typeInto(box, QStringLiteral("bk-1#2 3"));
    EXPECT_EQ(box->text(), QStringLiteral("BK-123")) << "letters show as they are stored";
    EXPECT_EQ(interaction->beeps(), 2);
    typeInto(box, QStringLiteral("ABCDEFGHIJKLM"));
    EXPECT_EQ(box->text(), QStringLiteral("ABCDEFGHIJ")) << "at most 10 characters";

    typeInto(box, QStringLiteral("BK-5"));
    QApplication::clipboard()->setText(QStringLiteral("2024 BK;1"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(box->text(), QStringLiteral("BK-5"));
    EXPECT_EQ(interaction->beeps(), 3);  // the paste beeps once
    QApplication::clipboard()->setText(QStringLiteral("2024bk1"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(box->text(), QStringLiteral("2024BK1"));
}

TEST_F(AddUpdateDialogTest, EnterMovesOnAndTheOtherBoxesTakeAnyKey) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    typeInto(dlg.trusteeBox(), QStringLiteral("O'Brien & Sons #2"));
    EXPECT_EQ(dlg.trusteeBox()->text(), QStringLiteral("O'Brien & Sons #2"));
    dlg.commentBox()->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(dlg.commentBox(), QStringLiteral("Line"));
    QTest::keyClick(dlg.commentBox(), Qt::Key_Return);
    EXPECT_EQ(dlg.commentBox()->toPlainText(), QStringLiteral("Line"));
    EXPECT_TRUE(dlg.command(0)->hasFocus()) << "Enter goes to the next control, Save";
    EXPECT_EQ(interaction->beeps(), 0);
}

}  // namespace
}  // namespace addupdate_testing
