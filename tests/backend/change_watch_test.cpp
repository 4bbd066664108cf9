// Changes made elsewhere: a connection learns which customers another connection (another
// program) changed, and never hears of its own changes.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <set>

#include "support.h"

namespace backend::test {
namespace {

class ChangesElsewhere : public BackEndTest {
  protected:
    // Looks until something is heard (notifications take a moment), at most 5 s.
    std::set<std::string> HeardWithin5s() {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            const auto heard = backEnd->ChangedElsewhere();
            if (!heard.empty()) return {heard.begin(), heard.end()};
            QThread::msleep(20);
        }
        return {};
    }
    messaging::Answer PayFrom(SqlBackEnd& program, const std::string& custId,
                              const std::string& caseId) {
        const std::string receipt = program.NextNumber("manager", "R");
        return program.Handle(MakeRequest(
            "PROCESS", "manager", {{"thin", "Yes"}},
            {CasePart(BramPayment(receipt, {{"CUST_ID", custId}, {"CASE_ID", caseId}}))}));
    }
};

TEST_P(ChangesElsewhere, AnotherProgramsChangesAreHeardOnceAndOwnChangesNever) {
    EXPECT_TRUE(backEnd->ChangedElsewhere().empty()) << "the first look starts the watch";
    // Another program on the same database, and an open case of a customer other than 1002.
    SqlBackEnd other(DatabaseLocation::Parse(database->location()));
    QSqlQuery q =
        sql().exec(QStringLiteral("SELECT cust_id, case_id FROM cases WHERE status = 'O'"
                                  " AND cust_id <> '1002' AND archived_at IS NULL"
                                  " ORDER BY cust_id LIMIT 1"));
    ASSERT_TRUE(q.next());
    const std::string cust = q.value(0).toString().toStdString();
    const std::string caseId = q.value(1).toString().toStdString();
    q.finish();

    // Theirs, then ours in between the looks: only theirs is heard.
    ASSERT_TRUE(Ok(PayFrom(other, cust, caseId)));
    ASSERT_TRUE(Ok(PayFrom(*backEnd, "1002", "2020BK0001")));
    EXPECT_EQ(HeardWithin5s(), std::set<std::string>{cust});
    EXPECT_TRUE(backEnd->ChangedElsewhere().empty()) << "told once";

    // Theirs on 1002 is heard as well; a refused change is no change.
    ASSERT_EQ(
        Codes(other.Handle(MakeRequest("PROCESS", "officer", {{"thin", "Yes"}},
                                       {CasePart(BramPayment("", {{"ACTION", "DISMISS"}}))}))),
        Strings{"NORIGHT"});
    ASSERT_TRUE(Ok(PayFrom(other, "1002", "2020BK0001")));
    EXPECT_EQ(HeardWithin5s(), std::set<std::string>{"1002"});
}

HALBERON_BACKEND_SUITE(ChangesElsewhere);

}  // namespace
}  // namespace backend::test
