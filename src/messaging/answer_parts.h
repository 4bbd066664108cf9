#pragma once
// The parts every answer may carry, built alike by the back end and by the transport (for an
// answer that lacks them): the header ("HALBERON") and the notification rows. Texts are cut to
// their field's size in characters, never inside a UTF-8 sequence.

#include <string>
#include <vector>

#include "messaging/backend_api.h"

namespace messaging {

// One notification row: why a request was refused or failed.
struct Notification {
    std::string code;      // COMPLETION_CD
    std::string message;   // COMPLETION_MSG
    std::string location;  // LOCATION
    std::string note;      // NOTE; "" leaves it Null
};

// The header of the answer with this message key and theme to the request (sender, version and
// service code), answered now.
records::RecordsetPtr HeaderPart(const Request& request, const std::string& messageKey,
                                 const std::string& theme);
inline records::RecordsetPtr HeaderPart(const Request& request) {
    return HeaderPart(request, request.messageKey, request.theme);
}

records::RecordsetPtr NotificationPart(const std::vector<Notification>& rows);

}  // namespace messaging
