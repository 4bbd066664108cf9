#include "messaging/outstanding_requests.h"

#include <gtest/gtest.h>

namespace messaging {
namespace {

const std::string kTitle = "APP.";

TEST(OutstandingRequests, SweepTakesDueEntriesInFixedOrderOnlyOnce) {
    auto t = OutstandingRequests::Initial(kTitle);
    for (int k : {kCaseHist, kProcess, kCaseArs, kAddUpdate, kCases}) t[k].deadline = 100;
    t[kOpenArs].deadline = 160;                // answered in time: still waiting at 100
    EXPECT_TRUE(t.TakeExpired(99.5).empty());  // one moment early: nothing is due
    auto due = t.TakeExpired(100);
    EXPECT_EQ(t.MatchTheme("APP.cases"), -1);  // themes match exactly
    EXPECT_EQ(t[kAddUpdate].timeoutText, "Add/Update Bankruptcy Message failed to respond.");
    EXPECT_EQ(due, (std::vector<int>{kCases, kAddUpdate, kCaseArs, kProcess, kCaseHist}));
    EXPECT_TRUE(t.AnyPending());
    EXPECT_TRUE(t.TakeExpired(100).empty());
    EXPECT_EQ(t.TakeExpired(160), (std::vector<int>{kOpenArs}));
    EXPECT_FALSE(t.AnyPending());
}

TEST(OutstandingRequests, EarlierDialogRequestStaysWatchedUntilAnsweredOrDue) {
    auto t = OutstandingRequests::Initial(kTitle);
    t.FileSentRequest(kAddUpdate, "APP.ADDUPDATE", "K1", 0);
    EXPECT_EQ(t[kAddUpdate].deadline, 60);
    t.FileSentRequest(kAddUpdate, "APP.ADDUPDATE", "K2", 10);
    EXPECT_EQ(t[kAddUpdate].messageKey, "K2");
    ASSERT_EQ(t.Watched().size(), 1u);
    EXPECT_EQ(t.Watched()[0].messageKey, "K1");
    EXPECT_FALSE(t.AnswerWatched(kProcess, "K1"));  // another kind's key does not match

    t.FileSentRequest(kAddUpdate, "APP.ADDUPDATE", "K3", 20);
    EXPECT_TRUE(t.AnswerWatched(kAddUpdate, "K1"));
    ASSERT_EQ(t.Watched().size(), 1u);
    auto expired = t.TakeExpiredWatched(70);
    ASSERT_EQ(expired.size(), 1u);
    EXPECT_EQ(expired[0].messageKey, "K2");
    EXPECT_TRUE(t.Watched().empty());

    // an answered request is not watched when a new one is filed
    t.FileSentRequest(kProcess, "APP.PROCESS", "P1", 0);
    t[kProcess].deadline = 0;  // its answer arrived
    t.FileSentRequest(kProcess, "APP.PROCESS", "P2", 5);
    EXPECT_TRUE(t.Watched().empty());
}

}  // namespace
}  // namespace messaging
