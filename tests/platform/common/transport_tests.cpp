// The transport: answers on the user-interface thread after they are stored, queue order shared
// with the synchronous services, time-outs, late answers and copied request parts.
#include <set>

#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "platform/common/answer_store.h"
#include "platform/common/clock.h"
#include "platform/common/common_library_factory.h"
#include "platform/common/global_services.h"
#include "platform/common/transport.h"
#include "records/value_rules.h"
#include "scripted_backend.h"

namespace {

using testing_support::fullTheme;
using testing_support::ScriptedBackEnd;
using testing_support::waitUntil;

class TransportTest : public ::testing::Test {
  protected:
    void build(double limitSeconds = 90.0) {
        ASSERT_TRUE(dir_.isValid());
        platform::CommonLibraryOptions options;
        options.serviceLimitSeconds = limitSeconds;
        options.faultsFromEnvironment = false;
        options.userFolder = dir_.path();
        parts_ = platform::buildCommonLibraryParts(backEnd_, "manager", options);
        listener_ = lib().messageService->GetListener();
        listener_->DataReady = [this](const std::string& theme) {
            ready_.push_back(theme);
            readyThreads_.push_back(QThread::currentThread());
            const auto header = lib().answerStore->GetPart("HALBERON", theme, "");
            headersAtReady_.push_back(header ? header->MessageKey() : std::string());
        };
        listener_->MsgTimeout = [this](const std::string& theme) { timedOut_.push_back(theme); };
    }
    messaging::CommonLibrary& lib() { return parts_.library; }

    // Sends a request of the theme word; its message key.
    std::string send(const std::string& word) {
        auto request = lib().messageService->NewRequest();
        request->SetTheme(fullTheme(word));
        request->SetSenderId("manager");
        request->SetServiceCode(16);
        const std::string key = request->MessageKey();
        request->Send();
        return key;
    }

    QTemporaryDir dir_;
    std::shared_ptr<ScriptedBackEnd> backEnd_ = std::make_shared<ScriptedBackEnd>();
    platform::CommonLibraryParts parts_;
    std::shared_ptr<messaging::MessageListener> listener_;
    std::vector<std::string> ready_, timedOut_, headersAtReady_;
    std::vector<QThread*> readyThreads_;
};

TEST_F(TransportTest, AnswerIsStoredBeforeDataReadyOnTheUiThread) {
    build();
    const std::string key = send("CASES");
    ASSERT_TRUE(waitUntil([&] { return ready_.size() == 1; }));
    EXPECT_EQ(ready_[0], fullTheme("CASES"));
    EXPECT_EQ(readyThreads_[0], QThread::currentThread());
    EXPECT_EQ(headersAtReady_[0], key);
    EXPECT_EQ(backEnd_->lastRequest().messageKey, key);
    EXPECT_NE(backEnd_->handleThread(), QThread::currentThread());
    const auto part = lib().answerStore->GetPart("ACNTSRCVBL", fullTheme("CASES"), key);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->MessageKey(), key);
    EXPECT_EQ(part->Recordset()->RecordCount(), 1);
    EXPECT_EQ(parts_.transport->waitingCount(), 0u);
    EXPECT_TRUE(timedOut_.empty());

    std::set<std::string> keys;  // message keys are unique
    for (int i = 0; i < 100; ++i) keys.insert(lib().messageService->NewRequest()->MessageKey());
    EXPECT_EQ(keys.size(), 100u);
}

TEST_F(TransportTest, RequestsAndServiceCallsReachTheBackEndInIssueOrder) {
    build();
    backEnd_->handleSleepMs = 40;  // a service call that skipped the queue would overtake
    std::string a1, a2;
    send("CASES");
    const std::string number = lib().globalServices->GetNextNumber("R", a1, a2);
    send("OPENARS");
    lib().globalServices->ReturnReceiptNumber(number, "R");
    send("PROCESS");
    EXPECT_TRUE(lib().globalServices->HasRight("BnkrptcyMgr"));
    ASSERT_TRUE(waitUntil([&] { return ready_.size() == 3; }));
    const std::vector<std::string> expected = {"Handle:CASES",   "NextNumber:R:5001",
                                               "Handle:OPENARS", "ReturnNumber:R:5001",
                                               "Handle:PROCESS", "HasRight:BnkrptcyMgr"};
    EXPECT_EQ(backEnd_->calls(), expected);
    EXPECT_EQ(ready_, (std::vector<std::string>{fullTheme("CASES"), fullTheme("OPENARS"),
                                                fullTheme("PROCESS")}));
}

