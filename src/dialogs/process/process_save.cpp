// "Save" and "Cancel" of the process dialog: the command is staged in the case row, confirmed by
// the user, and sent to the back end as a "PROCESS" request.

#include <array>

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "dialogs/process/frm_bankruptcy_process.h"
#include "dialogs/process/process_texts.h"
#include "messaging/case_as_read.h"
#include "messaging/date_serials.h"
#include "messaging/requests.h"
#include "platform/binding/binding_collection.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace {

constexpr int kSave = 0, kCancel = 1;
constexpr int kProcessServiceCode = 17;

// The payment fields a confirmed payment leaves empty in the row.
constexpr std::array<const char*, 3> kPaymentEntries = {"FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT"};
constexpr std::array<const char*, 3> kPaymentBindings = {"PmtReceiptNbr", "PmtAmt", "PmtCheckNbr"};

void cancelPendingEdit(const records::RecordsetPtr& rs) {
    if (rs && rs->IsOpen() && rs->GetEditMode() != records::EditMode::None) rs->CancelUpdate();
}

}  // namespace

void frmBankruptcyProcess::reject() {
    mCmdDischarge_Click(kCancel);
}

void frmBankruptcyProcess::mCmdDischarge_Click(int Index) {
    const char* source = "KORVA_BankruptcyProcess.mCmdDischarge_Click";
    if (Index == kCancel) {
        records::Trap(sink(), source, [&] { cancelPendingEdit(mRs); });
        Unload();
        return;
    }
    if (Index != kSave) return;

    bool confirmed = false;
    const bool done = records::Trap(sink(), source, [&] {
        // 1. The command of the selected option.
        if (SSRibbonCmdz[kPay]->isChecked()) {
            mStrCommand = "PAY";
            GetReceiptNumber();
        } else if (SSRibbonCmdz[kWriteOff]->isChecked()) {
            mStrCommand = "WRITEOFF";
        } else if (SSRibbonCmdz[kDismiss]->isChecked()) {
            mStrCommand = "DISMISS";
        } else {
            mStrCommand.clear();
            return;
        }
        // 2. The checks; their message has been shown.
        if (!ValidateChanges(true)) return;

        // 3. Only a payment writes the payment boxes into the row.
        const bool pay = mStrCommand == "PAY";
        if (pay) GetReceiptNumber();
        for (const char* key : kPaymentBindings) {
            oDbBind->Item(QString::fromLatin1(key))->SetDataChanged(pay);
        }
        // 4. and 5. The command into the row, then the edited controls.
        mRs->Set("ACTION", records::Value(mStrCommand));
        if (mStrCommand == "WRITEOFF") mRs->Set("STTS_CD", records::Value("W"));
        if (mStrCommand == "DISMISS") mRs->Set("STTS_CD", records::Value("D"));
        oDbBind->MoveZero();

        // 6. The running totals of a payment.
        if (pay) {
            if (!records::IsNumeric(mRs->Get("TOT_PYMT_AMT"))) {
                mRs->Set("TOT_PYMT_AMT", records::Value(records::Currency{}));
            }
            const records::Value amount = mRs->Get("FUND_AMT");
            if (records::IsNumeric(amount)) {
                mRs->Set("TOT_PYMT_AMT",
                         records::Value(records::AddCurrency(
                             records::CCur(mRs->Get("TOT_PYMT_AMT")), records::CCur(amount))));
            }
            const records::Value count = mRs->Get("PYMT_CNT");
            mRs->Set("PYMT_CNT", records::IsNumeric(count)
                                     ? records::Value(records::CLng(count) + 1)
                                     : records::Value(1));
            mRs->Set("LST_PYMT_DT",
                     records::Value(messaging::SerialFromQDate(QDate::currentDate())));
            mRs->Set("LST_RCPT_NBR", mRs->Get("FRCPT_NBR"));
            mRs->Set("LST_PYMT_AMT", amount);
            mRs->Set("LST_FUND_RFRNC_NBR", mRs->Get("FUND_RFRNC_NBR"));
        }

        // 7. The owner may still stop the command.
        bool Cancel = records::TextOf(mRs->Get("CASE_ID")).empty();
        if (!Cancel) {
            if (SSRibbonCmdz[kPay]->isChecked()) {
                if (ApplyPayment) ApplyPayment(mRs, Cancel);
            } else if (SSRibbonCmdz[kDismiss]->isChecked()) {
                if (DismissBankruptcy) DismissBankruptcy(mRs, Cancel);
            } else if (SSRibbonCmdz[kWriteOff]->isChecked()) {
                if (WriteOffBankruptcy) WriteOffBankruptcy(mRs, Cancel);
            } else {
                Cancel = true;
            }
        }

        // 8. The user confirms.
        platform::MsgAnswer answer = platform::MsgAnswer::No;
        if (!Cancel) {
            std::string text;
            if (SSRibbonCmdz[kPay]->isChecked()) {
                text = process_dialog::PaymentConfirmationText(
                    records::Trim(mLblDataDischarge[7]->text().toStdString()),
                    process_dialog::CurrencyForm(BoxText(kAmount).toStdString()),
                    records::Trim(BoxText(kCheck).toStdString()));
            } else if (SSRibbonCmdz[kDismiss]->isChecked()) {
                text = process_dialog::DismissConfirmationText();
            } else {
                text = process_dialog::WriteOffConfirmationText();
            }
            answer = mInteraction->MsgBox(text, platform::MsgButtons::YesNoCancel,
                                          platform::MsgIcon::Question,
                                          mLib.globalServices->GetMessageTitle());
            if (answer == platform::MsgAnswer::Cancel) Cancel = true;
        }
        // 9. Declined: everything this attempt wrote into the row is withdrawn.
        if (Cancel || answer != platform::MsgAnswer::Yes) {
            cancelPendingEdit(mRs);
            return;
        }

        // 10. Confirmed.
        confirmed = true;
        udtCustomer.CaseID = records::TextOf(mRs->Get("CASE_ID"));
        if (pay) {
            if (!udtCustomer.PmtReceiptNbr.empty()) {
                mLib.globalServices->ReturnReceiptNumber(udtCustomer.PmtReceiptNbr, "R");
                udtCustomer.PmtReceiptNbr.clear();
            }
            udtCustomer.PmtReceiptNbr = records::TextOf(mRs->Get("FRCPT_NBR"));
            // The receipt now belongs to the payment: it is no longer ours to give back.
            if (udtCustomer.PmtReceiptNbr == mStrDrawnReceipt) mStrDrawnReceipt.clear();
        }
        mBlnSent = false;
        SendMsgProcessBankruptcy();
        QDialog::done(QDialog::Accepted);

        mLblDataDischarge[7]->clear();
        mTxtCheck->clear();
        mTxtAmount->clear();
        if (!mBlnSent) {
            // Nothing went out that could settle the row: it goes back to what it was.
            cancelPendingEdit(mRs);
            if (mRs->IsBatchOptimistic() && mRs->Get("Theme").isNothing())
                mRs->CancelBatch(records::Affect::Current);
        } else {
            for (const char* field : kPaymentEntries) mRs->Set(field, records::Value::Null());
            mRs->Update();
        }
        for (const char* key : kPaymentBindings) {
            oDbBind->Item(QString::fromLatin1(key))->SetDataChanged(false);
        }
        mStrCommand.clear();
    });
    if (!done && !confirmed) records::IgnoreErrors([&] { cancelPendingEdit(mRs); });
}

