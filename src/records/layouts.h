#pragma once
// The record layouts, defined once: field names, types and sizes of every named layout that
// travels between the screen and the back end.

#include <string>
#include <string_view>
#include <vector>

#include "records/recordset.h"

namespace records {

inline constexpr std::string_view kLayoutBankruptcy = "BANKRUPTCY";
inline constexpr std::string_view kLayoutAccntRecv = "ACNTSRCVBL";
inline constexpr std::string_view kLayoutNotification = "NOTIFICATION";
inline constexpr std::string_view kLayoutHeader = "HALBERON";
// The history of one case, newest change first (answer of the case-history inquiry).
inline constexpr std::string_view kLayoutCaseHistory = "CASEHISTORY";

struct Layout {
    std::string name;
    std::vector<FieldDef> fields;
};

// The layout of that name (letter case ignored), or nullptr.
const Layout* FindLayout(std::string_view name);
// All layout names, in name order.
std::vector<std::string> LayoutNames();
// A new open record set with the layout's fields and no rows; error 3265 for an unknown layout.
RecordsetPtr OpenLayoutRecordset(std::string_view name);

// The layout-name query of the data-source control: given in place of a layout name, it lists
// the layout names (field "Name") in name order.
std::string LayoutNameQuery();
// True for the query whatever its spacing and letter case.
bool IsLayoutNameQuery(std::string_view text);
// Gives a closed record set the layout's fields (or the query's one field and its rows) and
// opens it; error 3265 for an unknown layout.
void OpenLayoutInto(Recordset& rs, std::string_view nameOrQuery);

}  // namespace records
