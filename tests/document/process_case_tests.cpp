// Processing a case from the document: the checks before the dialog, the request filed for the
// time-out watch, the answer, failure and time-out settling the staged row, the receipt number
// handed back, and the case's cached receivables dropped.

#include <QLabel>
#include <QPlainTextEdit>

#include "dialogs/process/frm_bankruptcy_process.h"
#include "document_fixture.h"

namespace document_testing {
namespace {

constexpr int kProcess = 3;

Value money(std::int64_t whole) {
    return Value(records::CurrencyFromUnits(whole));
}

class ProcessCaseTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        open();
        ASSERT_TRUE(selectAndWait("1002"));
        // The back end's case carries a balance due, so a payment is possible.
        auto rows = doc->CaseRecordset()->Clone();
        ASSERT_TRUE(rows->Find("[CASE_ID] = 'BK-200'"));
        rows->Set("TOT_BAL_DUE_AMT", money(900));
        rows->Update();
        rows->UpdateBatch(records::Affect::Current);
        tabs()->setCurrentIndex(2);
        clickSelector(grid(KORVA_Bankruptcy::FILINGS), 0);
        ASSERT_EQ(doc->Customer().CaseID, "BK-200");
    }

    records::RecordsetPtr caseRow() {
        auto rows = doc->CaseRecordset()->Clone();
        EXPECT_TRUE(rows->Find("[CASE_ID] = 'BK-200'"));
        return rows;
    }

    // Presses "Process Bankruptcy Case"; in the dialog the user pays and answers the
    // confirmation, then the boxes that follow. Returns the receipt of the confirmed payment.
    std::string pay(platform::MsgAnswer answer = platform::MsgAnswer::Yes,
                    std::vector<platform::MsgAnswer> later = {}) {
        std::string receipt;
        interaction->queueModal([&, answer, later](QDialog& d) {
            auto& dialog = static_cast<frmBankruptcyProcess&>(d);
            QTest::keyClicks(dialog.EntryBox(0), "250");
            QTest::keyClicks(dialog.EntryBox(2), "CK-1");
            dialog.EntryBox(1)->setFocus();
            static_cast<QPlainTextEdit*>(dialog.EntryBox(1))->selectAll();
            QTest::keyClicks(dialog.EntryBox(1), "Trustee payment");
            interaction->queueAnswer(answer);
            for (platform::MsgAnswer next : later) interaction->queueAnswer(next);
            QTest::mouseClick(dialog.CommandButton(0), Qt::LeftButton);
            receipt = dialog.CustomerRecord().PmtReceiptNbr;
            if (dialog.isVisible()) QTest::mouseClick(dialog.CommandButton(1), Qt::LeftButton);
        });
        QTest::mouseClick(command(kProcess), Qt::LeftButton);
        return receipt;
    }
};

TEST_F(ProcessCaseTest, ARefusedPaymentRollsBackAndTheReceiptGoesBackWithTheCustomer) {
    backEnd->problems["PROCESS"] = {{"BADTOTAL", "Refresh the case and post again.",
                                     "PROCESS: BANKRUPTCY.TOT_PYMT_AMT", "sent: $250.00"}};
    const std::string receipt = pay(platform::MsgAnswer::Yes, {platform::MsgAnswer::OK});
    ASSERT_TRUE(waitIdle());
    ASSERT_FALSE(interaction->boxes().empty());
    EXPECT_NE(interaction->lastBox()->text.find("An Process Bankruptcy Case message returned"),
              std::string::npos);
    auto row = caseRow();
    EXPECT_TRUE(row->Get("ACTION").isNull());
    EXPECT_TRUE(row->Get("TOT_PYMT_AMT").isNull());
    EXPECT_EQ(row->Status() & records::status::Modified, 0);
    // A failed payment keeps its receipt until the customer changes.
    EXPECT_EQ(doc->Customer().PmtReceiptNbr, receipt);
    EXPECT_EQ(backEnd->count("ReturnNumber:R:" + receipt), 0);
    ASSERT_TRUE(selectAndWait("1003"));
    EXPECT_EQ(backEnd->count("ReturnNumber:R:" + receipt), 1);
    EXPECT_EQ(doc->Customer().PmtReceiptNbr, "");
}

// The roll-back and the box are played by a scenario; the receipt goes back here.
TEST_F(ProcessCaseTest, APaymentWithoutAnswerHandsItsReceiptBack) {
    fault("PROCESS=drop");
    const std::string receipt = pay();
    ASSERT_TRUE(waitUntil([&] { return backEnd->requestsOf("PROCESS").size() == 1; }));
    parts.clock->advance(61);
    interaction->queueAnswer(platform::MsgAnswer::OK);
    ASSERT_TRUE(doc->CheckTimeouts());
    EXPECT_EQ(backEnd->count("ReturnNumber:R:" + receipt), 1);
    EXPECT_EQ(doc->Customer().PmtReceiptNbr, "");
}

TEST_F(ProcessCaseTest, AnAnsweredPaymentHandsItsReceiptBack) {
    const std::string receipt = pay();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(backEnd->count("ReturnNumber:R:" + receipt), 1);
    EXPECT_EQ(doc->Customer().PmtReceiptNbr, "");
}

TEST_F(ProcessCaseTest, ClosingTheDocumentHandsBackAHeldReceipt) {
    fault("PROCESS=drop");
    const std::string receipt = pay();
    ASSERT_EQ(doc->Customer().PmtReceiptNbr, receipt);
    doc->CloseDocument();
    EXPECT_EQ(backEnd->count("ReturnNumber:R:" + receipt), 1);
}

TEST_F(ProcessCaseTest, TheCasesCachedReceivablesAreDropped) {
    records::RecordsetPtr cache = doc->BankruptcyARRecordset();
    for (const char* caseId : {"BK-200", "BK-200", "BK-100"}) {
        cache->AddNew();
        cache->Set("Cust_ID", Value("1002"));
        cache->Set("CASE_ID", Value(caseId));
        cache->Update();
    }
    cache->UpdateBatch();
    pay(platform::MsgAnswer::Cancel);
    auto rest = cache->Clone();
    ASSERT_EQ(rest->RecordCount(), 1);
    rest->MoveFirst();
    EXPECT_EQ(rest->Get("CASE_ID"), Value("BK-100"));
}

TEST_F(ProcessCaseTest, NothingOpensWithoutACustomerOrACase) {
    grid(KORVA_Bankruptcy::FILINGS).SelBookmarks().RemoveAll();
    ASSERT_TRUE(selectAndWait("1003"));  // no case chosen
    interaction->queueAnswer(platform::MsgAnswer::OK);
    doc->DoDialogProcessCase();
    ASSERT_NE(interaction->lastBox(), nullptr);
    EXPECT_EQ(interaction->lastBox()->text, "No Bankruptcy Case chosen to be Processed.");
    EXPECT_EQ(interaction->lastBox()->icon, platform::MsgIcon::Exclamation);

    doc->KORVA_CustSelect1_ClearForm();
    interaction->queueAnswer(platform::MsgAnswer::OK);
    doc->DoDialogProcessCase();
    EXPECT_EQ(interaction->lastBox()->text, "No Customer chosen to Process a Bankruptcy for.");
    EXPECT_TRUE(interaction->failures().empty()) << interaction->failures().front();
}

}  // namespace
}  // namespace document_testing
