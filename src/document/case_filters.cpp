#include "document/case_filters.h"

#include "records/text_util.h"

namespace document {

std::string CustomerRowsFilter(const messaging::CustomerRecord& customer) {
    return "[Cust_ID]='" + records::FilterText(customer.CustID) + "'";
}

std::string CaseRowsFilter(const messaging::CustomerRecord& customer) {
    return CustomerRowsFilter(customer) + " AND [Case_ID]='" +
           records::FilterText(customer.CaseID) + "'";
}

}  // namespace document
