#include "shell/run_summary.h"

#include <cstdio>
#include <limits>

namespace kelvaron {
namespace {

bool InZone(const StationData& station, int32_t frame) {
    return station.ZoneStart <= frame && frame <= station.ZoneEnd;
}

// A clock with its difference from the timetable, e.g. "10:00:41 (+11.7 s)".
std::string AgainstTimetable(int32_t ticks, int32_t timetable) {
    return ClockText(ticks) + " (" + SecondsAgainstTimetable(ticks, timetable) + ")";
}

}  // namespace

std::string SecondsAgainstTimetable(int32_t ticks, int32_t timetable) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%+.1Lf s",
                  (static_cast<long double>(ticks) - timetable) / 30);
    return buffer;
}

void RunSummary::Observe(const RunState& state, const LineDefinition& line, int32_t moves) {
    const bool moved = moves != moves_;
    moves_ = moves;
    if (stations_.size() != line.Station.size()) {
        stations_.assign(line.Station.size(), StationResult{});
        for (size_t i = 0; i < stations_.size(); ++i) {
            stations_[i].name = line.Station[i].Name;
            stations_[i].kind = line.Station[i].Kind;
            stations_[i].departureTime = line.Station[i].DepartureTime;
        }
        standingAt_ = -1;
    }

    const Fixed4 speed = state.Speed;
    const Fixed4 magnitude = speed == std::numeric_limits<Fixed4>::min()
                                 ? std::numeric_limits<Fixed4>::max()
                                 : (speed < 0 ? -speed : speed);
    if (magnitude > maxSpeed_) maxSpeed_ = magnitude;

    ObserveProtection(state);
    // Standing is judged as the station logic judges it: the speed rounds to 0 km/h.
    ObserveStations(state, line, SpeedRoundsToZero(state), moved);
    firstObservation_ = false;
}

void RunSummary::ObserveProtection(const RunState& state) {
    const auto happened = [&](ProtectionKind kind, int& count) {
        ++count;
        events_.push_back({kind, state.Distance, state.ClockTicks});
    };
    if (state.AtsAlarm && !atsAlarm_) happened(ProtectionKind::AtsAlarm, atsAlarms_);
    if (state.ForcedEB && !forcedEB_) {
        // The vigilance device counts only while the train runs forward above
        // 1 km/h, so a counter that was running and is back at 0 there means
        // the device has just braked. Otherwise an emergency brake with no ATS
        // bell ringing can only have come from the vigilance device.
        const bool deviceFired =
            state.Speed > kFixed4Scale && state.VigilanceTimer == 0 && vigilanceTimer_ > 0;
        if (deviceFired || !state.AtsAlarm)
            happened(ProtectionKind::VigilanceBraking, vigilanceBrakings_);
        else
            happened(ProtectionKind::AtsBraking, atsBrakings_);
    }
    if (state.SpeedCheckEB && !speedCheckEB_) {
        happened(ProtectionKind::SpeedCheckBraking, speedCheckBrakings_);
    }
    atsAlarm_ = state.AtsAlarm;
    forcedEB_ = state.ForcedEB;
    speedCheckEB_ = state.SpeedCheckEB;
    vigilanceTimer_ = state.VigilanceTimer;
}

void RunSummary::ObserveStations(const RunState& state, const LineDefinition& line, bool standing,
                                 bool moved) {
    for (size_t i = 0; i < stations_.size(); ++i) {
        if (state.Frame > line.Station[i].ZoneEnd && !stations_[i].beyondTicks) {
            stations_[i].beyondTicks = state.ClockTicks;
            stations_[i].behindStart = firstObservation_;
            stations_[i].movedPast = moved && !firstObservation_;
        }
    }

    auto stopError = [&](int station) {
        return (state.Distance - line.Station[station].StopPosition) / 100.0L;
    };

    if (standingAt_ >= 0) {
        StationResult& result = stations_[standingAt_];
        if (!standing) {
            result.departureTicks = state.ClockTicks;
            standingAt_ = -1;
        } else if (!InZone(line.Station[standingAt_], state.Frame)) {
            // Moved elsewhere while standing (a jump): the stop ends without a departure.
            standingAt_ = -1;
        } else {
            // Creeping to a better place counts: the error is where the train rests.
            result.stopErrorMetres = stopError(standingAt_);
            return;
        }
    }
    if (!standing) return;
    for (size_t i = 0; i < stations_.size(); ++i) {
        if (line.Station[i].Kind == 1 || !InZone(line.Station[i], state.Frame)) continue;
        standingAt_ = static_cast<int>(i);
        StationResult& result = stations_[i];
        if (!result.stopped) {
            result.stopped = true;
            result.origin = firstObservation_ || moved;
            result.arrivalTicks = state.ClockTicks;
        }
        result.departureTicks.reset();
        result.stopErrorMetres = stopError(standingAt_);
        break;
    }
}

void RunSummary::Print(std::ostream& out) const {
    char buffer[160];
    out << "Run summary\n";
    std::snprintf(buffer, sizeof buffer, "Maximum speed: %.2Lf km/h\n",
                  static_cast<long double>(maxSpeed_) / kFixed4Scale);
    out << buffer;
    out << "Stations:\n";
    for (const StationResult& s : stations_) {
        out << "  " << s.name << ": ";
        if (!s.stopped) {
            if (s.behindStart) {
                out << "behind the start\n";
            } else if (s.movedPast) {
                out << "moved past\n";
            } else if (!s.beyondTicks) {
                out << "not reached\n";
            } else {
                out << "passed " << ClockText(*s.beyondTicks)
                    << (s.kind == 1 ? "\n" : " without stopping\n");
            }
            continue;
        }
        if (s.origin) {
            out << "start";
        } else {
            std::snprintf(buffer, sizeof buffer, "stopped, error %+.2Lf m, arrived ",
                          s.stopErrorMetres);
            out << buffer << AgainstTimetable(s.arrivalTicks, s.departureTime);
        }
        if (s.departureTicks) {
            out << ", departed " << AgainstTimetable(*s.departureTicks, s.departureTime);
        }
        out << ", timetable " << ClockText(s.departureTime) << '\n';
    }
    out << "ATS alarms: " << atsAlarms_ << "; emergency brakings: " << atsBrakings_
        << " forced by ATS, " << vigilanceBrakings_ << " by vigilance, " << speedCheckBrakings_
        << " by speed check\n";
}

}  // namespace kelvaron
