#include "data/clock_face.h"

#include <numbers>

#include "common/common_util.h"
#include "common/fixed4.h"

namespace kelvaron {

namespace {

constexpr int32_t kCentre = 25;

ClockLine Hand(long double length, long double degrees) {
    const long double theta = degrees * (std::numbers::pi_v<long double> / 180.0L);
    const PolarPoint end = Polar(kCentre, length, theta);
    return {kCentre, kCentre, end.x, end.y};
}

}  // namespace

ClockHands ComputeClockHands(int32_t ticks, int32_t radius) {
    // Integer divisions truncate, as the digital read-out does.
    const int32_t hours = ticks / 108000;
    const int32_t secondsOfHour = ticks / 30 - hours * 3600;
    const int32_t minutes = secondsOfHour / 60;
    const int32_t seconds = secondsOfHour - minutes * 60;

    const long double r = radius;
    const long double hourLength = static_cast<long double>(RoundInt(0.6L * r));

    ClockHands hands;
    hands.drawn = true;
    hands.hour = Hand(hourLength, hours * 30.0L + minutes * 0.5L);
    hands.minute = Hand(r, minutes * 6.0L + seconds * 0.1L);
    hands.second = Hand(r, seconds * 6.0L);
    return hands;
}

void DrawClockFace(PanelModel& panel, const ClockFace& clock, int32_t ticks) {
    if (clock.X <= 0 || clock.Y <= 0) return;
    panel.Clock() = ComputeClockHands(ticks, clock.R);
}

}  // namespace kelvaron
