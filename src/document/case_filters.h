#pragma once
// Filters over the document's record sets that find the rows of the shown customer and of its
// current case. The numbers are quoted with their apostrophes doubled, so that a number cannot
// end the quoted text.

#include <string>

#include "messaging/customer_record.h"

namespace document {

// "[Cust_ID]='…'"
std::string CustomerRowsFilter(const messaging::CustomerRecord& customer);
// "[Cust_ID]='…' AND [Case_ID]='…'"
std::string CaseRowsFilter(const messaging::CustomerRecord& customer);

}  // namespace document
