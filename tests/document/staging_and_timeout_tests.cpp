// Failure notifications, making staged rows final or rolling them back, and the time-out watch.

#include <QTimer>
#include <algorithm>

#include "document_fixture.h"
#include "messaging/requests.h"

namespace document_testing {
namespace {

const std::string kAddUpdateTheme = std::string(messaging::kAppTitle) + "ADDUPDATE";

// What a dialog does on Save: stage the change in a clone of the case record set, marked with the
// request's key, report the request, send it.
class StagingTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        open();
        ASSERT_TRUE(selectAndWait("1002"));
    }

    std::unique_ptr<messaging::RequestMessage> newAddUpdate() {
        return messaging::NewRequest(parts.library, kAddUpdateTheme, 17);
    }
    void stageAdd(const std::string& caseId, const std::string& key) {
        auto clone = doc->CaseRecordset()->Clone();
        clone->AddNew();
        clone->Set("CUST_ID", Value("1002"));
        clone->Set("CASE_ID", Value(caseId));
        clone->Set("STTS_CD", Value("O"));
        clone->Set("ACTION", Value("ADD"));
        clone->Set("Theme", Value(key));
        clone->Update();
    }
    void stageUpdate(const std::string& caseId, const std::string& trustee,
                     const std::string& key) {
        auto clone = doc->CaseRecordset()->Clone();
        ASSERT_TRUE(clone->Find("[CASE_ID] = '" + caseId + "'"));
        clone->Set("TRSTE_NM", Value(trustee));
        clone->Set("ACTION", Value("UPD"));
        clone->Set("Theme", Value(key));
        clone->Update();
    }
    void send(std::unique_ptr<messaging::RequestMessage> request) {
        doc->mFrmAddBankruptcy_SentMessage(request->Theme(), request->MessageKey());
        request->Send();
    }
    // The case row's field, found through a fresh clone; nullopt when the row is gone.
    std::optional<Value> caseField(const std::string& caseId, const char* field) {
        auto clone = doc->CaseRecordset()->Clone();
        if (!clone->Find("[CASE_ID] = '" + caseId + "'")) return std::nullopt;
        return clone->Get(field);
    }
};

TEST_F(StagingTest, AFailedAddTakesItsRowAwayAndLeavesOtherRequestsRows) {
    auto other = newAddUpdate();
    stageAdd("BK-OTHER", other->MessageKey());  // staged by a request still out
    auto request = newAddUpdate();
    stageAdd("BK-300", request->MessageKey());
    stageUpdate("BK-200", "New Trustee", request->MessageKey());
    backEnd->problems["ADDUPDATE"] = {{"E17", "Case exists", "cases", "BK-300 is on file"}};

    fault("ADDUPDATE=delay:200");
    send(std::move(request));
    tabs()->setCurrentIndex(2);
    platform::DataGrid& cases = grid(KORVA_Bankruptcy::FILINGS);
    ASSERT_EQ(cases.Rows(), 3);
    EXPECT_EQ(cases.CellText(2, "Status"), "Adding Open");
    EXPECT_EQ(cases.CellText(0, "Status"), "Updating Open");
    EXPECT_FALSE(command(0)->isEnabled());

    interaction->queueAnswer(platform::MsgAnswer::OK);
    ASSERT_TRUE(waitUntil([&] { return doc->Requests()[messaging::kAddUpdate].deadline == 0; }));
    ASSERT_EQ(interaction->boxes().size(), 1u);
    EXPECT_NE(interaction->boxes()[0].text.find(
                  "An Add / Update Bankruptcy Case message returned the following error:"),
              std::string::npos);
    EXPECT_TRUE(statusSeen("Query Not Successful."));

    EXPECT_FALSE(caseField("BK-300", "CASE_ID").has_value());
    EXPECT_EQ(records::TextOf(*caseField("BK-200", "TRSTE_NM")), "Ada Trustee");
    EXPECT_TRUE(caseField("BK-200", "ACTION")->isNull());
    EXPECT_EQ(records::TextOf(*caseField("BK-OTHER", "ACTION")), "ADD");
    EXPECT_EQ(cases.Rows(), 2);
    EXPECT_EQ(cases.CellText(0, "Status"), "Open");
}

TEST_F(StagingTest, TimedOutInquiriesGiveOneBoxWithALineEachInEntryOrder) {
    fault("OPENARS=drop");
    fault("CASES=drop");
    ASSERT_TRUE(select("1002"));
    ASSERT_FALSE(command(2)->isEnabled());

    EXPECT_TRUE(interaction->IsBusyPointer());
    parts.clock->advance(59);
    EXPECT_FALSE(doc->CheckTimeouts());  // answered at 59 s would still count
    parts.clock->advance(1);
    interaction->queueAnswer(platform::MsgAnswer::OK);
    EXPECT_TRUE(doc->CheckTimeouts());

    ASSERT_EQ(interaction->boxes().size(), 1u);
    EXPECT_EQ(interaction->boxes()[0].text,
              "The system has not responded to your request(s).  \r\n\r\n"
              "Bankruptcy Inquiry Message failed to respond.\r\n"
              "Account Inquiry Message failed to respond.\r\n"
              "\r\nYour request(s) will be processed as soon as possible.");
    EXPECT_TRUE(doc->IsIdle());
    EXPECT_FALSE(doc->TimeoutTimer()->isActive());
    EXPECT_TRUE(command(2)->isEnabled());
    EXPECT_FALSE(interaction->IsBusyPointer());
    EXPECT_TRUE(doc->Requests()[messaging::kCases].failed);
}

