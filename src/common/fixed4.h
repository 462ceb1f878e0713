#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace kelvaron {

// A value times 10 000 (speeds in km/h, forces in N, pressures in kPa, masses in t).
using Fixed4 = int64_t;
constexpr Fixed4 kFixed4Scale = 10000;

// The one rounding store of the system: nearest, ties to even, from extended
// precision. Every computed value that lands in an integer or Fixed4 field goes
// through here (never llround, which rounds ties away from zero). A value that
// is not finite or lies beyond the 64-bit range is clamped rather than turned
// into undefined behaviour.
//
// llrintl rounds in the current rounding mode, which is to nearest unless
// someone changed it; it is one instruction where nearbyintl and a conversion
// cost twenty times as much, and a run makes millions of these stores.
inline int64_t Round(long double value) {
    if (std::isnan(value)) return 0;
    constexpr long double kMax = 9.2233720368547758e18L;
    if (value >= kMax) return std::numeric_limits<int64_t>::max();
    if (value <= -kMax) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(std::llrintl(value));
}

// Round to a 32-bit field; false when the result does not fit.
inline bool Round32(long double value, int32_t& out) {
    // Beyond this the value cannot fit, and llrintl's own range ends at 2^63.
    constexpr long double kFar = 4294967296.0L;
    if (!std::isfinite(value) || value >= kFar || value <= -kFar) return false;
    const int64_t r = std::llrintl(value);
    if (r > std::numeric_limits<int32_t>::max() || r < std::numeric_limits<int32_t>::min()) {
        return false;
    }
    out = static_cast<int32_t>(r);
    return true;
}

// Round to int32 where the value is known to be small; saturates otherwise.
inline int32_t RoundInt(long double value) {
    int64_t r = Round(value);
    if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

}  // namespace kelvaron
