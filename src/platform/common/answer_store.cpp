#include "platform/common/answer_store.h"

#include <algorithm>
#include <memory>

#include "platform/common/layout_dtd.h"
#include "records/text_util.h"

namespace platform {

MemoryAnswerStore::MemoryAnswerStore(std::size_t capacity)
    : capacity_(std::max<std::size_t>(capacity, 1)) {}

void MemoryAnswerStore::put(const messaging::Answer& answer) {
    answers_.push_back(answer);
    while (answers_.size() > capacity_) answers_.pop_front();
}

messaging::DTDPtr MemoryAnswerStore::GetPart(const std::string& partName, const std::string& theme,
                                             const std::string& key) {
    // Newest first, by reverse iterators: clang-tidy's clang 14 cannot parse GCC 12's ranges.
    for (auto it = answers_.crbegin(); it != answers_.crend(); ++it) {
        const messaging::Answer& answer = *it;
        if (answer.theme != theme) continue;
        if (!key.empty() && answer.messageKey != key) continue;
        for (const auto& part : answer.parts) {
            if (part.rows && records::EqualsIgnoreCase(part.name, partName)) {
                return std::make_shared<LayoutDtd>(part.name, part.rows->Clone(),
                                                   answer.messageKey);
            }
        }
        return nullptr;  // the answer asked for lacks that part
    }
    return nullptr;
}

}  // namespace platform
