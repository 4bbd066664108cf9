#include "platform/common/global_services.h"

#include <utility>

#include "platform/common/transport.h"
#include "records/text_util.h"

namespace platform {

BackEndGlobalServices::BackEndGlobalServices(std::shared_ptr<Transport> transport,
                                             std::shared_ptr<messaging::UserContext> user)
    : transport_(std::move(transport)), user_(std::move(user)) {}

std::string BackEndGlobalServices::GetNextNumber(const std::string& kind, std::string& /*arg1*/,
                                                 std::string& /*arg2*/) {
    const std::string sender = user_->GetSenderId();
    const auto number = transport_->call<std::string>(
        [sender, kind](messaging::BackEnd& be) { return be.NextNumber(sender, kind); },
        "a number of kind " + kind,
        [sender, kind](messaging::BackEnd& be, const std::string& late) {
            if (!late.empty()) be.ReturnNumber(sender, kind, late);
        });
    return number.value_or(std::string());
}

void BackEndGlobalServices::ReturnReceiptNumber(const std::string& number,
                                                const std::string& kind) {
    if (number.empty()) return;
    const std::string sender = user_->GetSenderId();
    transport_->call<bool>(
        [sender, kind, number](messaging::BackEnd& be) {
            be.ReturnNumber(sender, kind, number);
            return true;
        },
        "the hand-back of number " + number);
}

bool BackEndGlobalServices::HasRight(const std::string& right) {
    if (const auto it = rights_.find(right); it != rights_.end()) return it->second;
    const std::string sender = user_->GetSenderId();
    const auto has = transport_->call<bool>(
        [sender, right](messaging::BackEnd& be) { return be.HasRight(sender, right); },
        "the right " + right);
    if (!has) return false;  // not remembered: asked again next time
    rights_[right] = *has;
    return *has;
}

std::string BackEndGlobalServices::GetCodeDescription(const std::string& table,
                                                      const std::string& code) {
    const std::string tableKey = records::ToUpperAscii(table);
    auto it = codeTables_.find(tableKey);
    if (it == codeTables_.end()) {
        using Pairs = std::vector<std::pair<std::string, std::string>>;
        const auto rows = transport_->call<Pairs>(
            [table](messaging::BackEnd& be) { return be.CodeTable(table); },
            "code table " + table);
        if (!rows) return code;
        std::map<std::string, std::string> codes;
        for (const auto& [c, description] : *rows) codes[records::ToUpperAscii(c)] = description;
        it = codeTables_.emplace(tableKey, std::move(codes)).first;
    }
    const auto found = it->second.find(records::ToUpperAscii(code));
    return found == it->second.end() ? code : found->second;
}

bool BackEndGlobalServices::IsValidOfficer(std::int64_t officer) {
    if (officer <= 0) return false;
    if (officers_.count(officer)) return true;
    // Not known yet: the list may have grown since it was fetched, so ask once more.
    const auto list = transport_->call<std::vector<messaging::OfficerInfo>>(
        [](messaging::BackEnd& be) { return be.Officers(); }, "the officers");
    if (!list) return false;
    officers_.clear();
    for (const auto& o : *list) officers_.insert(o.id);
    return officers_.count(officer) > 0;
}

}  // namespace platform
