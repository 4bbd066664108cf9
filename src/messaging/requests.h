#pragma once
// Building the requests the screen sends, and reading the notification part of an answer.

#include <memory>
#include <string>

#include "messaging/common_library.h"

namespace messaging {

// Major and minor version of this component, joined by ".".
inline constexpr const char* kComponentVersion = "1.0";

// Service code of a request kind (outstanding_requests.h).
int ServiceCodeOf(int kind);

// A criterion with application name "HALBERON" and operator "=".
RequestCriterion MakeCriterion(const std::string& keyName, const std::string& value);

// A new request with its theme, sender, version and service code set.
std::unique_ptr<RequestMessage> NewRequest(CommonLibrary& lib, const std::string& theme,
                                           int serviceCode);

// The inquiries (criteria in their fixed order).
std::unique_ptr<RequestMessage> BuildOpenArsInquiry(CommonLibrary& lib, const std::string& theme,
                                                    const std::string& custId);
std::unique_ptr<RequestMessage> BuildCasesInquiry(CommonLibrary& lib, const std::string& theme,
                                                  const std::string& custId);
std::unique_ptr<RequestMessage> BuildCaseArsInquiry(CommonLibrary& lib, const std::string& theme,
                                                    const std::string& custId,
                                                    const std::string& caseId);
// The history of one case: the customer and the case number.
std::unique_ptr<RequestMessage> BuildCaseHistoryInquiry(CommonLibrary& lib,
                                                        const std::string& theme,
                                                        const std::string& custId,
                                                        const std::string& caseId);

// The text of a notification part: for each of at most three rows, two line breaks, code, ": ",
// message, a line break, "Location: ", location, a line break and the note; each row's text so
// far is logged with its code. failed is set when any row was read.
struct NotificationReport {
    std::string text;
    bool failed = false;
};
NotificationReport CollectNotification(const records::RecordsetPtr& rows, ErrorReporter* reporter);

// The failure box text for a request kind's description.
std::string NotificationBoxText(const std::string& description, const std::string& collected);

}  // namespace messaging
