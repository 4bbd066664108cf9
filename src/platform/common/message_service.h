#pragma once
// The message service over a transport: listeners, requests and empty layout objects.

#include <memory>
#include <string>
#include <vector>

#include "messaging/common_library.h"
#include "platform/common/transport.h"

namespace platform {

// A new message key: UUID-like, unique across processes, never holding an apostrophe.
std::string newMessageKey();

class TransportRequest : public messaging::RequestMessage {
  public:
    explicit TransportRequest(std::shared_ptr<Transport> transport);

    void SetTheme(const std::string& theme) override { request_.theme = theme; }
    std::string Theme() const override { return request_.theme; }
    void SetSenderId(const std::string& id) override { request_.senderId = id; }
    void SetVersion(const std::string& version) override { request_.version = version; }
    void SetServiceCode(int code) override { request_.serviceCode = code; }
    void AddCriterion(const messaging::RequestCriterion& criterion) override;
    void AddPart(const std::string& partName, const messaging::DTDPtr& part) override;
    std::string MessageKey() const override { return request_.messageKey; }
    // Copies the parts' rows through their stream images, then queues the request. Sending a
    // request twice is error 3219.
    void Send() override;

  private:
    std::shared_ptr<Transport> transport_;
    messaging::Request request_;
    std::vector<std::pair<std::string, messaging::DTDPtr>> parts_;
    bool sent_ = false;
};

class TransportMessageService : public messaging::MessageService {
  public:
    explicit TransportMessageService(std::shared_ptr<Transport> transport);

    std::shared_ptr<messaging::MessageListener> GetListener() override;
    std::unique_ptr<messaging::RequestMessage> NewRequest() override;
    messaging::DTDPtr NewDTD() override;

    const std::shared_ptr<Transport>& transport() const { return transport_; }

  private:
    std::shared_ptr<Transport> transport_;
};

}  // namespace platform
