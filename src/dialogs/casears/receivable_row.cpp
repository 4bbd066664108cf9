#include "dialogs/casears/receivable_row.h"

#include <string>

#include "messaging/common_library.h"
#include "platform/binding/display_formats.h"
#include "platform/widgets/row_values.h"
#include "records/value_rules.h"

namespace dialogs {
namespace {

std::string textOf(const platform::RowValues& row, const char* column) {
    return records::TextOf(row.Get(column));
}

}  // namespace

void FormatIssueDate(platform::RowValues& row) {
    row.Set("Issue Date",
            records::Value(platform::formatShortDate(row.Get("Issue Date")).toStdString()));
}

void FormatReceivableNumber(platform::RowValues& row) {
    std::string n = records::Trim(textOf(row, "ACCT_RCVBL_NBR"));
    if (n.empty()) {
        row.Set("AcctRcvblNumber", records::Value(std::string()));
        return;
    }
    if (n.size() < 7) n = ("00000000" + n).substr(n.size() + 1);  // the last 7 characters
    row.Set("AcctRcvblNumber",
            records::Value(n + "-" + records::Trim(textOf(row, "ACCT_RCVBL_CK_NBR"))));
}

void FormatReceivableType(platform::RowValues& row, messaging::GlobalServices& services) {
    row.Set("AcctRcvblType", records::Value(services.GetCodeDescription(
                                 "REFDOCTYP", textOf(row, "ACCT_RCVBL_TYP_CD"))));
}

void FormatReceivableStatus(platform::RowValues& row, messaging::GlobalServices& services) {
    row.Set("Status",
            records::Value(services.GetCodeDescription("CSTATUS", textOf(row, "ACCT_STTS_CD"))));
}

}  // namespace dialogs
