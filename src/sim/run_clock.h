#pragma once

#include <cstdint>
#include <string>

namespace kelvaron {

// The clock read-out "hh:mm:ss" of a time in 1/30 s. Hours are not taken
// modulo 24: a run past midnight shows 24 and more.
std::string timecalc(int32_t ticks);

}  // namespace kelvaron
