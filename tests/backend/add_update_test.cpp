// ADDUPDATE: adding a case ties receivables; updating changes what an open case allows.
#include <QSqlQuery>

#include "support.h"

namespace backend::test {
namespace {

class AddUpdate : public BackEndTest {
  protected:
    // A new case of the customer over the given receivables, filed `filedDaysAgo` days ago.
    messaging::Answer Add(const std::string& custId, const std::string& caseId,
                          const QJsonArray& receivables, int filedDaysAgo = 10, Fields extra = {}) {
        Fields f{{"ACTION", "ADD"},
                 {"CUST_ID", custId},
                 {"CASE_ID", caseId},
                 {"STTS_CD", "O"},
                 {"TRSTE_NM", "Joan Trustee"},
                 {"BNKRPTCY_CMMT_TXT", "New petition"},
                 {"NTFCTN_DT", Day(today.addDays(-filedDaysAgo + 2))},
                 {"CRT_FILE_DT", Day(today.addDays(-filedDaysAgo))},
                 {"CLM_FILE_DT", Day(today.addDays(-filedDaysAgo + 5))},
                 {"ASGN_OFCR_ID", 104}};
        for (auto& [k, v] : extra) f[k] = v;
        return Change("ADDUPDATE", "officer", f, {AccountPart(receivables)});
    }

    messaging::Answer Update(const Fields& f) {
        Fields all{{"STTS_CD", "O"}, {"BNKRPTCY_CMMT_TXT", "Trustee changed"}};
        for (const auto& [k, v] : f) all[k] = v;
        return Change("ADDUPDATE", "officer", BramUpdate(all));
    }

