// The demo generator: the named fixtures, a realistic spread, and the same data on every run.
#include <regex>

#include "backend/demo_data.h"
#include "backend/schema.h"
#include "support.h"

namespace backend::test {
namespace {

class Demo : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override {
        database = std::make_unique<ScratchDatabase>(GetParam());
        if (!database->available()) GTEST_SKIP() << ScratchDatabase::SkipReason().toStdString();
        backEnd = std::make_unique<SqlBackEnd>(DatabaseLocation::Parse(database->location()));
    }
    void TearDown() override {
        backEnd.reset();
        database.reset();
    }
    qint64 Count(const char* sql, const QVariantList& params = {}) {
        return backEnd->connection().scalar(QString::fromUtf8(sql), params).toLongLong();
    }
    std::unique_ptr<ScratchDatabase> database;
    std::unique_ptr<SqlBackEnd> backEnd;
};

TEST_P(Demo, FullDemoHasEveryStatusAndOnlyOldReceivables) {
    const QDate today(2025, 3, 14);
    DemoOptions options;
    options.today = today;
    const DemoSummary summary = CreateDemoData(backEnd->connection(), options);
    EXPECT_EQ(summary.customers, 305);
    EXPECT_GE(summary.receivables, 2000);
    EXPECT_LE(summary.receivables, 6000);

    Sql& sql = backEnd->connection();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM customers"), 305);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM customers WHERE cust_id >= '2000'"), 300);
    // Every status, ten times at least.
    EXPECT_EQ(Select(sql, S("SELECT status FROM cases GROUP BY status HAVING COUNT(*) >= 10"
                            " ORDER BY status")),
              "D;O;W;");
    EXPECT_EQ(Select(sql, S("SELECT status FROM receivables GROUP BY status"
                            " HAVING COUNT(*) >= 10 ORDER BY status")),
              "B;O;P;W;");
    EXPECT_GT(Count("SELECT COUNT(*) FROM payments"), 0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM cases WHERE archived_at IS NOT NULL"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivables WHERE transaction_date IS NULL OR"
                    " transaction_date > ?",
                    {SqlDate(today.addDays(-30))}),
              0);
    // Tied receivables were issued on or before their case's court filing date.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivables r JOIN cases c ON c.case_key = r.case_key"
                    " WHERE r.transaction_date > c.court_filing_date"),
              0);
    // Payment receipts came from the receipt sequence.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM payments p WHERE NOT EXISTS (SELECT 1 FROM"
                    " issued_numbers i WHERE i.kind = 'R'"
                    " AND CAST(i.number AS VARCHAR(20)) = p.receipt_nbr)"),
              0);
    const std::string first = Fingerprint(backEnd->connection());

    // Running it again adds nothing.
    const DemoSummary again = CreateDemoData(backEnd->connection(), options);
    EXPECT_TRUE(again.demoWasThere);
    EXPECT_EQ(Fingerprint(backEnd->connection()), first);
}

TEST_P(Demo, SameDaySameSeedSameData) {
    DemoOptions options;
    options.today = QDate(2024, 7, 1);
    options.generatedCustomers = 40;
    CreateDemoData(backEnd->connection(), options);
    const std::string first = Fingerprint(backEnd->connection());

    ScratchDatabase other(GetParam());
    SqlBackEnd second(DatabaseLocation::Parse(other.location()));
    CreateDemoData(second.connection(), options);
    // Change stamps say when the rows were written; everything else must match.
    auto withoutStamps = [](const std::string& s) {
        static const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:[^|;]*)");
        return std::regex_replace(s, stamp, "<stamp>");
    };
    EXPECT_EQ(withoutStamps(Fingerprint(second.connection())), withoutStamps(first));
}

TEST_P(Demo, LargeModeGivesOneCustomerManyOpenReceivables) {
    DemoOptions options;
    options.demo = false;
    options.large = true;
    options.largeCount = 3000;  // the tool's default is 100,000; the shape is the same
    const DemoSummary summary = CreateDemoData(backEnd->connection(), options);
    EXPECT_EQ(summary.receivables, 3000);
    EXPECT_TRUE(backEnd->HasRight("manager", "BnkrptcyMgr"));
    const auto answer =
        backEnd->Handle(MakeRequest("OPENARS", "officer", {{"CUST_ID", kLargeCustomerId}}));
    EXPECT_EQ(Part(answer, "ACNTSRCVBL").size(), 3000);
}

HALBERON_BACKEND_SUITE(Demo);

}  // namespace
}  // namespace backend::test
