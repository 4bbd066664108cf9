// The three inquiries and the synchronous services, on the demo fixtures.
#include <QJsonDocument>
#include <QSqlQuery>
#include <set>

#include "backend/row_reader.h"
#include "records/errors.h"
#include "support.h"

namespace backend::test {
namespace {

QString Text(const QJsonValue& v) {
    return v.toString();
}

class Inquiries : public BackEndTest {};

TEST_P(Inquiries, NothingFoundAnswersTheHeaderAlone) {
    for (const char* word : {"OPENARS", "CASES", "CASEARS"}) {
        const auto request = MakeRequest(word, "officer", {{"CUST_ID", "1004"}});
        const messaging::Answer answer = backEnd->Handle(request);
        EXPECT_EQ(PartNames(answer), Strings{"HALBERON"}) << word;
        const QJsonArray header = Part(answer, "HALBERON");
        ASSERT_EQ(header.size(), 1);
        EXPECT_EQ(Pick(header[0], "MessageKey Theme"), request.messageKey + "|" + request.theme);
        EXPECT_EQ(answer.messageKey, request.messageKey);
    }
}

TEST_P(Inquiries, ServicesAnswerCodesOfficersRightsAndCustomers) {
    using Codes = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(backEnd->CodeTable("BNKRPTCY"),
              (Codes{{"O", "Open"}, {"D", "Dismissed"}, {"W", "Written Off"}}));
    EXPECT_EQ(backEnd->CodeTable("CSTATUS"),
              (Codes{{"O", "Open"}, {"B", "In Bankruptcy"}, {"W", "Written Off"}, {"P", "Paid"}}));
    EXPECT_GE(backEnd->CodeTable("REFDOCTYP").size(), 4u);
    EXPECT_TRUE(backEnd->CodeTable("NOSUCH").empty());

    const auto officers = backEnd->Officers();
    ASSERT_EQ(officers.size(), 10u);
    EXPECT_EQ(officers.front().id, 101);
    EXPECT_EQ(officers.back().id, 110);

    EXPECT_TRUE(backEnd->HasRight("manager", "BnkrptcyMgr"));
    EXPECT_FALSE(backEnd->HasRight("officer", "BnkrptcyMgr"));
    EXPECT_FALSE(backEnd->HasRight("nobody", "BnkrptcyMgr"));
    EXPECT_EQ(backEnd->OfficerOf("manager"), 101);
    EXPECT_EQ(backEnd->OfficerOf("officer"), 102);
    EXPECT_EQ(backEnd->OfficerOf("nobody"), std::nullopt);

    std::vector<std::string> ids;
    for (const auto& c : backEnd->FindCustomers("100", 50)) ids.push_back(c.custId);
    EXPECT_EQ(ids, (std::vector<std::string>{"1001", "1002", "1003", "1004", "1005"}));

    // Search text is a text, never a pattern or SQL.
    EXPECT_TRUE(backEnd->FindCustomers("%", 10).empty());
    EXPECT_TRUE(backEnd->FindCustomers("' OR '1'='1", 10).empty());
    EXPECT_EQ(backEnd->FindCustomers("demo customer", 3).size(), 3u);
}

// Long answers read SQLite's cells directly; every odd cell must still read as the driver's
// value converts, and stored days the way the answer has always read them.
TEST_P(Inquiries, RowsReadDirectlyMatchTheDriversValues) {
    if (GetParam() != Dialect::SQLite) GTEST_SKIP() << "PostgreSQL rows come through QSqlQuery";
    const QString statement =
        S("SELECT 42, '17', 'x7', NULL, 3.5, ?, ' O\t', '2024-02-29', 20240229, X'41', ?, ''");
    const QVariantList params = {S("Zo\u00eb"), 9000000000LL};
    RowReader reader(sql(), statement, params);
    EXPECT_TRUE(reader.direct());
    QSqlQuery query = sql().exec(statement, params);
    ASSERT_TRUE(reader.next());
    ASSERT_TRUE(query.next());
    for (int c = 0; c < 12; ++c) {
        const QVariant v = query.value(c);
        EXPECT_EQ(reader.isNull(c), v.isNull()) << c;
        EXPECT_EQ(reader.whole(c), v.toLongLong()) << c;
        EXPECT_EQ(reader.text(c), v.toString().toStdString()) << c;
        EXPECT_EQ(reader.value(c).toString(), v.toString()) << c;
    }
    EXPECT_FALSE(reader.next());
    EXPECT_THROW(RowReader(sql(), S("SELECT nothing FROM nowhere"), {}), records::Error);

    // Days: the usual form, a time after it, a day that does not exist, not a day at all.
    const std::pair<const char*, const char*> days[] = {{"2024-02-29", "2024-02-29"},
                                                        {"2024-02-29T08:30:00", "2024-02-29"},
                                                        {"2023-02-29", "-"},
                                                        {"29.02.2024", "-"}};
    const QJsonArray before = OpenArsOf("1001");
    ASSERT_GE(before.size(), 4);
    for (int i = 0; i < 4; ++i) {
        sql().exec(S("UPDATE receivables SET transaction_date = ? WHERE rcvbl_nbr = ?"
                     " AND type_code = ?"),
                   {S(days[i].first), before[i][S("ACCT_RCVBL_NBR")].toInteger(),
                    Text(before[i][S("ACCT_RCVBL_TYP_CD")])});
    }
    std::map<std::string, std::string> read;
    for (const QJsonValue& r : OpenArsOf("1001"))
        read[Pick(r, "ACCT_RCVBL_NBR ACCT_RCVBL_TYP_CD")] = Pick(r, "TRNSCTN_DT");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(read[Pick(before[i], "ACCT_RCVBL_NBR ACCT_RCVBL_TYP_CD")], days[i].second) << i;
}

HALBERON_BACKEND_SUITE(Inquiries);

}  // namespace
}  // namespace backend::test
