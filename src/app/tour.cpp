#include "app/tour.h"

namespace app {

QString tourScript() {
    return QStringLiteral(
        R"(# The tour: customer 1002 of the demo data, both tabs, sorting and selecting.
screenshot 01-start
select-customer 1002
wait-status "Displaying Account & Bankruptcy Info For " 30
tab 1
screenshot 02-receivables
grid-select mSdgBankruptcy(0) 0 2
click mOptBankruptcy(2)
screenshot 03-sorted-by-issue-date
type mTxtBankruptcy 101
leave mTxtBankruptcy
expect-enabled mCmdBankruptcy(0) true
screenshot 04-officer-and-selection
tab 2
screenshot 05-cases
grid-click mSdgBankruptcy(1) 0
expect-enabled mCmdBankruptcy(1) true
screenshot 06-case-selected
tab 0
screenshot 07-customer
)");
}

}  // namespace app
