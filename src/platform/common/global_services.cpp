#include "platform/common/global_services.h"

#include <utility>

#include "platform/common/queued_directory.h"
#include "records/text_util.h"

namespace platform {

BackEndGlobalServices::BackEndGlobalServices(std::shared_ptr<messaging::BackEnd> backEnd,
                                             std::shared_ptr<messaging::UserContext> user)
    : backEnd_(std::move(backEnd)), user_(std::move(user)) {}

std::string BackEndGlobalServices::GetNextNumber(const std::string& kind, std::string& /*arg1*/,
                                                 std::string& /*arg2*/) {
    try {
        return backEnd_->NextNumber(user_->GetSenderId(), kind);
    } catch (const NoAnswer&) {  // reported by the transport
        return {};
    }
}

void BackEndGlobalServices::ReturnReceiptNumber(const std::string& number,
                                                const std::string& kind) {
    if (number.empty()) return;
    try {
        backEnd_->ReturnNumber(user_->GetSenderId(), kind, number);
    } catch (const NoAnswer&) {  // reported by the transport
    }
}

bool BackEndGlobalServices::HasRight(const std::string& right) {
    if (const auto it = rights_.find(right); it != rights_.end()) return it->second;
    bool has = false;
    try {
        has = backEnd_->HasRight(user_->GetSenderId(), right);
    } catch (const NoAnswer&) {
        return false;  // not remembered: asked again next time
    }
    rights_[right] = has;
    return has;
}

std::string BackEndGlobalServices::GetCodeDescription(const std::string& table,
                                                      const std::string& code) {
    const std::string tableKey = records::ToUpperAscii(table);
    auto it = codeTables_.find(tableKey);
    if (it == codeTables_.end()) {
        std::map<std::string, std::string> codes;
        try {
            for (const auto& [c, description] : backEnd_->CodeTable(table))
                codes[records::ToUpperAscii(c)] = description;
        } catch (const NoAnswer&) {
            return code;  // not remembered: asked again next time
        }
        it = codeTables_.emplace(tableKey, std::move(codes)).first;
    }
    const auto found = it->second.find(records::ToUpperAscii(code));
    return found == it->second.end() ? code : found->second;
}

bool BackEndGlobalServices::IsValidOfficer(std::int64_t officer) {
    if (officer <= 0) return false;
    if (officers_.count(officer)) return true;
    // Not known yet: the list may have grown since it was fetched, so ask once more.
    std::vector<messaging::OfficerInfo> list;
    try {
        list = backEnd_->Officers();
    } catch (const NoAnswer&) {
        return false;
    }
    officers_.clear();
    for (const auto& o : list) officers_.insert(o.id);
    return officers_.count(officer) > 0;
}

}  // namespace platform
