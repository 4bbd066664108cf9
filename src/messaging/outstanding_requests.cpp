#include "messaging/outstanding_requests.h"

#include <algorithm>

namespace messaging {
namespace {

struct KindText {
    const char* word;
    const char* description;
    const char* timeoutText;
};

constexpr std::array<KindText, kRequestKinds> kKinds = {{
    {"CASES", "Bankruptcy Case Inquiry", "Bankruptcy Inquiry Message failed to respond."},
    {"OPENARS", "Open & Payable AR Inquiry", "Account Inquiry Message failed to respond."},
    {"CASEARS", "Bankruptcy Case AR Inquiry",
     "Bankruptcy Case Account Inquiry Message failed to respond."},
    {"ADDUPDATE", "Add / Update Bankruptcy Case",
     "Add/Update Bankruptcy Message failed to respond."},
    {"PROCESS", "Process Bankruptcy Case", "Process Bankruptcy Message failed to respond."},
    {"CASEHIST", "Bankruptcy Case History Inquiry",
     "Bankruptcy Case History Inquiry Message failed to respond."},
}};

constexpr std::array<int, kRequestKinds> kDispatchOrder = {kAddUpdate, kProcess, kCaseArs,
                                                           kOpenArs,   kCases,   kCaseHist};
constexpr std::array<int, kRequestKinds> kSweepOrder = {kCases,   kOpenArs, kAddUpdate,
                                                        kCaseArs, kProcess, kCaseHist};

bool Due(double deadline, double now) {
    return deadline != 0 && deadline <= now;
}

}  // namespace

OutstandingRequests OutstandingRequests::Initial(const std::string& appTitle) {
    OutstandingRequests table;
    for (int k = 0; k < kRequestKinds; ++k) {
        RequestEntry& e = table.entries_[k];
        e.theme = appTitle + kKinds[k].word;
        e.description = kKinds[k].description;
        e.timeoutText = kKinds[k].timeoutText;
    }
    return table;
}

const char* OutstandingRequests::Word(int kind) {
    return kKinds.at(kind).word;
}

int OutstandingRequests::MatchTheme(const std::string& theme) const {
    for (int k : kDispatchOrder) {
        if (entries_[k].theme == theme) return k;
    }
    return -1;
}

void OutstandingRequests::FileSentRequest(int kind, const std::string& theme,
                                          const std::string& key, double now) {
    RequestEntry& e = entries_.at(kind);
    if (e.deadline != 0 && !e.messageKey.empty() && e.messageKey != key) {
        watched_.push_back({kind, e.theme, e.messageKey, e.deadline});
    }
    e.theme = theme;
    e.messageKey = key;
    e.failed = false;
    e.deadline = now + kRequestDeadlineSeconds;
}

bool OutstandingRequests::AnswerWatched(int kind, const std::string& key) {
    auto it = std::find_if(watched_.begin(), watched_.end(), [&](const WatchedRequest& w) {
        return w.kind == kind && w.messageKey == key;
    });
    if (it == watched_.end()) return false;
    watched_.erase(it);
    return true;
}

bool OutstandingRequests::AnyPending() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const RequestEntry& e) { return e.deadline > 0; }) ||
           !watched_.empty();
}

std::vector<int> OutstandingRequests::TakeExpired(double now) {
    std::vector<int> expired;
    for (int k : kSweepOrder) {
        if (Due(entries_[k].deadline, now)) {
            entries_[k].deadline = 0;
            expired.push_back(k);
        }
    }
    return expired;
}

std::vector<WatchedRequest> OutstandingRequests::TakeExpiredWatched(double now) {
    std::vector<WatchedRequest> expired;
    auto keep =
        std::stable_partition(watched_.begin(), watched_.end(),
                              [&](const WatchedRequest& w) { return !Due(w.deadline, now); });
    expired.assign(keep, watched_.end());
    watched_.erase(keep, watched_.end());
    return expired;
}

std::string TimeoutMessageText(const std::string& collectedLines) {
    return "The system has not responded to your request(s).  \r\n\r\n" + collectedLines +
           "\r\nYour request(s) will be processed as soon as possible.";
}

}  // namespace messaging
