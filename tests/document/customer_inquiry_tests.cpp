// Answers for another application are passed over; what choosing a customer asks and shows is
// played by scenarios.

#include "document_fixture.h"

namespace document_testing {
namespace {

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
