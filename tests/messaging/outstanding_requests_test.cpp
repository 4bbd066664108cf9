#include "messaging/outstanding_requests.h"

#include <gtest/gtest.h>

namespace messaging {
namespace {

const std::string kTitle = "APP.";

TEST(OutstandingRequests, InitialTableHasThemesKeysAndTexts) {
    auto t = OutstandingRequests::Initial(kTitle);
    EXPECT_EQ(t[kCases].theme, "APP.CASES");
    EXPECT_EQ(t[kProcess].theme, "APP.PROCESS");
    for (int k = 0; k < kRequestKinds; ++k) {
        EXPECT_EQ(t[k].messageKey, "NOMSG");
        EXPECT_EQ(t[k].deadline, 0);
        EXPECT_FALSE(t[k].failed);
    }
    EXPECT_EQ(t[kOpenArs].description, "Open & Payable AR Inquiry");
    EXPECT_EQ(t[kCaseArs].timeoutText,
              "Bankruptcy Case Account Inquiry Message failed to respond.");
    EXPECT_FALSE(t.AnyPending());

    // themes match exactly and only their own entry
    EXPECT_EQ(t.MatchTheme("APP.CASEARS"), kCaseArs);
    EXPECT_EQ(t.MatchTheme("APP.CASES"), kCases);
    EXPECT_EQ(t.MatchTheme("APP.OPENARS"), kOpenArs);
    EXPECT_EQ(t.MatchTheme("APP.CASEHIST"), kCaseHist);
    EXPECT_EQ(t.MatchTheme("OTHER.CASES"), -1);
    EXPECT_EQ(t.MatchTheme("APP.cases"), -1);

    // the time-out message keeps its exact blanks and breaks
    EXPECT_EQ(TimeoutMessageText("A\r\nB\r\n"),
              "The system has not responded to your request(s).  \r\n\r\nA\r\nB\r\n\r\n"
              "Your request(s) will be processed as soon as possible.");
}

TEST(OutstandingRequests, SweepTakesDueEntriesInFixedOrderOnlyOnce) {
    auto t = OutstandingRequests::Initial(kTitle);
    for (int k : {kCaseHist, kProcess, kCaseArs, kAddUpdate, kCases}) t[k].deadline = 100;
    t[kOpenArs].deadline = 160;                // answered in time: still waiting at 100
    EXPECT_TRUE(t.TakeExpired(99.5).empty());  // one moment early: nothing is due
    auto due = t.TakeExpired(100);
    EXPECT_EQ(due, (std::vector<int>{kCases, kAddUpdate, kCaseArs, kProcess, kCaseHist}));
    EXPECT_EQ(t[kCases].deadline, 0);
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
