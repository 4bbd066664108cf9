// ADDUPDATE: adding a case ties receivables; updating changes what an open case allows.
#include <QSqlQuery>

#include "support.h"

namespace backend::test {
namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

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
        std::vector<messaging::NamedPart> parts{CasePart(f)};
        if (!receivables.isEmpty()) parts.push_back(AccountPart(receivables));
        return Send("ADDUPDATE", "officer", {{"thin", "Yes"}}, std::move(parts));
    }

    messaging::Answer Update(Fields f) {
        f.emplace("ACTION", "UPD");
        f.emplace("CUST_ID", "1002");
        f.emplace("CASE_ID", "2020BK0001");
        f.emplace("STTS_CD", "O");
        f.emplace("NTFCTN_DT", Day(QDate(2020, 2, 10)));
        f.emplace("CRT_FILE_DT", Day(QDate(2020, 1, 27)));
        f.emplace("CLM_FILE_DT", Day(QDate(2020, 3, 16)));
        f.emplace("BNKRPTCY_CMMT_TXT", "Trustee changed");
        return Send("ADDUPDATE", "officer", {{"thin", "Yes"}}, {CasePart(f)});
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
    ASSERT_TRUE(Codes(answer).empty()) << Messages(answer);
    EXPECT_EQ(PartNames(answer), (std::vector<std::string>{"HALBERON", "BANKRUPTCY"}));

    const QJsonObject stored = CaseRow("1001", "2024BK0100");
    EXPECT_EQ(stored[S("STTS_CD")].toString(), S("O"));
    EXPECT_DOUBLE_EQ(stored[S("TOT_BAL_DUE_AMT")].toDouble(), total);
    EXPECT_EQ(stored[S("ASGN_OFCR_ID")].toInteger(), 104);
    EXPECT_EQ(stored[S("PYMT_CNT")].toInteger(), 0);
    EXPECT_EQ(stored[S("TRSTE_NM")].toString(), S("Joan Trustee"));

    EXPECT_EQ(OpenArsOf("1001").size(), 2) << "tied receivables are no longer offered";
    const QJsonArray tied = Part(
        Send("CASEARS", "officer", {{"CUST_ID", "1001"}, {"CASE_ID", "2024BK0100"}}), "ACNTSRCVBL");
    ASSERT_EQ(tied.size(), 3);
    for (const QJsonValue& r : tied) EXPECT_EQ(r[S("ACCT_STTS_CD")].toString(), S("B"));
    EXPECT_EQ(HistoryRows("ADD"), 1);
}

