// The three inquiries: the customer's open receivables and cases (sent together) and the
// receivables of one case. Each is filed in the outstanding-request table before it is sent.

#include <QPushButton>

#include "document/korva_bankruptcy.h"
#include "messaging/requests.h"
#include "platform/widgets/data_grid.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {
constexpr int kRefresh = 2;
}

void KORVA_Bankruptcy::SendMsgCustInquiry() {
    std::unique_ptr<messaging::RequestMessage> arsRequest;
    std::unique_ptr<messaging::RequestMessage> casesRequest;
    records::Trap(sink(), "KORVA_Bankruptcy.SendMsgCustInquiry", [&] {
        messaging::RequestEntry& arsEntry = mUdtRequests[messaging::kOpenArs];
        messaging::RequestEntry& casesEntry = mUdtRequests[messaging::kCases];
        udtCustomer.CustID = records::Trim(udtCustomer.CustID);
        for (messaging::RequestEntry* entry : {&arsEntry, &casesEntry}) {
            entry->messageKey.clear();
            entry->deadline = 0;
        }
        if (udtCustomer.CustID.empty()) return;

        arsRequest = messaging::BuildOpenArsInquiry(mLib, arsEntry.theme, udtCustomer.CustID);
        arsEntry.messageKey = arsRequest->MessageKey();
        arsEntry.failed = false;
        casesRequest = messaging::BuildCasesInquiry(mLib, casesEntry.theme, udtCustomer.CustID);
        casesEntry.messageKey = casesRequest->MessageKey();
        casesEntry.failed = false;

        // The flags describe this inquiry; they are cleared before any answer of it can come in
        // (events run between the two sends).
        mBlnMsgTimedOut = false;
        mBlnARsTimedOut = false;
        mBlnCasesTimedOut = false;
        mBlnARsLoaded = false;
        mBlnCasesLoaded = false;

        arsRequest->Send();
        mUdtRequests[messaging::kOpenArs].deadline =
            mLib.clock->Now() + messaging::kRequestDeadlineSeconds;
        startTimerForDeadline();
        doEvents();

        casesRequest->Send();
        setBusy(true);
        // A grid whose answer already came in while events ran stays usable.
        if (mUdtRequests[messaging::kOpenArs].deadline != 0)
            ui.mSdgBankruptcy[ars]->setEnabled(false);
        ui.mSdgBankruptcy[FILINGS]->setEnabled(false);
        ui.mCmdBankruptcy[kRefresh]->setEnabled(false);
        mUdtRequests[messaging::kCases].deadline =
            mLib.clock->Now() + messaging::kRequestDeadlineSeconds;
        startTimerForDeadline();

        ValidateCommandButtons();  // the case commands wait for the case answer
        setStatus("Requesting Account & Bankruptcy Info For " + customerDisplayName() + " ...");
    });
    records::IgnoreErrors([&] {
        arsRequest.reset();
        casesRequest.reset();
    });
}

void KORVA_Bankruptcy::SendMsgCaseHistInquiry() {
    std::unique_ptr<messaging::RequestMessage> request;
    records::Trap(sink(), "KORVA_Bankruptcy.SendMsgCaseHistInquiry", [&] {
        messaging::RequestEntry& entry = mUdtRequests[messaging::kCaseArs];
        udtCustomer.CustID = records::Trim(udtCustomer.CustID);
        udtCustomer.CaseID = records::Trim(udtCustomer.CaseID);
        entry.messageKey.clear();
        entry.deadline = 0;
        if (udtCustomer.CustID.empty()) return;

        request = messaging::BuildCaseArsInquiry(mLib, entry.theme, udtCustomer.CustID,
                                                 udtCustomer.CaseID);
        entry.messageKey = request->MessageKey();
        entry.failed = false;
        request->Send();
        setBusy(true);
        entry.deadline = mLib.clock->Now() + messaging::kRequestDeadlineSeconds;
        startTimerForDeadline();
        mBlnMsgTimedOut = false;
        setStatus("Requesting Accounts for Bankruptcy Case " + udtCustomer.CaseID + " ...");
    });
    records::IgnoreErrors([&] { request.reset(); });
}
