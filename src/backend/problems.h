#pragma once
// What a refused request tells the sender: one notification row per problem.

#include <string>
#include <utility>
#include <vector>

#include "messaging/answer_parts.h"

namespace backend {

// Completion codes of the notification rows.
namespace code {
inline constexpr const char* BadTheme = "BADTHEME";
inline constexpr const char* BadService = "BADSERVICE";
inline constexpr const char* BadCriteria = "BADCRITERIA";
inline constexpr const char* BadPart = "BADPART";
inline constexpr const char* NoUser = "NOUSER";
inline constexpr const char* NoRight = "NORIGHT";
inline constexpr const char* BadCustomer = "BADCUSTOMER";
inline constexpr const char* NoCustomer = "NOCUSTOMER";
inline constexpr const char* NoCase = "NOCASE";
inline constexpr const char* DupCase = "DUPCASE";
inline constexpr const char* NotOpen = "NOTOPEN";
inline constexpr const char* BadValue = "BADVALUE";
inline constexpr const char* Missing = "MISSING";
inline constexpr const char* TooLong = "TOOLONG";
inline constexpr const char* BadDate = "BADDATE";
inline constexpr const char* DateFixed = "DATEFIXED";
inline constexpr const char* NoOfficer = "NOOFFICER";
inline constexpr const char* NoReceivable = "NOAR";
inline constexpr const char* OtherCustomer = "OTHERCUSTOMER";
inline constexpr const char* Tied = "ARTIED";
inline constexpr const char* NotOpenReceivable = "ARNOTOPEN";
inline constexpr const char* IssuedLate = "ARDATE";
inline constexpr const char* BadTotal = "BADTOTAL";
inline constexpr const char* BadAction = "BADACTION";
inline constexpr const char* BadPayment = "BADPAYMENT";
inline constexpr const char* BadReceipt = "BADRECEIPT";
inline constexpr const char* ReceiptUsed = "RECEIPTUSED";
inline constexpr const char* Stale = "STALE";
inline constexpr const char* Failed = "FAILED";
}  // namespace code

using Problem = messaging::Notification;

// Thrown when a request is refused; the transaction rolls back on the way out.
struct Refused {
    std::vector<Problem> problems;
};

class Problems {
  public:
    void add(std::string code, std::string message, std::string location = {},
             std::string note = {}) {
        list_.push_back(
            {std::move(code), std::move(message), std::move(location), std::move(note)});
    }
    bool empty() const { return list_.empty(); }
    std::size_t size() const { return list_.size(); }
    void throwIfAny() const {
        if (!list_.empty()) throw Refused{list_};
    }
    [[noreturn]] void throwNow(std::string code, std::string message, std::string location = {},
                               std::string note = {}) {
        add(std::move(code), std::move(message), std::move(location), std::move(note));
        throw Refused{list_};
    }

  private:
    std::vector<Problem> list_;
};

}  // namespace backend
