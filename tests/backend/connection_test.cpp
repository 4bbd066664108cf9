// A connection that the server dropped is replaced: one request fails, the next one works.
#include "support.h"

namespace backend::test {
namespace {

class Connections : public BackEndTest {};

TEST_P(Connections, ASessionKilledByTheServerIsOpenedAgain) {
    if (GetParam() != Dialect::PostgreSQL) {
        GTEST_SKIP() << "only a server session can be ended from outside";
    }
    const qlonglong pid = sql().scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong();
    const QString name = QStringLiteral("connection-test-killer");
    {
        QSqlDatabase db = OpenConnection(DatabaseLocation::Parse(database->location()), name);
        Sql killer(db, Dialect::PostgreSQL);
        EXPECT_TRUE(
            killer.scalar(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid}).toBool());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);

    const auto failed = Send("CASES", "officer", {{"CUST_ID", "1002"}});
    EXPECT_EQ(Codes(failed), std::vector<std::string>{"FAILED"});
    const auto again = Send("CASES", "officer", {{"CUST_ID", "1002"}});
    EXPECT_TRUE(Ok(again));
    EXPECT_EQ(Part(again, "BANKRUPTCY").size(), 1);
    EXPECT_NE(sql().scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong(), pid);
}

HALBERON_BACKEND_SUITE(Connections);

}  // namespace
}  // namespace backend::test
