#pragma once
// The outstanding-request table: per request kind the request waited for and until when.
// Widget-free; the document acts on what the sweep reports.

#include <array>
#include <string>
#include <vector>

namespace messaging {

// Entry indexes, in table order.
enum RequestKind : int {
    kCases = 0,
    kOpenArs = 1,
    kCaseArs = 2,
    kAddUpdate = 3,
    kProcess = 4,
    kCaseHist = 5,  // the history of one case
};
inline constexpr int kRequestKinds = 6;
inline constexpr double kRequestDeadlineSeconds = 60.0;
inline constexpr const char* kNoMessage = "NOMSG";

struct RequestEntry {
    std::string theme;
    std::string messageKey = kNoMessage;
    double deadline = 0;  // clock seconds; 0 = nothing waited for
    bool failed = false;
    std::string description;
    std::string timeoutText;
};

// An earlier add/update or process request that is still unanswered after a newer one of its
// kind was sent: still watched, so its staged rows are rolled back if it never answers.
struct WatchedRequest {
    int kind = kAddUpdate;
    std::string theme;
    std::string messageKey;
    double deadline = 0;
};

class OutstandingRequests {
  public:
    // The initial table: every entry's theme is appTitle + its word, key "NOMSG", no deadline.
    static OutstandingRequests Initial(const std::string& appTitle);

    RequestEntry& operator[](int kind) { return entries_.at(kind); }
    const RequestEntry& operator[](int kind) const { return entries_.at(kind); }

    // The theme word of each kind ("CASES", "OPENARS", ...).
    static const char* Word(int kind);

    // Index of the entry whose theme matches, compared in the dispatch order ADDUPDATE, PROCESS,
    // CASEARS, OPENARS, CASES, CASEHIST; -1 when none.
    int MatchTheme(const std::string& theme) const;

    // Files a request a dialog sent (entries 3 and 4): theme and key from the dialog, failure off,
    // deadline now + 60 s. A still-pending earlier request of the kind stays watched.
    void FileSentRequest(int kind, const std::string& theme, const std::string& key, double now);

    // An answer with this key arrived for the kind: an earlier watched request with that key is
    // answered and no longer watched. True when one was found.
    bool AnswerWatched(int kind, const std::string& key);

    const std::vector<WatchedRequest>& Watched() const { return watched_; }
    void ClearWatched() { watched_.clear(); }

    // True while any deadline (entry or watched) is pending.
    bool AnyPending() const;

    // Entries whose deadline is not 0 and not later than now, in the sweep order 0, 1, 3, 2, 4, 5.
    // Each returned entry has its deadline set to 0.
    std::vector<int> TakeExpired(double now);
    // Watched requests that expired; removed from the watch.
    std::vector<WatchedRequest> TakeExpiredWatched(double now);

  private:
    std::array<RequestEntry, kRequestKinds> entries_;
    std::vector<WatchedRequest> watched_;
};

// The combined time-out message of one sweep, from the collected lines (each ends in CR LF).
std::string TimeoutMessageText(const std::string& collectedLines);

}  // namespace messaging
