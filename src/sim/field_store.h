#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "common/fixed4.h"

namespace kelvaron {

// Stores a computed value into a Fixed4 field through the one rounding store.
// A result that is not a finite number can only come from a zero mass, rate or
// curve span in the train data; the field then keeps its value rather than
// jumping to the end of the 64-bit range.
inline void StoreRounded(Fixed4& field, long double value) {
    if (std::isfinite(value)) field = Round(value);
}

// Counters count up to the 32-bit limit and stay there.
inline void CountUp(int32_t& counter) {
    if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

}  // namespace kelvaron
