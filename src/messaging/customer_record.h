#pragma once
// The selected customer and current case, as the document keeps it and the dialogs exchange it.

#include <string>

namespace messaging {

struct CustomerRecord {
    std::string CustID;
    std::string CustName;
    std::string CustType;
    std::string MailAddress;
    std::string MailAddress2;
    std::string MailCity;
    std::string MailState;
    std::string MailZip;
    std::string Phone;
    std::string DocType;
    std::string RefNumber;
    std::string CaseID;
    std::string AsgnOfficerID;
    std::string CaseStatus;
    std::string PmtReceiptNbr;
    bool IsBankruptcyManager = false;

    bool operator==(const CustomerRecord&) const = default;
};

}  // namespace messaging
