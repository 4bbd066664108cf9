#pragma once
// The system time plus a settable offset, so tests and scenarios can move time forward.

#include <atomic>

#include "messaging/common_library.h"

namespace platform {

class OffsetClock : public messaging::Clock {
  public:
    // Seconds since 1970-01-01 UTC, plus the offset.
    double Now() override;
    void setOffset(double seconds) { offset_ = seconds; }
    double offset() const { return offset_; }
    void advance(double seconds) { offset_.fetch_add(seconds); }

  private:
    std::atomic<double> offset_{0.0};
};

}  // namespace platform
