#include "document/case_filters.h"

namespace document {
namespace {

std::string quoted(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

}  // namespace

std::string CustomerRowsFilter(const messaging::CustomerRecord& customer) {
    return "[Cust_ID]=" + quoted(customer.CustID);
}

std::string CaseRowsFilter(const messaging::CustomerRecord& customer) {
    return CustomerRowsFilter(customer) + " AND [Case_ID]=" + quoted(customer.CaseID);
}

}  // namespace document
