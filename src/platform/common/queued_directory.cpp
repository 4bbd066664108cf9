#include "platform/common/queued_directory.h"

#include "platform/common/layout_dtd.h"
#include "platform/common/transport.h"

namespace platform {

using messaging::BackEnd;

QueuedDirectory::QueuedDirectory(std::shared_ptr<Transport> transport, WhenUnanswered unanswered)
    : transport_(std::move(transport)), unanswered_(unanswered) {}

template <class T>
std::optional<T> QueuedDirectory::ask(std::function<T(BackEnd&)> work, const std::string& what,
                                      std::function<void(BackEnd&, const T&)> late) {
    auto value = transport_->call<T>(std::move(work), what, std::move(late));
    if (!value && unanswered_ == WhenUnanswered::Throw) {
        throw NoAnswer("No answer from the back end on " + what);
    }
    return value;
}

messaging::Answer QueuedDirectory::Handle(const messaging::Request& request) {
    messaging::Request copy = request;  // the back end never touches the caller's rows
    for (auto& part : copy.parts) {
        if (part.rows && part.rows->IsOpen()) part.rows = copyThroughImage(*part.rows);
    }
    auto answer =
        ask<messaging::Answer>([copy = std::move(copy)](BackEnd& be) { return be.Handle(copy); },
                               "request " + request.messageKey);
    if (!answer) return failureAnswer(request, "No answer from the back end.");
    ensureHeader(*answer, request);
    return std::move(*answer);
}

std::string QueuedDirectory::NextNumber(const std::string& senderId, const std::string& kind) {
    return ask<std::string>([senderId, kind](BackEnd& be) { return be.NextNumber(senderId, kind); },
                            "a number of kind " + kind,
                            [senderId, kind](BackEnd& be, const std::string& late) {
                                if (!late.empty()) be.ReturnNumber(senderId, kind, late);
                            })
        .value_or(std::string());
}

void QueuedDirectory::ReturnNumber(const std::string& senderId, const std::string& kind,
                                   const std::string& number) {
    ask<bool>(
        [senderId, kind, number](BackEnd& be) {
            be.ReturnNumber(senderId, kind, number);
            return true;
        },
        "the hand-back of number " + number);
}

bool QueuedDirectory::HasRight(const std::string& senderId, const std::string& right) {
    return ask<bool>([senderId, right](BackEnd& be) { return be.HasRight(senderId, right); },
                     "the right " + right)
        .value_or(false);
}

std::optional<std::int64_t> QueuedDirectory::OfficerOf(const std::string& senderId) {
    return ask<std::optional<std::int64_t>>(
               [senderId](BackEnd& be) { return be.OfficerOf(senderId); },
               "the officer of user " + senderId)
        .value_or(std::nullopt);
}

std::vector<std::pair<std::string, std::string>> QueuedDirectory::CodeTable(
    const std::string& table) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    return ask<Pairs>([table](BackEnd& be) { return be.CodeTable(table); }, "code table " + table)
        .value_or(Pairs{});
}

std::vector<messaging::OfficerInfo> QueuedDirectory::Officers() {
    using List = std::vector<messaging::OfficerInfo>;
    return ask<List>([](BackEnd& be) { return be.Officers(); }, "the officers").value_or(List{});
}

std::vector<messaging::CustomerInfo> QueuedDirectory::FindCustomers(const std::string& text,
                                                                    int limit) {
    using List = std::vector<messaging::CustomerInfo>;
    return ask<List>([text, limit](BackEnd& be) { return be.FindCustomers(text, limit); },
                     "the customer search")
        .value_or(List{});
}

}  // namespace platform