void frmBankruptcyProcess::SendMsgProcessBankruptcy() {
    records::Trap(sink(), "KORVA_BankruptcyProcess.SendMsgProcessBankruptcy", [&] {
        auto request = messaging::NewRequest(mLib, std::string(messaging::kAppTitle) + "PROCESS",
                                             kProcessServiceCode);
        request->AddCriterion(messaging::MakeCriterion("key:thin", "Yes"));
        LoadBankruptcyDTD(*request);
        // The case as read: the back end refuses the command when another user changed it since.
        records::Trap(sink(), "KORVA_BankruptcyProcess.SendMsgProcessBankruptcy",
                      [&] { messaging::AddCaseAsRead(mLib, *request, *mRs); });
        emit SentMessage(request->Theme(), request->MessageKey());
        request->Send();
        mBlnSent = true;
        const std::string caseId = udtCustomer.CaseID;
        if (mStrCommand == "PAY") {
            setStatus("Paying Bankruptcy Case " + caseId + " ...");
        } else if (mStrCommand == "WRITEOFF") {
            setStatus("Writing Off Bankruptcy Case " + caseId + " ...");
        } else if (mStrCommand == "DISMISS") {
            setStatus("Dismissing Bankruptcy Case " + caseId + " ...");
        }
    });
}

void frmBankruptcyProcess::LoadBankruptcyDTD(messaging::RequestMessage& request) {
    records::Trap(sink(), "KORVA_BankruptcyProcess.LoadBankruptcyDTD", [&] {
        messaging::DTDPtr dtd = mLib.messageService->NewDTD();
        dtd->SetDTDName(std::string(records::kLayoutBankruptcy));
        dtd->Recordset()->SetLockType(records::LockType::BatchOptimistic);
        dtd->OpenRecordset();
        dtd->AddRow();
        const records::RecordsetPtr out = dtd->Recordset();

        out->Set("ACTION", records::Value(mStrCommand));
        const bool pay = mStrCommand == "PAY";
        for (const char* field : {"CUST_ID", "CASE_ID", "BNKRPTCY_CMMT_TXT"}) {
            out->Set(field, records::Value(records::Trim(records::TextOf(mRs->Get(field)))));
        }
        // The trustee, the dates and the status never travel with a command.
        for (const char* field : {"TRSTE_PHN_NBR", "TRSTE_NM", "NTFCTN_DT", "CRT_FILE_DT",
                                  "CLM_FILE_DT", "CRT_CLSE_DT", "STTS_CD"}) {
            out->Set(field, records::Value::Null());
        }
        for (const char* field :
             {"FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT", "TOT_PYMT_AMT", "PYMT_CNT", "LST_PYMT_DT",
              "LST_RCPT_NBR", "LST_PYMT_AMT", "LST_FUND_RFRNC_NBR"}) {
            out->Set(field, pay ? mRs->Get(field) : records::Value::Null());
        }
        if (pay) {
            // The payment as the dialog shows it.
            out->Set("FRCPT_NBR",
                     records::Value(records::Trim(mLblDataDischarge[7]->text().toStdString())));
            out->Set("FUND_RFRNC_NBR",
                     records::Value(records::Trim(BoxText(kCheck).toStdString())));
            out->Set("FUND_AMT", records::Value(records::Trim(BoxText(kAmount).toStdString())));
        }
        out->Set("ASGN_OFCR_ID", records::Value::Null());
        const records::Value emptyText{std::string()};
        for (int f = 0; f < out->FieldCount(); ++f) {
            if (out->Get(f) == emptyText) out->Set(f, records::Value::Null());
        }
        // The stamp by which the document finds the row this request staged; the row is staged
        // now, so a declined command is the only thing CancelUpdate can still withdraw.
        mRs->Set("Theme", records::Value(request.MessageKey()));
        mRs->Update();
        dtd->FinishRows();
        request.AddPart(std::string(records::kLayoutBankruptcy), dtd);
    });
}
