// "Save" and "Cancel": what a confirmed command stages in the shared case row and sends, what a
// declined one leaves behind, and where the receipt numbers go.

#include <QDate>

#include "dialogs/process/process_texts.h"
#include "messaging/backend_api.h"
#include "messaging/date_serials.h"
#include "process_fixture.h"

namespace process_testing {
namespace {

const std::string kTheme = std::string(messaging::kAppTitle) + "PROCESS";

Value money(std::int64_t whole) {
    return Value(records::CurrencyFromUnits(whole));
}

class PaymentTest : public ProcessDialogTest {
  protected:
    // Opens the dialog on a case without payments and saves a $250 payment, confirmed.
    void SetUp() override {
        ProcessDialogTest::SetUp();
        open();
        fillPayment("250", "CK-1", "Trustee payment");
        receipt = label(7).toStdString();
        interaction->queueAnswer(platform::MsgAnswer::Yes);
        clickSave();
    }
    std::string receipt;
};

TEST_F(PaymentTest, TheConfirmationNamesTheReceiptTheUserSaw) {
    ASSERT_EQ(interaction->boxes().size(), 1u);
    const auto& box = interaction->boxes().front();
    EXPECT_EQ(box.text, process_dialog::PaymentConfirmationText(receipt, "$250.00", "CK-1"));
    EXPECT_EQ(box.buttons, platform::MsgButtons::YesNoCancel);
    EXPECT_EQ(box.title, "HALBERON");
}

TEST_F(PaymentTest, TheRequestCarriesThePaymentAndTheCaseAsRead) {
    const messaging::Request r = request();
    EXPECT_EQ(r.theme, kTheme);
    testing_support::ExpectChangeRequestHeader(r);
    ASSERT_EQ(r.parts.size(), 2u);
    ASSERT_EQ(r.parts[1].name, "ORIGINAL");
    EXPECT_EQ(partValue(r, "ACTION"), Value("PAY"));
    EXPECT_EQ(partValue(r, "CASE_ID"), Value("2020BK0001"));
    for (const char* never : {"TRSTE_PHN_NBR", "TRSTE_NM", "NTFCTN_DT", "CRT_FILE_DT",
                              "CLM_FILE_DT", "CRT_CLSE_DT", "STTS_CD", "ASGN_OFCR_ID"}) {
        EXPECT_TRUE(partValue(r, never).isNull()) << never;
    }
    EXPECT_EQ(partValue(r, "FRCPT_NBR"), Value(receipt));
    EXPECT_EQ(partValue(r, "FUND_AMT"), money(250));
    EXPECT_EQ(partValue(r, "TOT_PYMT_AMT"), money(250));
    EXPECT_EQ(partValue(r, "PYMT_CNT"), Value(1));
    EXPECT_EQ(partValue(r, "LST_PYMT_DT"), Value(messaging::SerialFromQDate(QDate::currentDate())));
    EXPECT_EQ(partValue(r, "LST_RCPT_NBR"), Value(receipt));
    EXPECT_EQ(partValue(r, "LST_PYMT_AMT"), money(250));
    EXPECT_EQ(partValue(r, "LST_FUND_RFRNC_NBR"), Value("CK-1"));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].handledBefore, 0) << "announced before the back end could answer";
    records::Recordset& read = *r.parts[1].rows;
    read.MoveFirst();
    EXPECT_EQ(read.Get("PYMT_CNT"), cases->OriginalValue("PYMT_CNT"));
    EXPECT_TRUE(read.Get("Theme").isNull());
}

TEST_F(PaymentTest, TheCaseRowHoldsThePaymentUnderTheRequestsStamp) {
    cases->MoveFirst();
    EXPECT_EQ(cases->Get("ACTION"), Value("PAY"));
    EXPECT_EQ(cases->Get("Theme"), Value(request().messageKey));
    EXPECT_EQ(cases->Get("PYMT_CNT"), Value(1));
    EXPECT_EQ(cases->Get("LST_RCPT_NBR"), Value(receipt));
    for (const char* cleared : {"FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT"}) {
        EXPECT_TRUE(cases->Get(cleared).isNull()) << cleared;
    }
    EXPECT_NE(cases->Status() & records::status::Modified, 0);
    EXPECT_EQ(cases->GetEditMode(), records::EditMode::None);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->CustomerRecord().PmtReceiptNbr, receipt);
    EXPECT_EQ(statusLine->lastText(), "Paying Bankruptcy Case 2020BK0001 ...");
    // The dialog keeps only the posted receipt; every other number it drew goes back.
    dialog->Unload();
    EXPECT_FALSE(backEnd->pooled("R", receipt));
    EXPECT_EQ(backEnd->draws("R") - backEnd->returns("R"), 1);
    EXPECT_EQ(backEnd->draws("F"), backEnd->returns("F"));
    EXPECT_TRUE(reporter->errors.empty()) << reporter->errors.front();
}

