// "Bankruptcy Case ARs" from the main screen, beyond the listings and the time-out that scenarios
// play: the rows read as on the receivable grid, and what an empty or a late answer leaves.

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

    // What the dialog showed while it was open.
    struct Seen {
        long rowsAtOpen = -1;
        std::vector<std::vector<QString>> cells;  // AR Number, AR Type, Issue Date, Status
    };

    // Lists the case's receivables; the dialog waits up to waitMs for `wantRows` rows (if any)
    // and is closed with its OK button.
    Seen listCaseArs(long wantRows, int waitMs = 3000) {
        Seen seen;
        interaction->queueModal([&, wantRows, waitMs](QDialog& d) {
            auto& dialog = dynamic_cast<frmBankruptcyCaseARs&>(d);
            platform::DataGrid& g = *dialog.Grid();
            seen.rowsAtOpen = g.Rows();
            if (wantRows > 0) waitUntil([&] { return g.Rows() >= wantRows; }, waitMs);
            for (int row = 0; row < g.Rows(); ++row) {
                seen.cells.push_back({g.CellText(row, "AcctRcvblNumber"),
                                      g.CellText(row, "AcctRcvblType"),
                                      g.CellText(row, "Issue Date"), g.CellText(row, "Status")});
            }
            QTest::mouseClick(dialog.findChild<QPushButton*>("mCmdCaseARs(0)"), Qt::LeftButton);
        });
        QTest::mouseClick(command(1), Qt::LeftButton);
        return seen;
    }

    std::vector<Ar> caseArs;
};

TEST_F(CaseArsDialogTest, AnAnswerWithoutRowsLeavesTheDialogEmptyAndAsksAgainNextTime) {
    caseArs.clear();
    const Seen first = listCaseArs(0);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(first.cells.empty());
    const Seen second = listCaseArs(0);
    EXPECT_EQ(second.rowsAtOpen, 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(backEnd->requestsOf("CASEARS").size(), 2u);
}

TEST_F(CaseArsDialogTest, AnAnswerAfterTheDialogClosedOnlyFillsTheCache) {
    fault("CASEARS=delay:300");
    const Seen first = listCaseArs(0);  // closed at once
    EXPECT_EQ(first.rowsAtOpen, 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(doc->BankruptcyARRecordset()->RecordCount(), 2);
    clearFaults();
    const Seen second = listCaseArs(0);
    EXPECT_EQ(second.rowsAtOpen, 2);
    EXPECT_EQ(backEnd->requestsOf("CASEARS").size(), 1u);
}

}  // namespace
}  // namespace document_testing
