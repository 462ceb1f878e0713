// The demo route: its distances are the simulator's, and what it places
// along the line can be seen by a train driving at line speed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/track_position_table.h"
#include "route.h"
#include "timetable.h"

namespace kelvaron::demo {
namespace {

TEST(DemoRoute, StopsAndUnitsMeasureAsTheTrackPositionTableMeasuresThem) {
    const Route route = BuildRoute();
    LineDefinition line;
    line.SpeedUnit = route.units;
    for (const StationSite& s : route.stations) {
        StationData st;
        st.ZoneStart = s.zoneStart;
        st.ZoneEnd = s.zoneEnd;
        line.Station.push_back(st);
    }
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    for (size_t i = 0; i < route.stations.size(); ++i) {
        // The zone's middle frame is the stop mark, so both measure the same place (1/100 m).
        EXPECT_NEAR(line.Station[i].StopPosition, route.stations[i].stopMetres * 100, 1.0) << i;
    }
    EXPECT_NEAR(line.SpeedUnit.back().CumulativeDistance, route.LengthMetres() * 100, 1.0);
    // The units meet end to start, and the video stays short of the line-end frame.
    for (size_t i = 1; i < route.units.size(); ++i) {
        EXPECT_EQ(route.units[i].StartFrame, route.units[i - 1].EndFrame);
    }
    EXPECT_LT(route.lastFrame, 55162);
}

TEST(DemoRoute, FrameAtFindsTheFirstFrameAtADistance) {
    const Route route = BuildRoute();
    for (double m = 1; m < route.LengthMetres(); m += 37.5) {
        const int32_t f = route.FrameAt(m);
        EXPECT_GE(route.MetresAt(f), m);
        EXPECT_LT(route.MetresAt(f - 1), m) << m;
    }
}

// The simulator looks for a signal's points in windows of 10 frames after
// them, one look per 100 ms; at 80 km/h over a filming speed of s km/h the
// video moves 3 x 80 / s frames per look, so s must stay above 24 km/h there.
TEST(DemoRoute, SignalsAndTheirPointsStandWhereTheVideoMovesBriskly) {
    const Route route = BuildRoute();
    for (size_t i = 0; i < route.signals.size(); ++i) {
        const SignalSite& s = route.signals[i];
        SCOPED_TRACE(s.name + " " + std::to_string(i));
        EXPECT_GT(route.FilmingSpeedAt(s.frame), 24);
        if (s.type > 0) {
            EXPECT_GT(route.FilmingSpeedAt(s.alarmFrame), 24);
        }
        EXPECT_LT(s.viewStart, s.frame);
        EXPECT_LT(s.alarmFrame, s.frame);
        // The limit point of the signal before reads the picture on display
        // for 30 frames; this signal must not be on display yet.
        if (i > 0) {
            EXPECT_GE(s.viewStart, route.signals[i - 1].frame + 30);
        }
    }
    for (const LimitSite& l : route.limits) {
        EXPECT_LE(route.FilmingSpeedAt(l.startFrame), l.speed) << "filmed within the limit";
    }
}

TEST(DemoTimetable, TimesRunForwardAndPassingTimesLieBetweenTheStops) {
    const Route route = BuildRoute();
    for (RunKind run : {RunKind::Local, RunKind::Express}) {
        const Timetable t = MakeTimetable(route, run);
        int32_t last = t.startTime;
        for (size_t i = 0; i < t.stations.size(); ++i) {
            const StationTimes& s = t.stations[i];
            SCOPED_TRACE(i);
            EXPECT_GE(s.arrival, last);
            if (s.kind != 1 && i + 1 < t.stations.size()) {
                EXPECT_GT(s.departure, s.arrival);
                EXPECT_GT(s.doorClose, s.departure);
                last = s.doorClose;
            } else {
                last = s.arrival;
            }
        }
    }
    const Timetable express = MakeTimetable(route, RunKind::Express);
    EXPECT_EQ(express.stations[1].kind, 1);
    EXPECT_EQ(express.stations[3].kind, 1);
    EXPECT_EQ(ClockText(36000 * 30 + 62 * 30 + 29), "10:01:02");  // 29 ticks are under a second
}

}  // namespace
}  // namespace kelvaron::demo
