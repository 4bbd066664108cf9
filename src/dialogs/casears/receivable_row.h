#pragma once
// The display texts of a receivable row, shared by every grid that lists receivables (the main
// screen's AR grid and the case-receivables dialog). Each part is its own call, so a caller can
// run them in its own order under its own error handling.

namespace messaging {
class GlobalServices;
}

namespace platform {
class RowValues;
}

namespace dialogs {

// "Issue Date" as a short date.
void FormatIssueDate(platform::RowValues& row);
// "AcctRcvblNumber": the number zero-filled to 7 digits, "-", the check number; empty without a
// number.
void FormatReceivableNumber(platform::RowValues& row);
// "AcctRcvblType": the description of ACCT_RCVBL_TYP_CD in code table "REFDOCTYP".
void FormatReceivableType(platform::RowValues& row, messaging::GlobalServices& services);
// "Status": the description of ACCT_STTS_CD in code table "CSTATUS".
void FormatReceivableStatus(platform::RowValues& row, messaging::GlobalServices& services);

}  // namespace dialogs
