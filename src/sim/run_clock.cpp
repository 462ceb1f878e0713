#include "sim/run_clock.h"

#include "common/common_util.h"

namespace kelvaron {
namespace {

std::string TwoDigits(int32_t value) {
    std::string text = ToDecimal(value);
    if (text.size() == 1) text.insert(0, "0");
    return text;
}

}  // namespace

std::string timecalc(int32_t ticks) {
    const int32_t seconds = ticks / 30;
    const int32_t hours = seconds / 3600;
    const int32_t minutes = (seconds - hours * 3600) / 60;
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" +
           TwoDigits(seconds - hours * 3600 - minutes * 60);
}

}  // namespace kelvaron
