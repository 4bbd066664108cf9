// Choosing a customer: what is forgotten, what is asked of the back end, and how the answers
// reach the grids and the status line.

#include "document_fixture.h"
#include "messaging/outstanding_requests.h"

namespace document_testing {
namespace {

using Criteria = std::vector<std::pair<std::string, std::string>>;

Criteria criteriaOf(const messaging::Request& r) {
    Criteria out;
    for (const auto& c : r.criteria) {
        EXPECT_EQ(c.appName, "HALBERON");
        EXPECT_EQ(c.op, "=");
        out.emplace_back(c.keyName, c.value);
    }
    return out;
}

TEST_F(DocumentTest, ChoosingACustomerSendsBothInquiriesAndShowsTheAnswers) {
    open();
    fault("*=delay:400");
    ASSERT_TRUE(select("1002"));

    // While the answers are on their way.
    EXPECT_EQ(status(), "Requesting Account & Bankruptcy Info For Harbour Fisheries ...");
    EXPECT_FALSE(grid(KORVA_Bankruptcy::ars).isEnabled());
    EXPECT_FALSE(grid(KORVA_Bankruptcy::FILINGS).isEnabled());
    EXPECT_FALSE(command(2)->isEnabled());
    EXPECT_FALSE(doc->IsIdle());
    EXPECT_TRUE(interaction->IsBusyPointer());
    EXPECT_TRUE(doc->TimeoutTimer()->isActive());

    ASSERT_TRUE(waitIdle());
    const auto ars = backEnd->requestsOf("OPENARS");
    const auto cases = backEnd->requestsOf("CASES");
    ASSERT_EQ(ars.size(), 1u);
    ASSERT_EQ(cases.size(), 1u);
    EXPECT_EQ(criteriaOf(ars[0]), (Criteria{{"key:CUST_ID", "1002"},
                                            {"key:ACCT_STATUS_CD", "O"},
                                            {"key:thin", "Yes"},
                                            {"key:ALERTS", "N"}}));
    EXPECT_EQ(ars[0].serviceCode, 58);
    EXPECT_EQ(criteriaOf(cases[0]), (Criteria{{"key:CUST_ID", "1002"}, {"key:thin", "Yes"}}));
    EXPECT_EQ(cases[0].serviceCode, 16);
    EXPECT_EQ(ars[0].messageKey, doc->Requests()[messaging::kOpenArs].messageKey);
    EXPECT_EQ(cases[0].messageKey, doc->Requests()[messaging::kCases].messageKey);
    EXPECT_EQ(ars[0].senderId, "manager");

    // What the answers show is played by a scenario.
    EXPECT_TRUE(grid(KORVA_Bankruptcy::ars).isEnabled());
    EXPECT_FALSE(interaction->IsBusyPointer());
}

TEST_F(DocumentTest, AnAnswerForAnotherApplicationChangesNothing) {
    open();
    ASSERT_TRUE(selectAndWait("1002"));
    const std::size_t texts = statusLine->texts.size();
    doc->mVrexMessage_DataReady("OTHERAPP.KORVA_Bankruptcy.CASES");
    EXPECT_TRUE(reporter->mentions("KORVA_Bankruptcy.mVrexMessage_DataReady: The answer's theme"));
    EXPECT_EQ(statusLine->texts.size(), texts);
    EXPECT_EQ(grid(KORVA_Bankruptcy::FILINGS).Rows(), 1);
    EXPECT_FALSE(interaction->IsBusyPointer());
}

}  // namespace
}  // namespace document_testing
