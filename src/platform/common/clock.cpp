#include "platform/common/clock.h"

#include <QDateTime>

namespace platform {

double OffsetClock::Now() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 + offset_;
}

}  // namespace platform
