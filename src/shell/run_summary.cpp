#include "shell/run_summary.h"

#include <cstdio>
#include <limits>

namespace kelvaron {
namespace {

bool InZone(const StationData& station, int32_t frame) {
    return station.ZoneStart <= frame && frame <= station.ZoneEnd;
}

// "hh:mm:ss" of a time of day in 1/30 s.
std::string ClockText(int32_t ticks) {
    int64_t seconds = static_cast<int64_t>(ticks) / 30;
    if (ticks < 0 && ticks % 30 != 0) --seconds;
    seconds = ((seconds % 86400) + 86400) % 86400;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return buffer;
}

}  // namespace

void RunSummary::Observe(const RunState& state, const LineDefinition& line) {
    if (stations_.size() != line.Station.size()) {
        stations_.assign(line.Station.size(), StationResult{});
        for (size_t i = 0; i < stations_.size(); ++i) {
            stations_[i].name = line.Station[i].Name;
            stations_[i].departureTime = line.Station[i].DepartureTime;
        }
        standingAt_ = -1;
    }

    Fixed4 speed = state.Speed;
    Fixed4 magnitude = speed == std::numeric_limits<Fixed4>::min()
                           ? std::numeric_limits<Fixed4>::max()
                           : (speed < 0 ? -speed : speed);
    if (magnitude > maxSpeed_) maxSpeed_ = magnitude;
    forcedEB_.Observe(state.ForcedEB);
    speedCheckEB_.Observe(state.SpeedCheckEB);
    atsAlarm_.Observe(state.AtsAlarm);

    // Standing is judged as the station logic judges it: the speed rounds to 0 km/h.
    bool standing = Round(static_cast<long double>(speed) / kFixed4Scale) == 0;

    for (size_t i = 0; i < stations_.size(); ++i) {
        if (state.Frame > line.Station[i].ZoneEnd) stations_[i].reached = true;
    }

    if (standingAt_ >= 0) {
        bool moving = !standing;
        // A jump elsewhere while standing ends the stop without a departure.
        if (moving || !InZone(line.Station[standingAt_], state.Frame)) {
            StationResult& result = stations_[standingAt_];
            if (moving && !result.leaveTicks) result.leaveTicks = state.ClockTicks;
            standingAt_ = -1;
        }
    }
    if (!standing || standingAt_ >= 0) return;
    for (size_t i = 0; i < stations_.size(); ++i) {
        if (!InZone(line.Station[i], state.Frame)) continue;
        standingAt_ = static_cast<int>(i);
        StationResult& result = stations_[i];
        if (!result.stopped) {
            result.stopped = true;
            result.reached = true;
            result.arrivalTicks = state.ClockTicks;
            result.stopErrorMetres = (state.Distance - line.Station[i].StopPosition) / 100.0L;
        }
        break;
    }
}

void RunSummary::Print(std::ostream& out) const {
    char buffer[160];
    out << "Run summary\n";
    std::snprintf(buffer, sizeof buffer, "Maximum speed: %.2Lf km/h\n",
                  static_cast<long double>(maxSpeed_) / kFixed4Scale);
    out << buffer;
    out << "Emergency brakings: " << forcedEB_.count << " forced, " << speedCheckEB_.count
        << " by speed check; ATS alarms: " << atsAlarm_.count << '\n';
    out << "Stations:\n";
    for (const StationResult& s : stations_) {
        out << "  " << s.name << ": ";
        if (!s.stopped) {
            out << (s.reached ? "passed" : "not reached") << '\n';
            continue;
        }
        long double lateSeconds = (static_cast<long double>(s.arrivalTicks) - s.departureTime) / 30;
        const char* judgement = lateSeconds > 0 ? "late" : (lateSeconds < 0 ? "early" : "on time");
        std::snprintf(buffer, sizeof buffer, "stopped, error %+.2Lf m, arrived %s (timetable %s, ",
                      s.stopErrorMetres, ClockText(s.arrivalTicks).c_str(),
                      ClockText(s.departureTime).c_str());
        out << buffer;
        if (lateSeconds != 0) {
            std::snprintf(buffer, sizeof buffer, "%.1Lf s ",
                          lateSeconds < 0 ? -lateSeconds : lateSeconds);
            out << buffer;
        }
        out << judgement << ')';
        if (s.leaveTicks) out << ", left " << ClockText(*s.leaveTicks);
        out << '\n';
    }
}

}  // namespace kelvaron