TEST_P(AddUpdate, AddingADismissedNumberAgainMovesTheOldCaseIntoHistory) {
    const QJsonArray open = OpenArsOf("1003");
    ASSERT_EQ(open.size(), 2);
    // A number that is open or written off can not come back, whatever its letter case.
    EXPECT_EQ(Codes(Add("1003", "2018bk0003", open)), std::vector<std::string>{"DUPCASE"});
    const messaging::Answer answer = Add("1003", "2019bK0007", open);
    ASSERT_TRUE(Codes(answer).empty()) << Messages(answer);
    EXPECT_EQ(Part(answer, "BANKRUPTCY")[0][S("CASE_ID")].toString(), S("2019BK0007"));
    EXPECT_EQ(Part(Send("CASEARS", "officer", {{"CUST_ID", "1003"}, {"CASE_ID", "2019bk0007"}}),
                   "ACNTSRCVBL")
                  .size(),
              2);

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
    const messaging::Answer answer = Update({{"CASE_ID", "2020bk0001"},
                                             {"TRSTE_NM", "Ira Q. Trustee"},
                                             {"TRSTE_PHN_NBR", "3125550000"},
                                             {"CRT_CLSE_DT", Day(QDate(2021, 6, 30))}});
    ASSERT_TRUE(Codes(answer).empty()) << Messages(answer);
    const QJsonObject c = CaseRow("1002", "2020BK0001");
    EXPECT_EQ(c[S("TRSTE_NM")].toString(), S("Ira Q. Trustee"));
    EXPECT_EQ(c[S("TRSTE_PHN_NBR")].toString(), S("3125550000"));
    EXPECT_EQ(c[S("BNKRPTCY_CMMT_TXT")].toString(), S("Trustee changed"));
    EXPECT_EQ(c[S("CRT_CLSE_DT")].toString(), S("2021-06-30"));
    EXPECT_EQ(c[S("CRT_FILE_DT")].toString(), S("2020-01-27"));
    EXPECT_DOUBLE_EQ(c[S("TOT_BAL_DUE_AMT")].toDouble(), 2140.25);

    QSqlQuery q =
        sql().exec(QStringLiteral("SELECT sender, before_values, after_values"
                                  " FROM case_history WHERE action = 'UPD'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), S("officer"));
    EXPECT_TRUE(q.value(1).toString().contains(S("\"Ira Trustee\"")));
    EXPECT_TRUE(q.value(2).toString().contains(S("\"Ira Q. Trustee\"")));
}

TEST_P(AddUpdate, TrusteeNamesAsLongAsTheDialogTakesAreStoredWhole) {
    const std::string name = "Bartholomew " + std::string(60, 'Q');  // 72 characters
    const messaging::Answer answer = Update({{"TRSTE_NM", name}});
    ASSERT_TRUE(Codes(answer).empty()) << Messages(answer);
    EXPECT_EQ(CaseRow("1002", "2020BK0001")[S("TRSTE_NM")].toString().toStdString(), name);
}

TEST_P(AddUpdate, UpdateKeepsRecordedDatesButFillsEmptyOnes) {
    // Bram's case has its three dates; changing one is refused.
    EXPECT_EQ(Codes(Update({{"CLM_FILE_DT", Day(QDate(2020, 4, 1))}})),
              std::vector<std::string>{"DATEFIXED"});
    EXPECT_EQ(Codes(Update({{"NTFCTN_DT", records::Value::Null()}})),
              std::vector<std::string>{"DATEFIXED"});
    // A close date before the court filing date, or without a trustee, breaks the case rules.
    EXPECT_EQ(Codes(Update({{"CRT_CLSE_DT", Day(QDate(2020, 1, 26))}, {"TRSTE_NM", "T"}})),
              std::vector<std::string>{"BADDATE"});
    EXPECT_EQ(Codes(Update({{"CRT_CLSE_DT", Day(QDate(2020, 5, 1))}})),
              std::vector<std::string>{"MISSING"});
    EXPECT_EQ(CaseRow("1002", "2020BK0001")[S("CLM_FILE_DT")].toString(), S("2020-03-16"));

    // A case without a claim date may get one later.
    sql().exec(QStringLiteral("UPDATE cases SET claim_filing_date = NULL WHERE case_id = ?"),
               {S("2020BK0001")});
    const messaging::Answer filled =
        Update({{"CLM_FILE_DT", Day(QDate(2020, 4, 1))}, {"TRSTE_NM", "Ira Trustee"}});
    ASSERT_TRUE(Codes(filled).empty()) << Messages(filled);
    EXPECT_EQ(CaseRow("1002", "2020BK0001")[S("CLM_FILE_DT")].toString(), S("2020-04-01"));
}

TEST_P(AddUpdate, TextsAreStoredExactlyAsTyped) {
    const std::string trustee = "O'Brien'); DROP TABLE cases; --";
    const std::string comment = "Robert'); DELETE FROM receivables WHERE ('1'='1";
    const std::string caseId = "X'1 OR 1=1";
    const std::string phone = "555' --";
    const messaging::Answer answer =
        Add("1001", caseId, OpenArsOf("1001"), 10,
            {{"TRSTE_NM", trustee}, {"BNKRPTCY_CMMT_TXT", comment}, {"TRSTE_PHN_NBR", phone}});
    ASSERT_TRUE(Codes(answer).empty()) << Messages(answer);
    const QJsonObject c = CaseRow("1001", caseId);
    EXPECT_EQ(c[S("TRSTE_NM")].toString().toStdString(), trustee);
    EXPECT_EQ(c[S("BNKRPTCY_CMMT_TXT")].toString().toStdString(), comment);
    EXPECT_EQ(c[S("TRSTE_PHN_NBR")].toString().toStdString(), phone);
    EXPECT_EQ(CasesOf("1002").size(), 1);
    EXPECT_EQ(OpenArsOf("1002").size(), 3);

    const messaging::Answer updated =
        Update({{"TRSTE_NM", "Nils ''Quote'' \\ Trustee"},
                {"BNKRPTCY_CMMT_TXT", "'; UPDATE cases SET status='W"}});
    ASSERT_TRUE(Codes(updated).empty()) << Messages(updated);
    const QJsonObject bram = CaseRow("1002", "2020BK0001");
    EXPECT_EQ(bram[S("TRSTE_NM")].toString(), S("Nils ''Quote'' \\ Trustee"));
    EXPECT_EQ(bram[S("STTS_CD")].toString(), S("O"));
}

HALBERON_BACKEND_SUITE(AddUpdate);

}  // namespace
}  // namespace backend::test
