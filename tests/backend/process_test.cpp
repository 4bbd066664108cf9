// PROCESS: payments, write-off and dismissal of Bram's open case.
#include "backend/case_inputs.h"
#include "support.h"

namespace backend::test {
namespace {

records::Currency Dollars(double d) {
    return records::Currency{static_cast<std::int64_t>(d * 10000.0 + 0.5)};
}

class Process : public BackEndTest {
  protected:
    messaging::Answer Command(const std::string& user, const std::string& action,
                              const Fields& extra = {}) {
        Fields f{{"ACTION", action},
                 {"CUST_ID", "1002"},
                 {"CASE_ID", "2020BK0001"},
                 {"BNKRPTCY_CMMT_TXT", action + " by " + user}};
        for (const auto& [k, v] : extra) f[k] = v;
        return Change("PROCESS", user, f);
    }
    messaging::Answer Pay(const std::string& user, const std::string& receipt, Fields extra) {
        extra.emplace("BNKRPTCY_CMMT_TXT", "PAY by " + user);
        extra.emplace("FUND_RFRNC_NBR", "CK-1001");
        return Change("PROCESS", user, BramPayment(receipt, extra));
    }
    // The screen may close a case only once the court closed it.
    void RecordCourtClose(const std::string& trustee = "Ira Trustee") {
        ASSERT_TRUE(Ok(Change("ADDUPDATE", "officer",
                              BramUpdate({{"TRSTE_NM", trustee},
                                          {"TRSTE_PHN_NBR", "3125550188"},
                                          {"BNKRPTCY_CMMT_TXT", "Court closed the case"},
                                          {"CRT_CLSE_DT", Day(QDate(2021, 1, 15))}}))));
    }
};

TEST_P(Process, TotalsComputedFromAStaleCaseAreRefused) {
    const std::string a = backEnd->NextNumber("officer", "R");
    ASSERT_TRUE(Ok(Pay("officer", a, {{"FUND_AMT", Dollars(10)}})));
    // This sender read the case before that payment.
    const std::string b = backEnd->NextNumber("officer", "R");
    const std::string before = Fingerprint(sql());
    EXPECT_EQ(Codes(Pay("officer", b,
                        {{"FUND_AMT", Dollars(5)}, {"TOT_PYMT_AMT", Dollars(5)}, {"PYMT_CNT", 1}})),
              (Strings{"BADTOTAL", "BADTOTAL"}));
    EXPECT_EQ(Fingerprint(sql()), before);
    EXPECT_TRUE(Ok(Pay(
        "officer", b, {{"FUND_AMT", Dollars(5)}, {"TOT_PYMT_AMT", Dollars(15)}, {"PYMT_CNT", 2}})));
}

TEST_P(Process, WriteOffNeedsACompleteCaseAndWritesOffTheBalances) {
    // No court close date yet.
    EXPECT_EQ(Codes(Command("manager", "WRITEOFF")), Strings{"MISSING"});
    RecordCourtClose();
    ASSERT_TRUE(Ok(Command("manager", "WRITEOFF")));

    // The balance due is kept as it was when tied.
    EXPECT_EQ(Pick(CaseRow("1002", "2020BK0001"), "STTS_CD TOT_BAL_DUE_AMT"), "W|2140.25");
    const QJsonArray tied = TiedArsOf("1002", "2020BK0001");
    ASSERT_EQ(tied.size(), 2);
    for (const QJsonValue& r : tied) EXPECT_EQ(Pick(r, "ACCT_STTS_CD ACCT_RCVBL_BAL_AMT"), "W|0");
    EXPECT_EQ(OpenArsOf("1002").size(), 3);
    // Written off is final.
    EXPECT_EQ(Codes(Command("manager", "DISMISS")), Strings{"NOTOPEN"});
    const std::string r = backEnd->NextNumber("manager", "R");
    EXPECT_EQ(Codes(Pay("manager", r, {{"FUND_AMT", Dollars(1)}})), Strings{"NOTOPEN"});
}

TEST_P(Process, CaseHistoryTellsEachChangeNewestFirst) {
    auto history = [&](const std::string& caseId) {
        return Send("CASEHIST", "officer", {{"CUST_ID", "1002"}, {"CASE_ID", caseId}});
    };
    RecordCourtClose("Zed Trustee");
    const std::string receipt = backEnd->NextNumber("officer", "R");
    ASSERT_TRUE(Ok(Pay("officer", receipt,
                       {{"FUND_AMT", "$1,250.50"},
                        {"TOT_PYMT_AMT", Dollars(1250.50)},
                        {"PYMT_CNT", 1},
                        {"LST_PYMT_DT", Day(today)},
                        {"LST_RCPT_NBR", receipt}})));
    ASSERT_TRUE(Ok(Command("manager", "WRITEOFF")));

    // Asked in another letter case, as a user may type it.
    const messaging::Answer answer = history("2020bk0001");
    ASSERT_TRUE(Ok(answer));
    const QJsonArray rows = Part(answer, "CASEHISTORY");
    ASSERT_EQ(rows.size(), 4);
    const QString r = QString::fromStdString(receipt);
    // The case number as the case stores it.
    const struct {
        const char* who;  // ACTN_TXT USER_NM OFCR_ID CASE_ID
        QString changes;
    } expected[] = {
        {"Written Off|manager|101|2020BK0001",
         S("Status: Open \u2192 Written Off; Comment: PAY by officer \u2192 WRITEOFF by manager; "
           "Receivables written off: 2")},
        {"Payment|officer|102|2020BK0001",
         S("Amount: $1,250.50; Receipt: ") + r +
             S("; Check: CK-1001; Comment: Court closed the case \u2192 PAY by officer")},
        {"Updated|officer|102|2020BK0001",
         S("Trustee: Ira Trustee \u2192 Zed Trustee; Court Close Date: (none) \u2192 01/15/2021; "
           "Comment: Chapter 7 petition filed; trustee assigned. \u2192 Court closed the case")},
        {"Added|demo|-|2020BK0001",
         S("Status: Open; Trustee: Ira Trustee; Trustee Phone: 3125550188; Notification Date: "
           "02/10/2020; Court Filing Date: 01/27/2020; Claim Filing Date: 03/16/2020; Officer: "
           "101; Balance Due: $2,140.25; Comment: Chapter 7 petition filed; trustee assigned.")},
    };
    for (int i = 0; i < 4; ++i) {
        const QJsonValue row = rows[i];
        EXPECT_EQ(Pick(row, "ACTN_TXT USER_NM OFCR_ID CASE_ID"), expected[i].who);
        EXPECT_EQ(row[S("CHNG_TXT")].toString(), expected[i].changes) << i;
        EXPECT_TRUE(row[S("CHNG_DT")].toString().startsWith(today.toString(Qt::ISODate)))
            << row[S("CHNG_DT")].toString().toStdString();
        if (i > 0) {
            EXPECT_GT(rows[i - 1][S("HIST_ID")].toInteger(), row[S("HIST_ID")].toInteger());
        }
    }

    EXPECT_EQ(Codes(history("2020BK9999")), Strings{"NOCASE"});
    EXPECT_EQ(Codes(Send("CASEHIST", "officer", {{"CUST_ID", "1002"}})), Strings{"BADCRITERIA"});
}

HALBERON_BACKEND_SUITE(Process);

TEST(MoneyText, DollarsToTheCentHalfAwayFromZeroNegativesInParentheses) {
    const std::pair<std::int64_t, const char*> cases[] = {{0, "$0.00"},
                                                          {12345000, "$1,234.50"},
                                                          {-12345000, "($1,234.50)"},
                                                          {10864292, "$1,086.43"},
                                                          {1250, "$0.13"},
                                                          {-40, "$0.00"},
                                                          {12345678900000, "$1,234,567,890.00"}};
    for (const auto& [units, text] : cases) EXPECT_EQ(MoneyText(units), text) << units;
}

}  // namespace
}  // namespace backend::test
