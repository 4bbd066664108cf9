#pragma once
// The answers received, by (theme, message key), newest last. Only the transport puts answers in,
// on the user-interface thread, just before it raises DataReady.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "messaging/common_library.h"

namespace platform {

class MemoryAnswerStore : public messaging::AnswerStore {
  public:
    explicit MemoryAnswerStore(std::size_t capacity = 64);

    // Keeps the answer; the oldest one goes when more than `capacity` are kept.
    void put(const messaging::Answer& answer);
    // Each call gives a new layout object over a fresh view (clone) of the stored rows, so a
    // reader's sort or cursor never disturbs another reader.
    messaging::DTDPtr GetPart(const std::string& partName, const std::string& theme,
                              const std::string& key) override;

    std::size_t size() const { return answers_.size(); }
    std::size_t capacity() const { return capacity_; }

  private:
    std::size_t capacity_;
    std::deque<messaging::Answer> answers_;  // oldest first
};

}  // namespace platform
