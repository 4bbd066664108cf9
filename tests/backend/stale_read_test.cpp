// Changes made from a stale read: the case as the sender read it travels as the part "ORIGINAL";
// when another user changed the case since, the back end changes nothing and says so.
#include <array>
#include <barrier>
#include <functional>
#include <thread>

#include "records/layouts.h"
#include "support.h"

namespace backend::test {
namespace {

const std::string kStale =
    "Bankruptcy Case 2020BK0001 was changed by another user since you read it. Press Refresh "
    "and try again.";

class StaleRead : public BackEndTest {
  protected:
    // The case as the CASES answer shows it, as the part "ORIGINAL" (the screen sends the original
    // values of the row it edited, which are the answer's).
    messaging::NamedPart ReadCase() {
        for (const auto& part :
             Send("CASES", "officer", {{"CUST_ID", "1002"}, {"thin", "Yes"}}).parts)
            if (part.name == "BANKRUPTCY") return {"ORIGINAL", part.rows};
        ADD_FAILURE() << "Bram's case was not answered";
        return {};
    }
    static Fields Update(const std::string& trustee) {
        return BramUpdate({{"TRSTE_NM", trustee},
                           {"TRSTE_PHN_NBR", "3125550188"},
                           {"BNKRPTCY_CMMT_TXT", "Court closed the case"},
                           {"CRT_CLSE_DT", Day(QDate(2021, 1, 15))}});
    }
    Fields Payment(const std::string& user) { return BramPayment(backEnd->NextNumber(user, "R")); }
    static Fields Close(const char* action) {
        return {{"ACTION", action},
                {"CUST_ID", "1002"},
                {"CASE_ID", "2020BK0001"},
                {"BNKRPTCY_CMMT_TXT", "Closed"}};
    }
};

TEST_P(StaleRead, EveryChangeFromAStaleReadIsRefusedAndChangesNothing) {
    // The court close date lets the case be closed; the reads below come after it.
    ASSERT_TRUE(Ok(Change("ADDUPDATE", "officer", Update("Ira Trustee"))));
    const struct {
        const char* what;
        std::function<messaging::Answer()> meanwhile;  // another user, without a read state
    } others[] = {
        {"a payment", [&] { return Change("PROCESS", "manager", Payment("manager")); }},
        {"a new trustee",
         [&] {
             static int n = 0;
             return Change("ADDUPDATE", "manager", Update("Zed Trustee " + std::to_string(++n)));
         }},
    };
    const struct {
        const char* word;
        const char* user;
        std::function<Fields()> row;
    } senders[] = {
        {"ADDUPDATE", "officer", [&] { return Update("Ann Trustee"); }},
        {"PROCESS", "officer", [&] { return Payment("officer"); }},
        {"PROCESS", "manager", [] { return Close("WRITEOFF"); }},
        {"PROCESS", "manager", [] { return Close("DISMISS"); }},
    };
    for (const auto& other : others) {
        for (const auto& sender : senders) {
            SCOPED_TRACE(std::string(sender.word) + " " + sender.user + " after " + other.what);
            const Fields row = sender.row();
            const messaging::NamedPart read = ReadCase();
            ASSERT_TRUE(Ok(other.meanwhile()));
            const std::string before = Fingerprint(sql());
            const messaging::Answer answer = Change(sender.word, sender.user, row, {read});
            ASSERT_EQ(Codes(answer), Strings{"STALE"}) << Messages(answer);
            EXPECT_EQ(Pick(Part(answer, "NOTIFICATION")[0], "COMPLETION_MSG LOCATION"),
                      kStale + "|" + sender.word + ": ORIGINAL");
            EXPECT_EQ(PartNames(answer), (Strings{"HALBERON", "NOTIFICATION"}));
            EXPECT_EQ(Fingerprint(sql()), before);
        }
    }
    // A case closed by another user since the read is stale too, not merely "not open".
    const messaging::NamedPart read = ReadCase();
    ASSERT_TRUE(Ok(Change("PROCESS", "manager", Close("DISMISS"))));
    EXPECT_EQ(Codes(Change("ADDUPDATE", "officer", Update("Ann Trustee"), {read})),
              Strings{"STALE"});
}

TEST_P(StaleRead, AFreshReadIsAppliedAndAReadOfAnotherCaseIsRefused) {
    // The sender's own changes, each from a read taken after the one before: all applied.
    ASSERT_TRUE(Ok(Change("ADDUPDATE", "officer", Update("Ann Trustee"), {ReadCase()})));
    ASSERT_TRUE(Ok(Change("PROCESS", "officer", Payment("officer"), {ReadCase()})));
    EXPECT_EQ(Pick(CaseRow("1002", "2020BK0001"), "PYMT_CNT"), "1");

    // The read state must describe the case changed, in one row.
    messaging::NamedPart other = ReadCase();
    other.rows->MoveFirst();
    other.rows->Set("CASE_ID", records::Value("2019BK0099"));
    other.rows->Update();
    EXPECT_EQ(Codes(Change("ADDUPDATE", "officer", Update("Bo Trustee"), {other})),
              Strings{"BADPART"});
    messaging::NamedPart twice = ReadCase();
    twice.rows = Rows(records::kLayoutBankruptcy,
                      {{{"CASE_ID", "2020BK0001"}}, {{"CASE_ID", "2020BK0001"}}});
    EXPECT_EQ(Codes(Change("PROCESS", "officer", Payment("officer"), {twice})), Strings{"BADPART"});
}

TEST_P(StaleRead, OfTwoWritersRacingFromOneReadExactlyOneWins) {
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        // Both read the same case; each holds its own copy, as two screens would.
        const std::array<messaging::NamedPart, 2> reads{ReadCase(), ReadCase()};
        std::barrier start(2);
        std::array<std::vector<std::string>, 2> codes;
        auto writer = [&](int w) {
            const Fields row =
                w == 0 ? Update("Trustee " + std::to_string(round)) : Payment("manager");
            start.arrive_and_wait();
            codes[static_cast<std::size_t>(w)] =
                Codes(Change(w == 0 ? "ADDUPDATE" : "PROCESS", w == 0 ? "officer" : "manager", row,
                             {reads[static_cast<std::size_t>(w)]}));
        };
        std::thread a(writer, 0), b(writer, 1);
        a.join();
        b.join();
        const bool firstWon = codes[0].empty() && codes[1] == Strings{"STALE"};
        const bool secondWon = codes[1].empty() && codes[0] == Strings{"STALE"};
        EXPECT_TRUE(firstWon || secondWon) << round << ": " << ::testing::PrintToString(codes);
    }
    // Every round changed the case exactly once: one history row each, besides the demo's ADD.
    EXPECT_EQ(sql()
                  .scalar(QStringLiteral("SELECT COUNT(*) FROM case_history"
                                         " WHERE case_id = '2020BK0001' AND action <> 'ADD'"))
                  .toInt(),
              kRounds);
}

HALBERON_BACKEND_SUITE(StaleRead);

}  // namespace
}  // namespace backend::test
