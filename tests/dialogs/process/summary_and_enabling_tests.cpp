// The summary lines about a case's payments, the bound case fields, and which commands and boxes
// the dialog lets the user use.

#include "dialogs/process/process_texts.h"
#include "platform/binding/formatters.h"
#include "process_fixture.h"

namespace process_testing {
namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// A case row with the given fields set.
records::RecordsetPtr oneCase(std::initializer_list<std::pair<const char*, Value>> fields) {
    auto rs = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
    rs->AddNew();
    rs->Set("CASE_ID", Value("2020BK0001"));
    for (const auto& [name, value] : fields) rs->Set(name, value);
    rs->Update();
    return rs;
}

Value money(std::int64_t whole, int tenThousandths = 0) {
    return Value(records::CurrencyFromUnits(whole, tenThousandths));
}

TEST(CaseSummary, PaymentsShowTheirValuesBetweenTheFixedPiecesOrZerosNeverAndNotApplicable) {
    const auto none = process_dialog::BuildCaseSummary(oneCase({}).get(), kUs);
    EXPECT_EQ(none.lastPayment,
              "Last Payment:  $0.00  on    <never>    Check#   <n/a>   Receipt   <n/a> ");
    EXPECT_EQ(none.totals, "0  payment(s) made totaling  $0.00  against a Total AR Due of  $0.00");
    EXPECT_TRUE(none.paidInFull) << "nothing paid against nothing due";

    const auto two = process_dialog::BuildCaseSummary(
        oneCase({{"LST_PYMT_AMT", money(1250, 5000)},
                 {"LST_PYMT_DT", Value(records::DateSerial(2024, 3, 7))},
                 {"LST_FUND_RFRNC_NBR", Value("  CK-77  ")},
                 {"LST_RCPT_NBR", Value("100048")},
                 {"PYMT_CNT", Value(2)},
                 {"TOT_PYMT_AMT", money(2000)},
                 {"TOT_BAL_DUE_AMT", money(3140, 2500)}})
            .get(),
        kUs);
    EXPECT_EQ(two.lastPayment,
              "Last Payment:  $1,250.50  on  03/07/2024  Check#  CK-77  Receipt  100048");
    EXPECT_EQ(two.totals,
              "2  payment(s) made totaling  $2,000.00  against a Total AR Due of  $3,140.25");
    EXPECT_FALSE(two.paidInFull);

    // A receipt without a leading number is not applicable; paying the due is paying in full.
    const auto full = process_dialog::BuildCaseSummary(oneCase({{"LST_RCPT_NBR", Value("X-12")},
                                                                {"TOT_PYMT_AMT", money(500)},
                                                                {"TOT_BAL_DUE_AMT", money(500)}})
                                                           .get(),
                                                       kUs);
    EXPECT_NE(full.lastPayment.find("Receipt   <n/a> "), std::string::npos);
    EXPECT_TRUE(full.paidInFull);

    auto empty = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
    EXPECT_EQ(process_dialog::BuildCaseSummary(empty.get(), kUs).lastPayment, "");
    EXPECT_EQ(process_dialog::BuildCaseSummary(nullptr, kUs).totals, "");
}

TEST(AmountRules, CeilingAndCurrencyForm) {
    EXPECT_TRUE(process_dialog::WithinLargestPayment("9999999.99"));
    EXPECT_TRUE(process_dialog::WithinLargestPayment("$9,999,999.99"));
    EXPECT_FALSE(process_dialog::WithinLargestPayment("10000000"));
    EXPECT_FALSE(process_dialog::WithinLargestPayment("1e300"));  // beyond any currency value
    EXPECT_EQ(process_dialog::CurrencyForm("1234.5", kUs), "$1,234.50");
    EXPECT_EQ(process_dialog::CurrencyForm("abc", kUs), "abc");
}

// The dialog reads its date labels back to tell whether the case has all its dates, so a shown
// short date must read back in any regional form, month names included.
TEST(ShortDateLabels, ReadBackInEveryRegionalForm) {
    for (const QLocale& locale : {kUs, QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        const platform::DataFormat format = platform::makeDateFormat("Short Date", locale);
        Value v(records::DateSerial(2020, 2, 10));
        format.Format(v);
        ASSERT_EQ(v.type(), Value::Type::Text);
        EXPECT_EQ(v.text().find('M'), std::string::npos) << v.text();
        format.UnFormat(v);
        EXPECT_EQ(v, Value(records::DateSerial(2020, 2, 10))) << locale.name().toStdString();
    }
}

TEST_F(ProcessDialogTest, ShowsTheCaseThroughItsFormatsAndDrawsNumbers) {
    CaseRow row;
    row.closeDate = true;
    open(row);
    EXPECT_EQ(dialog->windowTitle(), "Process Bankruptcy");
    EXPECT_EQ(dialog->objectName(), "frmBankruptcyProcess");
    EXPECT_EQ(label(3), "2/10/2020");
    EXPECT_EQ(label(6), "6/30/2021");
    // The receipt label shows an "R" number, the label beside it "X" and an "F" number.
    EXPECT_GT(records::Val(label(7).toStdString()), 0);
    EXPECT_TRUE(label(8).startsWith('X'));
    EXPECT_GE(backEnd->draws("R"), 3);  // load, and twice on activation
    EXPECT_GE(backEnd->draws("F"), 3);
    // Only the payment frame shows while "Apply Payment" is selected.
    EXPECT_TRUE(dialog->OptionButton(0)->isChecked());
    EXPECT_TRUE(dialog->OptionFrame(0)->isVisible());
    EXPECT_FALSE(dialog->OptionFrame(1)->isVisible());
    choose(2);
    EXPECT_TRUE(dialog->OptionFrame(2)->isVisible());
    EXPECT_FALSE(dialog->OptionFrame(0)->isVisible());
    EXPECT_TRUE(reporter->errors.empty()) << reporter->errors.front();
}

TEST_F(ProcessDialogTest, ACaseThatIsNotOpenCanOnlyBeCancelled) {
    CaseRow row;
    row.status = "D";
    open(row);
    EXPECT_FALSE(dialog->CommandButton(0)->isEnabled());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(dialog->OptionButton(i)->isEnabled()) << i;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(dialog->EntryBox(i)->isEnabled()) << i;
    EXPECT_TRUE(dialog->CommandButton(1)->hasFocus());
}

TEST_F(ProcessDialogTest, PaidInFullSelectsWriteOffForAManager) {
    CaseRow row;
    row.totalPaid = Value(records::CurrencyFromUnits(3140));
    row.paymentCount = Value(3);
    open(row, true);
    EXPECT_FALSE(dialog->OptionButton(0)->isEnabled());
    EXPECT_TRUE(dialog->OptionButton(1)->isChecked());
    EXPECT_TRUE(dialog->OptionFrame(1)->isVisible());
    EXPECT_FALSE(amountBox()->isEnabled());
    EXPECT_TRUE(amountBox()->isReadOnly());
    EXPECT_TRUE(commentBox()->isEnabled());
    EXPECT_TRUE(dialog->CommandButton(0)->isEnabled());
}

TEST_F(ProcessDialogTest, PaidInFullLeavesAnOfficerNothingToDo) {
    CaseRow row;
    row.totalPaid = Value(records::CurrencyFromUnits(4000));
    open(row, false);
    // "Dismiss Case" is selected although it cannot be used.
    EXPECT_TRUE(dialog->OptionButton(2)->isChecked());
    EXPECT_FALSE(dialog->OptionButton(2)->isEnabled());
    EXPECT_FALSE(commentBox()->isEnabled());
    EXPECT_FALSE(dialog->CommandButton(0)->isEnabled());
    EXPECT_TRUE(dialog->CommandButton(1)->hasFocus());
}

}  // namespace
}  // namespace process_testing