    int HistoryRows(const char* action) {
        return sql()
            .scalar(QStringLiteral("SELECT COUNT(*) FROM case_history WHERE action = ?"
                                   " AND sender <> 'demo'"),
                    {S(action)})
            .toInt();
    }
};

TEST_P(AddUpdate, AddTiesTheReceivablesAndKeepsTheirBalanceTotal) {
    const QJsonArray open = OpenArsOf("1001");
    ASSERT_EQ(open.size(), 5);
    QJsonArray chosen{open[0], open[1], open[2]};
    double total = 0;
    for (const QJsonValue& r : chosen) total += r[S("ACCT_RCVBL_BAL_AMT")].toDouble();

    const messaging::Answer answer =
        Add("1001", "2024BK0100", chosen, 10,
            {{"TOT_BAL_DUE_AMT", records::Currency{static_cast<std::int64_t>(total * 10000)}}});
    ASSERT_TRUE(Ok(answer));
    EXPECT_EQ(PartNames(answer), (Strings{"HALBERON", "BANKRUPTCY"}));

    const QJsonObject stored = CaseRow("1001", "2024BK0100");
    EXPECT_DOUBLE_EQ(stored[S("TOT_BAL_DUE_AMT")].toDouble(), total);
    EXPECT_EQ(Pick(stored, "STTS_CD ASGN_OFCR_ID PYMT_CNT TRSTE_NM"), "O|104|0|Joan Trustee");

    EXPECT_EQ(OpenArsOf("1001").size(), 2) << "tied receivables are no longer offered";
    const QJsonArray tied = TiedArsOf("1001", "2024BK0100");
    ASSERT_EQ(tied.size(), 3);
    for (const QJsonValue& r : tied) EXPECT_EQ(r[S("ACCT_STTS_CD")].toString(), S("B"));
    EXPECT_EQ(HistoryRows("ADD"), 1);
}

TEST_P(AddUpdate, AddingADismissedNumberAgainMovesTheOldCaseIntoHistory) {
    const QJsonArray open = OpenArsOf("1003");
    ASSERT_EQ(open.size(), 2);
    // A number that is open or written off can not come back, whatever its letter case.
    EXPECT_EQ(Codes(Add("1003", "2018bk0003", open)), Strings{"DUPCASE"});
    const messaging::Answer answer = Add("1003", "2019bK0007", open);
    ASSERT_TRUE(Ok(answer));
    EXPECT_EQ(Part(answer, "BANKRUPTCY")[0][S("CASE_ID")].toString(), S("2019BK0007"));
    EXPECT_EQ(TiedArsOf("1003", "2019bk0007").size(), 2);

    int withNumber = 0;
    for (const QJsonValue& c : CasesOf("1003")) {
        if (c[S("CASE_ID")].toString() != S("2019BK0007")) continue;
        ++withNumber;
        EXPECT_EQ(c[S("STTS_CD")].toString(), S("O"));
    }
    EXPECT_EQ(withNumber, 1);
    EXPECT_EQ(CasesOf("1003").size(), 2) << "the written-off case stays listed";
    EXPECT_EQ(HistoryRows("ARCHIVE"), 1);
}

TEST_P(AddUpdate, UpdateChangesTrusteeCommentAndCloseDateAndRecordsBeforeAndAfter) {
    ASSERT_TRUE(Ok(Update({{"CASE_ID", "2020bk0001"},
                           {"TRSTE_NM", "Ira Q. Trustee"},
                           {"TRSTE_PHN_NBR", "3125550000"},
                           {"CRT_CLSE_DT", Day(QDate(2021, 6, 30))}})));
    EXPECT_EQ(
        Pick(CaseRow("1002", "2020BK0001"),
             "TRSTE_NM TRSTE_PHN_NBR BNKRPTCY_CMMT_TXT CRT_CLSE_DT CRT_FILE_DT TOT_BAL_DUE_AMT"),
        "Ira Q. Trustee|3125550000|Trustee changed|2021-06-30|2020-01-27|2140.25");
    const std::string history = Select(
        sql(),
        S("SELECT sender, before_values, after_values FROM case_history WHERE action = 'UPD'"));
    EXPECT_EQ(history.substr(0, 8), "officer|");
    EXPECT_NE(history.find("\"Ira Trustee\""), std::string::npos) << history;
    EXPECT_NE(history.find("\"Ira Q. Trustee\""), std::string::npos) << history;
}

TEST_P(AddUpdate, TrusteeNamesAsLongAsTheDialogTakesAreStoredWhole) {
    // 72 characters, 73 bytes.
    const std::string name = "Barth\xC3\xA9lemy " + std::string(61, 'Q');
    ASSERT_TRUE(Ok(Update({{"TRSTE_NM", name}})));
    EXPECT_EQ(CaseRow("1002", "2020BK0001")[S("TRSTE_NM")].toString().toStdString(), name);
}

TEST_P(AddUpdate, UpdateKeepsRecordedDatesButFillsEmptyOnes) {
    // Bram's case has its three dates; changing one is refused.
    EXPECT_EQ(Codes(Update({{"CLM_FILE_DT", Day(QDate(2020, 4, 1))}})), Strings{"DATEFIXED"});
    EXPECT_EQ(Codes(Update({{"NTFCTN_DT", records::Value::Null()}})), Strings{"DATEFIXED"});
    // A close date before the court filing date, or without a trustee, breaks the case rules.
    EXPECT_EQ(Codes(Update({{"CRT_CLSE_DT", Day(QDate(2020, 1, 26))}, {"TRSTE_NM", "T"}})),
              Strings{"BADDATE"});
    EXPECT_EQ(Codes(Update({{"CRT_CLSE_DT", Day(QDate(2020, 5, 1))}})), Strings{"MISSING"});
    EXPECT_EQ(CaseRow("1002", "2020BK0001")[S("CLM_FILE_DT")].toString(), S("2020-03-16"));

    // A case without a claim date may get one later.
    sql().exec(QStringLiteral("UPDATE cases SET claim_filing_date = NULL WHERE case_id = ?"),
               {S("2020BK0001")});
    ASSERT_TRUE(Ok(Update({{"CLM_FILE_DT", Day(QDate(2020, 4, 1))}, {"TRSTE_NM", "Ira Trustee"}})));
    EXPECT_EQ(CaseRow("1002", "2020BK0001")[S("CLM_FILE_DT")].toString(), S("2020-04-01"));
}

TEST_P(AddUpdate, TextsAreStoredExactlyAsTyped) {
    const std::string trustee = "O'Brien'); DROP TABLE cases; --";
    const std::string comment = "Robert'); DELETE FROM receivables WHERE ('1'='1";
    const std::string caseId = "X'1 OR 1=1";
    const std::string phone = "555' --";
    ASSERT_TRUE(
        Ok(Add("1001", caseId, OpenArsOf("1001"), 10,
               {{"TRSTE_NM", trustee}, {"BNKRPTCY_CMMT_TXT", comment}, {"TRSTE_PHN_NBR", phone}})));
    EXPECT_EQ(Pick(CaseRow("1001", caseId), "TRSTE_NM BNKRPTCY_CMMT_TXT TRSTE_PHN_NBR"),
              trustee + "|" + comment + "|" + phone);
    EXPECT_EQ(CasesOf("1002").size(), 1);
    EXPECT_EQ(OpenArsOf("1002").size(), 3);

    ASSERT_TRUE(Ok(Update({{"TRSTE_NM", "Nils ''Quote'' \\ Trustee"},
                           {"BNKRPTCY_CMMT_TXT", "'; UPDATE cases SET status='W"}})));
    EXPECT_EQ(Pick(CaseRow("1002", "2020BK0001"), "TRSTE_NM STTS_CD"),
              "Nils ''Quote'' \\ Trustee|O");
}

HALBERON_BACKEND_SUITE(AddUpdate);

}  // namespace
}  // namespace backend::test
