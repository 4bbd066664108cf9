// The "ADDUPDATE" request: the case as one "BANKRUPTCY" record and, for a new case, one
// "ACCOUNT" record per receivable it takes over.

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "messaging/case_as_read.h"
#include "messaging/outstanding_requests.h"
#include "messaging/requests.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace {

constexpr int kServiceCode = 17;

// Every field holding the empty text (after trimming, when asked) travels as Null.
void nullEmptyTexts(records::Recordset& row, bool trimmed) {
    for (int f = 0; f < row.FieldCount(); ++f) {
        const records::Value v = row.Get(f);
        const bool empty = trimmed ? records::Trim(records::TextOf(v)).empty()
                                   : (v.type() == records::Value::Type::Text && v.text().empty());
        if (empty && !v.isNull()) row.Set(f, records::Value::Null());
    }
}

}  // namespace

void frmBankruptcyAddUpdate::SendMsgAddUpdateBankruptcy() {
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.SendMsgAddUpdateBankruptcy", [&] {
        std::unique_ptr<messaging::RequestMessage> request = mLib.messageService->NewRequest();
        request->SetTheme(std::string(messaging::kAppTitle) +
                          messaging::OutstandingRequests::Word(messaging::kAddUpdate));
        request->SetSenderId(mLib.userContext->GetSenderId());
        request->SetVersion(messaging::kComponentVersion);
        request->SetServiceCode(kServiceCode);
        request->AddCriterion(messaging::MakeCriterion("key:thin", "Yes"));
        mStrSentKey = request->MessageKey();
        LoadBankruptcyDTD(*request);
        LoadAcctRcvblDTD(*request);
        // An update carries the case as read, so the back end can refuse it when another user
        // changed the case since; without it the update would still be applied.
        if (mStrMode == "UPD") {
            records::Trap(sink(), "KORVA_BankruptcyCaseAdd.SendMsgAddUpdateBankruptcy",
                          [&] { messaging::AddCaseAsRead(mLib, *request, *mRecordset); });
        }
        // The owner files the request before it leaves, so an answer never finds it unknown.
        emit SentMessage(request->Theme(), request->MessageKey());
        request->Send();
        if (mStrMode == "ADD") {
            mLib.statusLine->SetStatus("Adding Bankruptcy Case " + mCustomerRecord.CaseID + " ...");
        } else if (mStrMode == "UPD") {
            mLib.statusLine->SetStatus("Updating Bankruptcy Case " + mCustomerRecord.CaseID +
                                       " ...");
        }
    });
}

void frmBankruptcyAddUpdate::LoadBankruptcyDTD(messaging::RequestMessage& request) {
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.LoadBankruptcyDTD", [&] {
        const messaging::DTDPtr dtd = mLib.messageService->NewDTD();
        dtd->SetDTDName(std::string(records::kLayoutBankruptcy));
        dtd->Recordset()->SetLockType(records::LockType::BatchOptimistic);
        dtd->OpenRecordset();
        dtd->AddRow();
        const records::RecordsetPtr out = dtd->Recordset();
        const records::Recordset& row = *mRecordset;

        out->Set("ACTION", records::Value(mStrMode));
        for (const char* field :
             {"CUST_ID", "CASE_ID", "STTS_CD", "TRSTE_PHN_NBR", "TRSTE_NM", "BNKRPTCY_CMMT_TXT"}) {
            out->Set(field, records::Value(records::Trim(records::TextOf(row.Get(field)))));
        }
        for (const char* field :
             {"NTFCTN_DT", "CRT_FILE_DT", "CLM_FILE_DT", "CRT_CLSE_DT", "ASGN_OFCR_ID"}) {
            out->Set(field, row.Get(field));
        }
        // Payment data never travels with an add or update.
        for (const char* field :
             {"FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT", "TOT_PYMT_AMT", "PYMT_CNT", "LST_PYMT_DT",
              "LST_RCPT_NBR", "LST_PYMT_AMT", "LST_FUND_RFRNC_NBR"}) {
            out->Set(field, records::Value::Null());
        }
        if (mStrMode == "ADD") out->Set("TOT_BAL_DUE_AMT", row.Get("TOT_BAL_DUE_AMT"));

        const records::Value officer = out->Get("ASGN_OFCR_ID");
        if (!officer.isNothing() && records::IsNumeric(officer) && records::CDbl(officer) == 0)
            out->Set("ASGN_OFCR_ID", records::Value::Null());
        nullEmptyTexts(*out, false);
        out->Update();

        // The stamp goes into the shared case row at once, before the request is announced.
        mRecordset->Set("Theme", records::Value(request.MessageKey()));
        mRecordset->Update();

        request.AddPart(std::string(records::kLayoutBankruptcy), dtd);
    });
}

void frmBankruptcyAddUpdate::LoadAcctRcvblDTD(messaging::RequestMessage& request) {
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.LoadAcctRcvblDTD", [&] {
        const records::RecordsetPtr ars = mRecordsetAR;
        if (!ars || !ars->IsOpen() || ars->RecordCount() < 1) return;
        const messaging::DTDPtr dtd = mLib.messageService->NewDTD();
        dtd->SetDTDName(std::string(records::kLayoutAccntRecv));
        dtd->Recordset()->SetLockType(records::LockType::BatchOptimistic);
        dtd->OpenRecordset();
        ars->MoveFirst();
        while (!ars->IsEOF()) {
            dtd->AddRow();
            const records::RecordsetPtr out = dtd->Recordset();
            out->Set("ACTION", records::Value("UPD"));
            out->Set("Cust_ID", records::Value::Null());
            out->Set("TRNSCTN_DT", records::Value::Null());
            out->Set("TRNSCTN_NBR", records::Value::Null());
            for (const char* field : {"ACCT_RCVBL_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_TYP_CD"})
                out->Set(field, ars->Get(field));
            nullEmptyTexts(*out, true);
            ars->MoveNext();
        }
        dtd->FinishRows();
        request.AddPart("ACCOUNT", dtd);
    });
}
