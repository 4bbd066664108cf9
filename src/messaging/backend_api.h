#pragma once
// What travels between the screen's common library and the back end, and the back end's
// interface. The back end runs on the transport's worker thread; every call made through one
// transport reaches it in the order it was issued.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/recordset.h"

namespace messaging {

// The application title that every theme begins with, and the theme words.
inline constexpr const char* kAppTitle = "HALBERON.KORVA_Bankruptcy.";
inline constexpr const char* kAppName = "HALBERON";

struct Criterion {
    std::string appName;  // "HALBERON"
    std::string keyName;  // "key:CUST_ID"
    std::string op;       // "="
    std::string value;    // as text
};

struct NamedPart {
    std::string name;  // layout name: "BANKRUPTCY", "ACNTSRCVBL", "NOTIFICATION", "HALBERON"
    records::RecordsetPtr rows;
};

struct Request {
    std::string theme;  // full theme: kAppTitle + word
    std::string senderId;
    std::string version;
    int serviceCode = 0;
    std::string messageKey;
    std::vector<Criterion> criteria;
    std::vector<NamedPart> parts;
};

// An answer: the header part "HALBERON" (field MessageKey) always, data parts when there are
// rows, "NOTIFICATION" rows when the request was refused or failed.
struct Answer {
    std::string theme;
    std::string messageKey;
    std::vector<NamedPart> parts;
};

struct CustomerInfo {
    std::string custId, name, custType, docType;
    std::string mailAddress, mailAddress2, mailCity, mailState, mailZip;
    std::string address2, address2b, city2, state2, zip2;  // the second address set
    std::string phone, refNumber;
};

struct OfficerInfo {
    std::int64_t id = 0;
    std::string name;
};

class BackEnd {
  public:
    virtual ~BackEnd() = default;
    virtual Answer Handle(const Request& request) = 0;

    // Synchronous services of the common library.
    virtual std::string NextNumber(const std::string& senderId, const std::string& kind) = 0;
    virtual void ReturnNumber(const std::string& senderId, const std::string& kind,
                              const std::string& number) = 0;
    virtual bool HasRight(const std::string& senderId, const std::string& right) = 0;
    virtual std::optional<std::int64_t> OfficerOf(const std::string& senderId) = 0;
    virtual std::vector<std::pair<std::string, std::string>> CodeTable(
        const std::string& table) = 0;
    virtual std::vector<OfficerInfo> Officers() = 0;
    // Customers whose number starts with, or whose name contains, the text (letter case ignored).
    virtual std::vector<CustomerInfo> FindCustomers(const std::string& text, int limit) = 0;

    // Customers whose cases or receivables someone else (another program, another connection)
    // changed since the last call on this thread; the first call starts watching and reports
    // nothing. Cheap and never waiting on writers: the transport calls it about once a second
    // on its worker thread. A back end that cannot tell reports nothing.
    virtual std::vector<std::string> ChangedElsewhere() { return {}; }
};

}  // namespace messaging
