#pragma once
// The back end as the selection controls see it (customer and officer look-ups): every call
// goes through the transport's queue and waits, so it keeps its place among the requests.

#include <memory>

#include "messaging/backend_api.h"

namespace platform {

class Transport;

class QueuedDirectory : public messaging::BackEnd {
public:
    explicit QueuedDirectory(std::shared_ptr<Transport> transport);

    // A failure answer when the back end failed or did not answer in time.
    messaging::Answer Handle(const messaging::Request& request) override;
    std::string NextNumber(const std::string& senderId, const std::string& kind) override;
    void ReturnNumber(const std::string& senderId, const std::string& kind,
                      const std::string& number) override;
    bool HasRight(const std::string& senderId, const std::string& right) override;
    std::optional<std::int64_t> OfficerOf(const std::string& senderId) override;
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& table) override;
    std::vector<messaging::OfficerInfo> Officers() override;
    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& text,
                                                       int limit) override;

private:
    std::shared_ptr<Transport> transport_;
};

}  // namespace platform
