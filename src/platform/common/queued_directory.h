#pragma once
// The back end as the screen's services and selection controls see it: every call goes through
// the transport's queue and waits, so it keeps its place among the requests. When the back end
// fails or does not answer in time (the transport reports it), a call gives its kind of nothing
// ("", false, an empty list, a failure answer), or throws NoAnswer for a caller that must not
// take nothing for an answer.

#include <functional>
#include <memory>
#include <stdexcept>

#include "messaging/backend_api.h"

namespace platform {

class Transport;

struct NoAnswer : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class QueuedDirectory : public messaging::BackEnd {
  public:
    enum class WhenUnanswered { GiveNothing, Throw };

    explicit QueuedDirectory(std::shared_ptr<Transport> transport,
                             WhenUnanswered unanswered = WhenUnanswered::GiveNothing);

    messaging::Answer Handle(const messaging::Request& request) override;
    // A number drawn after the caller stopped waiting is handed back at once.
    std::string NextNumber(const std::string& senderId, const std::string& kind) override;
    void ReturnNumber(const std::string& senderId, const std::string& kind,
                      const std::string& number) override;
    bool HasRight(const std::string& senderId, const std::string& right) override;
    std::optional<std::int64_t> OfficerOf(const std::string& senderId) override;
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& table) override;
    std::vector<messaging::OfficerInfo> Officers() override;
    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& text, int limit) override;

  private:
    // nullopt when unanswered and giving nothing.
    template <class T>
    std::optional<T> ask(std::function<T(messaging::BackEnd&)> work, const std::string& what,
                         std::function<void(messaging::BackEnd&, const T&)> late = {});

    std::shared_ptr<Transport> transport_;
    WhenUnanswered unanswered_;
};

}  // namespace platform
