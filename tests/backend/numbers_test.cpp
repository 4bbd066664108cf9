// Receipt numbers: handed back numbers come again, but no number is ever given twice, also
// when many connections draw and post at once.
#include <QJsonObject>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "records/errors.h"
#include "support.h"

namespace backend::test {
namespace {

class Numbers : public BackEndTest {
  protected:
    messaging::Answer Pay(const std::string& user, const std::string& receipt,
                          std::int64_t tenThousandths, Fields extra = {}) {
        extra.emplace("FUND_AMT", records::Currency{tenThousandths});
        return Change("PROCESS", user, BramPayment(receipt, extra));
    }
};

TEST_P(Numbers, HandedBackNumbersComeAgainUnlessAPaymentCarriesThem) {
    const std::string a = backEnd->NextNumber("officer", "R");
    const std::string b = backEnd->NextNumber("officer", "R");
    EXPECT_NE(a, b);
    EXPECT_GT(std::stoll(a), 0);
    backEnd->ReturnNumber("officer", "R", a);
    EXPECT_EQ(backEnd->NextNumber("manager", "R"), a) << "the pool is used first";

    // b pays; handed back afterwards (as the screen does once the payment is answered), it
    // must not come again.
    ASSERT_TRUE(Ok(Pay("officer", b, 500000)));
    backEnd->ReturnNumber("officer", "R", b);
    std::set<std::string> later;
    for (int i = 0; i < 5; ++i) later.insert(backEnd->NextNumber("officer", "R"));
    // The "F" sequence is a sequence of its own.
    const std::string f = backEnd->NextNumber("officer", "F");
    EXPECT_EQ(later.count(b) + later.count(a) + later.count(f), 0u);
    EXPECT_NE(backEnd->NextNumber("officer", "F"), f);
}

TEST_P(Numbers, OnlyItsHolderHandsANumberBackAndOnlyDrawnNumbersPay) {
    const std::string held = backEnd->NextNumber("officer", "R");
    EXPECT_THROW(backEnd->ReturnNumber("manager", "R", held), records::Error);
    EXPECT_THROW(backEnd->ReturnNumber("officer", "R", "999999999"), records::Error);
    EXPECT_THROW(backEnd->ReturnNumber("officer", "R", "12ab"), records::Error);
    EXPECT_THROW(backEnd->ReturnNumber("officer", "Q", held), records::Error);
    EXPECT_THROW(backEnd->NextNumber("nobody", "R"), records::Error);
    EXPECT_THROW(backEnd->NextNumber("officer", "Z"), records::Error);
    // Twice handed back is once in the pool.
    backEnd->ReturnNumber("officer", "R", held);
    backEnd->ReturnNumber("officer", "R", held);
    EXPECT_EQ(backEnd->NextNumber("officer", "R"), held);
    EXPECT_NE(backEnd->NextNumber("officer", "R"), held);

    const std::string before = Fingerprint(sql());
    EXPECT_EQ(Codes(Pay("officer", "999999999", 10000)), Strings{"BADRECEIPT"});
    const std::string returned = backEnd->NextNumber("officer", "R");
    backEnd->ReturnNumber("officer", "R", returned);
    const std::string mid = Fingerprint(sql());
    EXPECT_EQ(Codes(Pay("officer", returned, 10000)), Strings{"BADRECEIPT"});
    EXPECT_EQ(Fingerprint(sql()), mid);
    EXPECT_NE(before, mid);
}

// Several connections post payments on one case at once. Each reads the case, computes the
// totals as the screen does and retries when another payment got in first.
TEST_P(Numbers, ConcurrentPaymentsGetDistinctReceiptsAndTotalsEqualTheirSum) {
    constexpr int kThreads = 4;
    constexpr int kPaymentsEach = 6;
    std::mutex mutex;
    std::vector<std::string> receipts;
    std::atomic<std::int64_t> posted{0};

    auto worker = [&](int t) {
        const std::string user = t % 2 == 0 ? "officer" : "manager";
        for (int i = 0; i < kPaymentsEach; ++i) {
            const std::string receipt = backEnd->NextNumber(user, "R");
            const std::int64_t amount = (t + 1) * 10000 + i * 100;
            for (int attempt = 0; attempt < 200; ++attempt) {
                const QJsonObject c = CaseRow("1002", "2020BK0001");
                const auto total = static_cast<std::int64_t>(
                    std::llround(c[S("TOT_PYMT_AMT")].toDouble() * 10000.0));
                const auto answer =
                    Pay(user, receipt, amount,
                        {{"TOT_PYMT_AMT", records::Currency{total + amount}},
                         {"PYMT_CNT", static_cast<long long>(c[S("PYMT_CNT")].toInteger() + 1)}});
                const auto codes = Codes(answer);
                if (codes.empty()) {
                    posted += amount;
                    std::lock_guard lock(mutex);
                    receipts.push_back(receipt);
                    break;
                }
                if (codes.front() == "BADTOTAL") continue;
                ADD_FAILURE() << Messages(answer);
                break;
            }
        }
    };
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, t);
    threads.clear();

    ASSERT_EQ(receipts.size(), static_cast<std::size_t>(kThreads * kPaymentsEach));
    EXPECT_EQ(std::set<std::string>(receipts.begin(), receipts.end()).size(), receipts.size());
    const QJsonObject c = CaseRow("1002", "2020BK0001");
    EXPECT_EQ(c[S("PYMT_CNT")].toInteger(), kThreads * kPaymentsEach);
    EXPECT_EQ(std::llround(c[S("TOT_PYMT_AMT")].toDouble() * 10000.0), posted.load());
    EXPECT_EQ(Select(sql(), S("SELECT COUNT(DISTINCT receipt_nbr) FROM payments p JOIN cases c"
                              " ON c.case_key = p.case_key WHERE c.case_id = '2020BK0001'")),
              std::to_string(kThreads * kPaymentsEach) + ";");
}

TEST_P(Numbers, ConcurrentDrawsAndHandBacksNeverGiveANumberTwice) {
    constexpr int kThreads = 4;
    std::mutex mutex;
    std::multiset<std::string> held;  // numbers held at the end by someone
    auto worker = [&](int t) {
        const std::string user = t % 2 == 0 ? "officer" : "manager";
        std::vector<std::string> mine;
        for (int i = 0; i < 30; ++i) {
            mine.push_back(backEnd->NextNumber(user, "R"));
            if (i % 3 == 2) {  // hand one back now and then
                backEnd->ReturnNumber(user, "R", mine.front());
                mine.erase(mine.begin());
            }
        }
        std::lock_guard lock(mutex);
        for (const auto& n : mine) held.insert(n);
    };
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, t);
    threads.clear();
    EXPECT_EQ(std::set<std::string>(held.begin(), held.end()).size(), held.size())
        << "a number held twice";
    EXPECT_EQ(held.size(), static_cast<std::size_t>(kThreads * 20));
}

HALBERON_BACKEND_SUITE(Numbers);

}  // namespace
}  // namespace backend::test