TEST_F(StagingTest, EarlierUnansweredAddIsRolledBackWithTheLatest) {
    fault("ADDUPDATE=drop");
    auto first = newAddUpdate();
    stageAdd("BK-301", first->MessageKey());
    send(std::move(first));
    auto second = newAddUpdate();
    stageAdd("BK-302", second->MessageKey());
    send(std::move(second));
    ASSERT_EQ(doc->Requests().Watched().size(), 1u);
    ASSERT_TRUE(doc->TimeoutTimer()->isActive());

    parts.clock->advance(61);
    interaction->queueAnswer(platform::MsgAnswer::OK);
    ASSERT_TRUE(doc->CheckTimeouts());
    EXPECT_FALSE(caseField("BK-301", "CASE_ID").has_value());
    EXPECT_FALSE(caseField("BK-302", "CASE_ID").has_value());
    ASSERT_EQ(interaction->boxes().size(), 1u);
    const std::string& text = interaction->boxes()[0].text;
    const std::string line = "Add/Update Bankruptcy Message failed to respond.\r\n";
    EXPECT_NE(text.find(line + line), std::string::npos);
    EXPECT_TRUE(doc->IsIdle());
}

TEST_F(DocumentTest, HostOperationsWithoutAndWithACustomer) {
    open();
    for (int c : {7, 8, 9, 14}) EXPECT_FALSE(statusLine->isEnabled(c)) << c;
    EXPECT_FALSE(doc->DataChanged());
    EXPECT_EQ(status(), "Checking Document Data ...");

    doc->SaveData();
    EXPECT_EQ(status(), "Data did not change.  Save request cancelled. ");

    ASSERT_TRUE(selectAndWait("1002"));
    EXPECT_TRUE(doc->DataChanged());
    doc->FileNew();
    EXPECT_EQ(status(), "Ready ...");
    EXPECT_FALSE(doc->DataChanged());
    EXPECT_EQ(doc->Customer().CustID, "");
    EXPECT_FALSE(doc->findChild<platform::CustomerSelect*>("KORVA_CustSelect1")->HasCustomer());
    EXPECT_TRUE(command(2)->isEnabled());

    EXPECT_TRUE(doc->CloseDocument());
    for (int c : {7, 8, 9, 14}) EXPECT_TRUE(statusLine->isEnabled(c)) << c;
    EXPECT_EQ(status(), "Ready ...");
    // The listener is gone: an answer now reaches nobody.
    fault("*=delay:50");
    ASSERT_TRUE(select("1003"));
    testing_support::pumpFor(250);
    EXPECT_EQ(grid(KORVA_Bankruptcy::ars).Rows(), 0);
}

TEST_F(DocumentTest, TimerIntervalHasAFloor) {
    doc = std::make_unique<KORVA_Bankruptcy>(parts.library, interaction);
    QTimer* timer = doc->TimeoutTimer();
    for (const auto& [set, kept] : {std::pair{14999, 35000}, std::pair{15000, 15000}}) {
        timer->setInterval(set);
        doc->Show();
        EXPECT_EQ(timer->interval(), kept);
        EXPECT_EQ(timer->property("Tag").toString(), QString::number(kept));
        EXPECT_FALSE(timer->isActive());
    }
}

TEST_F(StagingTest, ChangesByAnotherUserAreToldOnceNoRequestWaitsAndNeverReload) {
    const std::string told =
        "Another user changed the bankruptcy data of Harbour Fisheries. Press Refresh to see it.";
    parts.transport->setWatchInterval(10);
    const std::size_t inquiries = backEnd->requestsOf("CASES").size();
    auto heard = [&] { return waitUntil([&] { return backEnd->changesTold(); }) && waitIdle(); };

    // Another customer's change is not this screen's business.
    backEnd->changeElsewhere("1003");
    ASSERT_TRUE(heard());
    QApplication::processEvents();
    EXPECT_FALSE(statusSeen(told));

    // Heard while this screen's own update waits: told only after its answer.
    auto request = newAddUpdate();
    stageUpdate("BK-200", "New Trustee", request->MessageKey());
    fault("ADDUPDATE=delay:400");
    send(std::move(request));
    backEnd->changeElsewhere("1002");
    ASSERT_TRUE(waitUntil([&] { return backEnd->changesTold(); }));
    QTest::qWait(50);
    EXPECT_FALSE(statusSeen(told)) << "a request for the customer is outstanding";
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(waitUntil([&] { return status() == told; }));
    EXPECT_EQ(caseField("BK-200", "TRSTE_NM"), Value("New Trustee")) << "the update stands";
    const auto count = std::count(statusLine->texts.begin(), statusLine->texts.end(), told);
    EXPECT_EQ(count, 1);

    // Heard while idle: told at once. Nothing is read again behind the user's back.
    clearFaults();
    statusLine->texts.clear();
    backEnd->changeElsewhere("1002");
    ASSERT_TRUE(waitUntil([&] { return status() == told; }));
    EXPECT_EQ(backEnd->requestsOf("CASES").size(), inquiries);

    // Heard while Refresh reads (between its two inquiries): its answers show the change, so
    // there is nothing to tell.
    statusLine->texts.clear();
    backEnd->handleSleepMs = 150;
    command(2)->click();
    backEnd->changeElsewhere("1002");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(backEnd->changesTold());
    QTest::qWait(50);
    EXPECT_FALSE(statusSeen(told));
    EXPECT_EQ(status(), "Displaying Account & Bankruptcy Info For Harbour Fisheries ...");
}

}  // namespace
}  // namespace document_testing
