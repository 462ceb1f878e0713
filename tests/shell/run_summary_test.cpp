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

class Summary {
  public:
    explicit Summary(std::vector<StationData> stations) { line.Station = std::move(stations); }
    void Observe(int32_t frame, Fixed4 speed, long double distance, int32_t ticks) {
        state.Frame = frame;
        state.Speed = speed;
        state.Distance = distance;
        state.ClockTicks = ticks;
        summary.Observe(state, line);
    }
    std::string Printed() const {
        std::ostringstream out;
        summary.Print(out);
        return out.str();
    }

    LineDefinition line;
    RunState state;
    RunSummary summary;
};

TEST(RunSummary, StationsStoppedAtPassedAndAgainstTheTimetable) {
    Summary s({MakeStation("Alpha", 0, 100, 15000, 972000),  // 09:00:00 = 9 x 3600 x 30
               MakeStation("Beta", 1, 1000, 0, 0), MakeStation("Gamma", 0, 2000, 200000, 981000),
               MakeStation("Delta", 2, 3000, 300000, 990000),
               MakeStation("Omega", 0, 5000, 0, 2700000)});
    s.Observe(150, 0, 15000, 971850);     // the run starts standing at Alpha
    s.Observe(160, 4999, 15010, 972000);  // 0.4999 km/h still rounds to 0
    s.Observe(165, 5001, 15020, 972030);  // moving: departs 09:00:01, 1.0 s late
    s.Observe(1050, 800000, 60000, 975000);
    s.Observe(1200, 900000, 70000, 976000);  // beyond Beta's zone at 09:02:13.3
    // 0.5 km/h rounds to 0 (ties to even): standing at Gamma at 09:05:15, 450
    // ticks = 15 s after the timetable, then creeping on to rest; moving up
    // again to stand 2.50 m past the stop position: the error is where the
    // train last rested and the last start is the departure.
    s.Observe(2050, 5000, 200123, 981450);
    s.Observe(2051, 0, 200200, 981480);
    s.Observe(2052, 30000, 200210, 981600);
    s.Observe(2053, 0, 200250, 981630);
    s.Observe(2054, 60000, 200300, 981690);   // 09:05:23, 23.0 s late
    s.Observe(3200, 700000, 310000, 989000);  // Delta passed without stopping
    s.Observe(3300, 0, 320000, 989100);       // a signal stop between stations is no station stop

    EXPECT_EQ(s.Printed(),
              "Run summary\n"
              "Maximum speed: 90.00 km/h\n"
              "Stations:\n"
              "  Alpha: start, departed 09:00:01 (+1.0 s), timetable 09:00:00\n"
              "  Beta: passed 09:02:13\n"
              "  Gamma: stopped, error +2.50 m, arrived 09:05:15 (+15.0 s), departed 09:05:23 "
              "(+23.0 s), timetable 09:05:00\n"
              "  Delta: passed 09:09:26 without stopping\n"
              "  Omega: not reached\n"
              "ATS alarms: 0; emergency brakings: 0 forced by ATS, 0 by vigilance, 0 by speed "
              "check\n");
    EXPECT_TRUE(s.summary.Stations()[0].origin);
    EXPECT_FALSE(s.summary.Stations()[2].origin);
}

TEST(RunSummary, AStopAtTheEndOfTheZoneDepartsEvenWhenTheNextRefreshIsBeyondIt) {
    Summary s({MakeStation("A", 0, 100, 10000, 0), MakeStation("B", 0, 900, 90000, 300)});
    s.Observe(50, 100000, 5000, 0);
    s.Observe(200, 0, 10020, 30);  // standing on the zone's last frame
    s.Observe(201, 20000, 10030, 60);
    EXPECT_TRUE(s.summary.Stations()[0].departureTicks);
    // Standing at B, then a jump back to A while standing: B's stop ends
    // without a departure and a new one starts at A.
    s.Observe(950, 0, 89950, 90);
    s.Observe(150, 0, 10000, 120);
    const auto& st = s.summary.Stations();
    EXPECT_FALSE(st[1].departureTicks);
    EXPECT_DOUBLE_EQ(static_cast<double>(st[1].stopErrorMetres), -0.5);  // 50 cm short
    EXPECT_EQ(st[1].arrivalTicks, 90);
    EXPECT_FALSE(st[0].departureTicks);  // back at A and standing again
    EXPECT_EQ(st[0].arrivalTicks, 30);   // the first arrival stays
}