TEST_F(ProcessDialogTest, ADeclinedPaymentLeavesNothingAndTheNextSaveStartsAfresh) {
    CaseRow row;
    row.totalPaid = money(100);
    row.paymentCount = Value(1);
    open(row);
    fillPayment("250");
    for (auto answer : {platform::MsgAnswer::No, platform::MsgAnswer::Cancel}) {
        interaction->queueAnswer(answer);
        clickSave();
        cases->MoveFirst();
        EXPECT_TRUE(cases->Get("ACTION").isNull());
        EXPECT_EQ(cases->Get("TOT_PYMT_AMT"), money(100));
        EXPECT_EQ(cases->GetEditMode(), records::EditMode::None);
        EXPECT_EQ(cases->Status() & records::status::Modified, 0);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->Command(), "PAY");
        EXPECT_EQ(amountBox()->text(), "$250.00");
        EXPECT_EQ(commentBox()->toPlainText(), "Trustee payment");
    }
    interaction->queueAnswer(platform::MsgAnswer::Yes);
    clickSave();
    const messaging::Request r = request();
    EXPECT_EQ(partValue(r, "TOT_PYMT_AMT"), money(350));
    EXPECT_EQ(partValue(r, "PYMT_CNT"), Value(2));
    EXPECT_EQ(partValue(r, "BNKRPTCY_CMMT_TXT"), Value("Trustee payment"));
    EXPECT_EQ(backEnd->count("Handle:"), 1);
}

TEST_F(ProcessDialogTest, WriteOffAndDismissalSendNoPaymentAndNoStatus) {
    struct Command {
        int option;
        const char* word;
        const char* status;
        std::string confirmation;
        const char* progress;
    };
    const Command commands[] = {{1, "WRITEOFF", "W", process_dialog::WriteOffConfirmationText(),
                                 "Writing Off Bankruptcy Case 2020BK0001 ..."},
                                {2, "DISMISS", "D", process_dialog::DismissConfirmationText(),
                                 "Dismissing Bankruptcy Case 2020BK0001 ..."}};
    for (const Command& c : commands) {
        CaseRow row;
        row.closeDate = true;
        row.totalPaid = money(100);
        row.paymentCount = Value(1);
        open(row);
        const int handled = backEnd->count("Handle:");
        choose(c.option);
        type(commentBox(), "Closed by the court");
        interaction->queueAnswer(platform::MsgAnswer::Yes);
        clickSave();
        EXPECT_EQ(lastBoxText(), c.confirmation);
        ASSERT_TRUE(waitUntil([&] { return backEnd->count("Handle:") > handled; }));
        const messaging::Request r = backEnd->lastRequest();
        EXPECT_EQ(partValue(r, "ACTION"), Value(c.word));
        EXPECT_TRUE(partValue(r, "STTS_CD").isNull()) << c.word;
        for (const char* payment :
             {"FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT", "TOT_PYMT_AMT", "PYMT_CNT", "LST_PYMT_DT",
              "LST_RCPT_NBR", "LST_PYMT_AMT", "LST_FUND_RFRNC_NBR"}) {
            EXPECT_TRUE(partValue(r, payment).isNull()) << c.word << " " << payment;
        }
        cases->MoveFirst();
        EXPECT_EQ(cases->Get("STTS_CD"), Value(c.status));
        EXPECT_EQ(cases->Get("TOT_PYMT_AMT"), money(100));
        EXPECT_EQ(statusLine->lastText(), c.progress);
        EXPECT_EQ(dialog->CustomerRecord().PmtReceiptNbr, "");
    }
}

TEST_F(ProcessDialogTest, AReceiptStillHeldIsHandedBackWhenTheNextPaymentIsConfirmed) {
    customer.PmtReceiptNbr = "4242";
    open();
    fillPayment();
    const std::string receipt = label(7).toStdString();
    EXPECT_EQ(backEnd->count("ReturnNumber:R:4242"), 0);
    interaction->queueAnswer(platform::MsgAnswer::Yes);
    clickSave();
    EXPECT_EQ(backEnd->count("ReturnNumber:R:4242"), 1);
    EXPECT_EQ(dialog->CustomerRecord().PmtReceiptNbr, receipt);
}

TEST_F(ProcessDialogTest, CancelWithdrawsTheEditsAndGivesTheNumbersBack) {
    open();
    fillPayment();
    interaction->queueAnswer(platform::MsgAnswer::No);
    clickSave();
    const std::string receipt = label(7).toStdString();
    QTest::mouseClick(dialog->CommandButton(1), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsLoaded());
    cases->MoveFirst();
    EXPECT_TRUE(cases->Get("ACTION").isNull());
    EXPECT_EQ(cases->Get("BNKRPTCY_CMMT_TXT"), Value("Chapter 7 petition filed."));
    EXPECT_EQ(cases->Status() & records::status::Modified, 0);
    EXPECT_EQ(backEnd->count("Handle:"), 0);
    EXPECT_TRUE(backEnd->pooled("R", receipt));
    EXPECT_EQ(backEnd->draws("R"), backEnd->returns("R"));
    EXPECT_EQ(dialog->CustomerRecord(), customer);
}

TEST_F(ProcessDialogTest, AHandlerOfTheCommandEventMayStopIt) {
    open();
    records::RecordsetPtr seen;
    dialog->ApplyPayment = [&](records::RecordsetPtr& rs, bool& Cancel) {
        seen = rs;
        Cancel = true;
    };
    fillPayment();
    clickSave();
    EXPECT_TRUE(seen != nullptr);
    EXPECT_TRUE(interaction->boxes().empty());  // stopped before the confirmation
    cases->MoveFirst();
    EXPECT_TRUE(cases->Get("ACTION").isNull());
    EXPECT_EQ(cases->GetEditMode(), records::EditMode::None);
    EXPECT_TRUE(dialog->isVisible());
}

}  // namespace
}  // namespace process_testing
