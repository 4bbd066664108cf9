#pragma once
// A back end that answers only the selection controls' look-ups, from lists the test gives.

#include <algorithm>
#include <stdexcept>

#include "messaging/backend_api.h"
#include "records/text_util.h"

namespace platform::testing {

class ScriptedDirectory : public messaging::BackEnd {
  public:
    std::vector<messaging::CustomerInfo> customers;
    std::vector<messaging::OfficerInfo> officers;
    std::vector<std::string> searches;  // every FindCustomers text, in order
    bool failing = false;

    messaging::Answer Handle(const messaging::Request& request) override {
        return messaging::Answer{request.theme, request.messageKey, {}};
    }
    std::string NextNumber(const std::string&, const std::string&) override { return ""; }
    void ReturnNumber(const std::string&, const std::string&, const std::string&) override {}
    bool HasRight(const std::string&, const std::string&) override { return false; }
    std::optional<std::int64_t> OfficerOf(const std::string&) override { return std::nullopt; }
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string&) override {
        return {};
    }
    std::vector<messaging::OfficerInfo> Officers() override {
        if (failing) throw std::runtime_error("back end down");
        return officers;
    }
    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& text,
                                                       int limit) override {
        searches.push_back(text);
        if (failing) throw std::runtime_error("back end down");
        std::vector<messaging::CustomerInfo> found;
        const std::string upper = records::ToUpperAscii(text);
        for (const auto& c : customers) {
            const bool byNumber = c.custId.rfind(text, 0) == 0;
            const bool byName = records::ToUpperAscii(c.name).find(upper) != std::string::npos;
            if ((byNumber || byName) && static_cast<int>(found.size()) < limit) found.push_back(c);
        }
        return found;
    }
};

inline messaging::CustomerInfo customer(std::string id, std::string name, std::string city) {
    messaging::CustomerInfo c;
    c.custId = std::move(id);
    c.name = std::move(name);
    c.mailAddress = "1 Main St";
    c.mailCity = std::move(city);
    c.mailState = "OR";
    c.mailZip = "97201";
    c.phone = "5035550100";
    c.docType = "SSN";
    c.refNumber = "123-45-6789";
    c.custType = "I";
    return c;
}

}  // namespace platform::testing