TEST(RunSummary, StationsAMovePutsTheTrainPastAreNotMissedStops) {
    Summary s({MakeStation("A", 0, 100, 10000, 0), MakeStation("B", 0, 900, 90000, 300),
               MakeStation("C", 0, 2000, 200000, 600), MakeStation("D", 0, 3000, 300000, 900)});
    const auto observe = [&](int32_t frame, Fixed4 speed, int32_t ticks, int32_t moves) {
        s.state.Frame = frame;
        s.state.Speed = speed;
        s.state.Distance = frame * 100;
        s.state.ClockTicks = ticks;
        s.summary.Observe(s.state, s.line, moves);
    };
    observe(150, 0, 0, 0);
    observe(300, 100000, 30, 0);
    observe(2050, 0, 60, 1);  // put at C, past B
    observe(2060, 50000, 90, 1);
    observe(3500, 900000, 120, 1);  // then runs through D
    const std::string printed = s.Printed();
    EXPECT_NE(printed.find("  B: moved past\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("  C: start, departed 00:00:03"), std::string::npos) << printed;
    EXPECT_NE(printed.find("  D: passed 00:00:04 without stopping\n"), std::string::npos)
        << printed;
}

TEST(RunSummary, EmergencyBrakingsAreToldApartByWhatRang) {
    Summary s({});
    RunState& st = s.state;
    auto observe = [&](Fixed4 speed) { s.Observe(0, speed, 0, 0); };

    // The ATS bell rings, then brakes while still ringing: an ATS braking.
    st.AtsAlarm = true;
    observe(500000);
    st.ForcedEB = true;
    observe(500000);
    st.ForcedEB = st.AtsAlarm = false;  // reset after stopping
    observe(0);
    // An emergency brake with no bell: the vigilance device.
    st.VigilanceTimer = 650;
    observe(300000);
    st.ForcedEB = true;
    st.VigilanceTimer = 0;
    observe(300000);
    st.ForcedEB = false;
    observe(0);
    // The device firing while a bell rings (its counter, running above 1 km/h,
    // drops back to 0) is still the device's braking.
    st.AtsAlarm = true;
    st.VigilanceTimer = 650;
    observe(300000);
    st.ForcedEB = true;
    st.VigilanceTimer = 0;
    observe(300000);
    st.ForcedEB = st.AtsAlarm = false;
    observe(0);
    // A train without the device never counts: an ATS brake with the counter at
    // 0 throughout stays an ATS braking.
    st.AtsAlarm = true;
    observe(300000);
    st.ForcedEB = true;
    observe(300000);
    // Speed-check brakings are counted on their own, each once while held.
    st.SpeedCheckEB = true;
    observe(300000);
    observe(200000);
    st.SpeedCheckEB = false;
    observe(100000);
    st.SpeedCheckEB = true;
    observe(100000);

    EXPECT_EQ(s.summary.AtsAlarmCount(), 3);
    EXPECT_EQ(s.summary.AtsBrakingCount(), 2);
    EXPECT_EQ(s.summary.VigilanceBrakingCount(), 2);
    EXPECT_EQ(s.summary.ForcedEBCount(), 4);
    EXPECT_EQ(s.summary.SpeedCheckBrakingCount(), 2);
    EXPECT_NE(s.Printed().find("ATS alarms: 3; emergency brakings: 2 forced by ATS, 2 by "
                               "vigilance, 2 by speed check\n"),
              std::string::npos);
}

TEST(RunSummary, ClockTextsBeyondADayAndBeforeMidnight) {
    // The clock, moved by the test keys, may stand before midnight or past 24 hours.
    Summary s({MakeStation("Late", 0, 100, 0, 2700000)});  // 25:00:00
    s.Observe(50, 100000, 0, -60);
    s.Observe(150, 0, 0, -45);  // 1.5 s before midnight, 90001.5 s before the timetable
    s.Observe(150, 100000, 0, 2700030);
    EXPECT_NE(s.Printed().find("  Late: stopped, error +0.00 m, arrived -00:00:01 (-90001.5 s), "
                               "departed 25:00:01 (+1.0 s), timetable 25:00:00\n"),
              std::string::npos)
        << s.Printed();
}

}  // namespace
}  // namespace kelvaron
