#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "route.h"

namespace kelvaron::demo {

enum class RunKind { Local, Express };

// Clock times in 1/30 s since midnight, as the line files write them.
struct StationTimes {
    int32_t kind = 0;       // 0 stop, 1 passed, 2 stop without the conductor's doors
    int32_t arrival = 0;    // or the passing time
    int32_t departure = 0;  // 0 at a passed station
    int32_t doorClose = 0;
};

struct Timetable {
    RunKind run = RunKind::Local;
    int32_t startTime = 0;
    std::vector<StationTimes> stations;
    std::vector<int32_t> timeChecks;  // scheduled time at each of the route's timing points
};

// Running times a driver keeps without hurrying: from standstill up to the
// run's line speed, a coasting margin, and braking into each stop; the
// departures leave the dwell a conductor needs (melody, doors). This is the
// first plan; the drive then sets the times it keeps (AdoptDrivenTimes).
Timetable MakeTimetable(const Route& route, RunKind run);

// The clock when a drive of the run reached each station (stopped at or
// passed) and each timing point; 0 where it never did.
struct DrivenTimes {
    std::vector<int32_t> stations;
    std::vector<int32_t> timeChecks;
};

// Takes a drive's times into the timetable: arrivals, passing times and time
// checks as driven, each departure the dwell after its arrival. True when a
// departure moved: the drive after it then changes and must be made again.
bool AdoptDrivenTimes(Timetable& timetable, const DrivenTimes& driven);

// "10:02:35" for a clock time.
std::string ClockText(int32_t ticks);

}  // namespace kelvaron::demo
