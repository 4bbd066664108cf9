// "Bankruptcy Case ARs" from the main screen, beyond the listings and the time-out that scenarios
// play: what an empty or a late answer leaves.

#include "dialogs/casears/frm_bankruptcy_case_ars.h"
#include "document_fixture.h"

namespace document_testing {
namespace {

class CaseArsDialogTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        // The case's receivables: the customer's first two, tied to case BK-200.
        answerAlsoWith("CASEARS", records::kLayoutAccntRecv, [this](records::Recordset& rows) {
            for (const Ar& ar : caseArs) {
                rows.AddNew();
                rows.Set("Cust_ID", Value("1002"));
                rows.Set("CASE_ID", Value("BK-200"));
                rows.Set("ACCT_RCVBL_NBR", ar.number);
                rows.Set("ACCT_RCVBL_CK_NBR", Value(static_cast<std::int64_t>(ar.check)));
                rows.Set("ACCT_RCVBL_TYP_CD", Value(ar.type));
                rows.Set("ACCT_STTS_CD", Value("O"));
                rows.Set("TRNSCTN_DT", Value(records::DateSerial(ar.year, ar.month, ar.day)));
                rows.Set("ACCT_RCVBL_DUE_AMT", Value(records::CurrencyFromUnits(100)));
                rows.Set("ACCT_RCVBL_BAL_AMT", Value(records::CurrencyFromUnits(60, 5000)));
                rows.Update();
            }
        });
        caseArs = {backEnd->ars["1002"][0], backEnd->ars["1002"][1]};
        open();
        ASSERT_TRUE(selectAndWait("1002"));
        tabs()->setCurrentIndex(2);
        clickSelector(grid(KORVA_Bankruptcy::FILINGS), 0);
        ASSERT_EQ(doc->Customer().CaseID, "BK-200");
        ASSERT_TRUE(command(1)->isEnabled());
    }

    // Lists the case's receivables and closes the dialog at once with its OK button; returns
    // the rows it showed when it opened.
    long listCaseArs() {
        long rowsAtOpen = -1;
        interaction->queueModal([&](QDialog& d) {
            auto& dialog = dynamic_cast<frmBankruptcyCaseARs&>(d);
            rowsAtOpen = dialog.Grid()->Rows();
            QTest::mouseClick(dialog.findChild<QPushButton*>("mCmdCaseARs(0)"), Qt::LeftButton);
        });
        QTest::mouseClick(command(1), Qt::LeftButton);
        return rowsAtOpen;
    }

    std::vector<Ar> caseArs;
};

TEST_F(CaseArsDialogTest, AnAnswerWithoutRowsLeavesTheDialogEmptyAndAsksAgainNextTime) {
    caseArs.clear();
    EXPECT_EQ(listCaseArs(), 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(listCaseArs(), 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(backEnd->requestsOf("CASEARS").size(), 2u);
}

TEST_F(CaseArsDialogTest, AnAnswerAfterTheDialogClosedOnlyFillsTheCache) {
    fault("CASEARS=delay:300");
    EXPECT_EQ(listCaseArs(), 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(doc->BankruptcyARRecordset()->RecordCount(), 2);
    clearFaults();
    EXPECT_EQ(listCaseArs(), 2);
    EXPECT_EQ(backEnd->requestsOf("CASEARS").size(), 1u);
}

}  // namespace
}  // namespace document_testing