TEST_F(TransportTest, OneAnswerAtATimeEvenWhenAHandlerRunsANestedLoop) {
    build();
    std::string trace;
    listener_->DataReady = [&](const std::string&) {
        trace += "(";
        // The first handler runs the event loop as a message box would, while the second answer
        // arrives; delivering it there would show as "((".
        if (trace.size() == 1) {
            waitUntil([&] { return backEnd_->count("Handle:") == 2; });
            waitUntil([&] { return trace.size() > 1; }, 500);
        }
        trace += ")";
    };
    backEnd_->handleSleepMs = 100;  // the answers come apart, not in one batch
    for (int i = 0; i < 2; ++i) send("ADDUPDATE");
    ASSERT_TRUE(waitUntil([&] { return trace.size() == 4; }));
    EXPECT_EQ(trace, "()()");
}

TEST_F(TransportTest, UnansweredRequestTimesOutAndItsLateAnswerIsDropped) {
    build(0.1);
    backEnd_->handleSleepMs = 400;
    const std::string key = send("CASES");
    std::string a1, a2;  // a number drawn after the caller gave up is handed back
    EXPECT_EQ(lib().globalServices->GetNextNumber("R", a1, a2), "");
    ASSERT_TRUE(waitUntil([&] { return timedOut_.size() == 1; }, 2000));
    EXPECT_EQ(timedOut_[0], fullTheme("CASES"));
    EXPECT_TRUE(ready_.empty());
    // The back end finishes later; its answer must not be raised or stored. The worker posts
    // that answer before it draws the number, so once the number is back the answer is queued.
    ASSERT_TRUE(waitUntil([&] { return backEnd_->count("ReturnNumber:R:5001") == 1; }, 5000));
    testing_support::pumpFor(100);
    EXPECT_TRUE(ready_.empty());
    EXPECT_FALSE(lib().answerStore->GetPart("HALBERON", fullTheme("CASES"), key));
    EXPECT_EQ(timedOut_.size(), 1u);
}

TEST_F(TransportTest, AdvancingTheClockGivesUpWaitingRequests) {
    build(90.0);
    backEnd_->handleSleepMs = 300;
    send("OPENARS");
    send("CASES");
    parts_.clock->advance(91.0);
    parts_.transport->checkDeadlines();
    EXPECT_EQ(timedOut_, (std::vector<std::string>{fullTheme("OPENARS"), fullTheme("CASES")}));
    testing_support::pumpFor(800);
    EXPECT_TRUE(ready_.empty());
}

TEST_F(TransportTest, ThrowingBackEndAnswersANotificationWithItsReason) {
    build();
    backEnd_->onHandle = [](const messaging::Request&) -> messaging::Answer {
        throw std::runtime_error("database is locked");
    };
    const std::string key = send("PROCESS");
    ASSERT_TRUE(waitUntil([&] { return ready_.size() == 1; }));
    const auto note = lib().answerStore->GetPart("NOTIFICATION", fullTheme("PROCESS"), key);
    ASSERT_TRUE(note);
    note->Recordset()->MoveFirst();
    EXPECT_EQ(records::TextOf(note->Recordset()->Get("NOTE")), "database is locked");
}

TEST_F(TransportTest, RequestCarriesCopiesOfItsParts) {
    build();
    auto dtd = lib().messageService->NewDTD();
    dtd->SetDTDName("BANKRUPTCY");
    dtd->OpenRecordset();
    dtd->AddRow();
    dtd->Recordset()->Set("CASE_ID", records::Value("2020BK0001"));
    dtd->FinishRows();
    records::RecordsetPtr seen;
    backEnd_->onHandle = [&seen](const messaging::Request& r) {
        seen = r.parts.at(0).rows;
        seen->MoveFirst();
        seen->Set("CASE_ID", records::Value("changed"));  // must not reach the screen's rows
        seen->Update();
        messaging::Answer a;
        a.theme = r.theme;
        a.messageKey = r.messageKey;
        return a;
    };
    auto request = lib().messageService->NewRequest();
    request->SetTheme(fullTheme("ADDUPDATE"));
    request->AddPart("BANKRUPTCY", dtd);
    request->Send();
    ASSERT_TRUE(waitUntil([&] { return ready_.size() == 1; }));
    ASSERT_TRUE(seen);
    EXPECT_NE(seen.get(), dtd->Recordset().get());
    dtd->Recordset()->MoveFirst();
    EXPECT_EQ(records::TextOf(dtd->Recordset()->Get("CASE_ID")), "2020BK0001");
    EXPECT_THROW(request->Send(), records::Error);  // one request, one send
}

}  // namespace
