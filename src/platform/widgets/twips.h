#pragma once
// Widths of the old forms are in twips: 1440 to the inch, at the screen's logical resolution.

#include <cmath>

namespace platform {

inline constexpr double kTwipsPerInch = 1440.0;

inline int twipsToPixels(double twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline double pixelsToTwips(int pixels, double logicalDpi) {
    return logicalDpi > 0 ? pixels * kTwipsPerInch / logicalDpi : 0.0;
}

}  // namespace platform
