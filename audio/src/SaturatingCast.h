// Settings come from files a user can edit: a quality or volume that is no
// number, or one too large for the integer it scales to, must not turn into
// undefined behaviour on its way to the encoder or the mixer.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The value rounded toward zero and clamped to [lo, hi]; NaN gives lo.
template <typename Int>
Int SaturatingCast(double value, Int lo = std::numeric_limits<Int>::min(),
                   Int hi = std::numeric_limits<Int>::max()) {
    if (std::isnan(value) || value <= static_cast<double>(lo)) return lo;
    if (value >= static_cast<double>(hi)) return hi;
    return static_cast<Int>(value);
}
