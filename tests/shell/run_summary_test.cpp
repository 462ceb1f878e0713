#include "shell/run_summary.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvaron {
namespace {

StationData MakeStation(const char* name, int32_t kind, int32_t zoneStart, int32_t stopPosition,
                        int32_t departureTime) {
    StationData s;
    s.Name = name;
    s.Kind = kind;
    s.ZoneStart = zoneStart;
    s.ZoneEnd = zoneStart + 100;
    s.StopPosition = stopPosition;
    s.DepartureTime = departureTime;
    return s;
}

void Observe(RunSummary& summary, RunState& s, const LineDefinition& line, int32_t frame,
             Fixed4 speed, long double distance, int32_t ticks) {
    s.Frame = frame;
    s.Speed = speed;
    s.Distance = distance;
    s.ClockTicks = ticks;
    summary.Observe(s, line);
}

TEST(RunSummary, StopsTimetableMaximumSpeedAndEmergencies) {
    LineDefinition line;
    line.Station = {MakeStation("Alpha", 0, 100, 15000, 972000),  // 09:00:00 = 9 x 3600 x 30
                    MakeStation("Beta", 1, 1000, 0, 0),
                    MakeStation("Gamma", 0, 2000, 200000, 981000),  // 09:05:00
                    MakeStation("Delta", 0, 5000, 0, 990000)};
    RunSummary summary;
    RunState s;
    auto observe = [&](int32_t frame, Fixed4 speed, long double distance, int32_t ticks) {
        Observe(summary, s, line, frame, speed, distance, ticks);
    };
    observe(150, 0, 15000, 971850);      // standing at Alpha, 150 ticks = 5 s before 09:00:00
    observe(160, 50000, 15010, 972030);  // 5 km/h: leaves at 09:00:01
    s.ForcedEB = true;
    observe(1050, 800000, 60000, 975000);
    s.ForcedEB = false;
    observe(1200, -900000, 70000, 976000);  // 90 km/h backwards is the highest magnitude
    s.ForcedEB = true;
    s.SpeedCheckEB = true;
    observe(1300, 4999, 80000, 977000);  // 0.4999 km/h rounds to 0, but no station here
    s.AtsAlarm = true;
    // 0.5 km/h rounds to 0 (ties to even): standing at Gamma, 1.23 m past its stop
    // position, at 09:05:15 (450 ticks = 15 s late).
    observe(2050, 5000, 200123, 981450);
    observe(2050, 0, 200200, 981480);  // only the first standstill counts

    std::ostringstream out;
    summary.Print(out);
    EXPECT_EQ(out.str(),
              "Run summary\n"
              "Maximum speed: 90.00 km/h\n"
              "Emergency brakings: 2 forced, 1 by speed check; ATS alarms: 1\n"
              "Stations:\n"
              "  Alpha: stopped, error +0.00 m, arrived 08:59:55 (timetable 09:00:00, 5.0 s "
              "early), left 09:00:01\n"
              "  Beta: passed\n"
              "  Gamma: stopped, error +1.23 m, arrived 09:05:15 (timetable 09:05:00, 15.0 s "
              "late)\n"
              "  Delta: not reached\n");
}

TEST(RunSummary, AJumpWhileStandingStartsANewStopWithoutADeparture) {
    LineDefinition line;
    line.Station = {MakeStation("A", 0, 100, 10000, 0), MakeStation("B", 0, 900, 90000, 0)};
    RunSummary summary;
    RunState s;
    Observe(summary, s, line, 150, 0, 10000, 0);
    Observe(summary, s, line, 950, 0, 89950, 300);  // moved to B with the train standing
    const auto& st = summary.Stations();
    EXPECT_TRUE(st[0].stopped);
    EXPECT_FALSE(st[0].leaveTicks);
    EXPECT_TRUE(st[1].stopped);
    EXPECT_EQ(st[1].arrivalTicks, 300);
    EXPECT_DOUBLE_EQ(static_cast<double>(st[1].stopErrorMetres), -0.5);  // 50 cm short
}

}  // namespace
}  // namespace kelvaron
