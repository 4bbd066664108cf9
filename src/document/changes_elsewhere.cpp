// Changes that other users make to the shown customer's data: told on the status line, never
// loaded behind the user's back (Refresh shows them).

#include "document/korva_bankruptcy.h"
#include "records/errors.h"
#include "records/value_rules.h"

void KORVA_Bankruptcy::mVrexMessage_ChangedElsewhere(const std::string& custId) {
    records::Trap(sink(), "KORVA_Bankruptcy.mVrexMessage_ChangedElsewhere", [&] {
        const std::string shown = records::Trim(udtCustomer.CustID);
        if (shown.empty() || shown != records::Trim(custId)) return;
        mBlnChangedElsewhere = true;
        announceChangesElsewhere();
    });
}

void KORVA_Bankruptcy::announceChangesElsewhere() {
    // While a request for the customer waits, its answer comes first: an inquiry's answer may
    // already show the change, and the status line is busy with the request.
    if (!mBlnChangedElsewhere || !IsIdle()) return;
    mBlnChangedElsewhere = false;
    setStatus("Another user changed the bankruptcy data of " + customerDisplayName() +
              ". Press Refresh to see it.");
}
