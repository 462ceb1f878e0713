#include "shell/trace_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace kelvaron {
namespace {

constexpr char kExpectedHeader[] =
    "t_ms,event,Frame,Speed,Distance,ClockTicks,PowerNotch,BrakeNotch,HoldPosition,Reverser,"
    "EffectivePower,EffectiveBrake,SapNotch,TractiveForce,ResistForce,MotorForce,BcPressure,"
    "BpPressure,MrPressure,SapPressure,McBcPressure,CompressorOn,Slope,Adhesion,DoorsOpen,"
    "ForcedEB,SpeedCheckEB,FilmingSpeed,TargetDistance,RemainingDistance,LeaderFrame,WheelState,"
    "AtsLimit,AtsAlarm,SignalImageIndex,CurrentSignal,PatternState,VigilanceTimer,AnnouncePos,"
    "StationFlagsDone\n";

TEST(TraceWriter, HeaderAndOneRowInColumnOrder) {
    // Every column a different value, so a swapped or missing column shows.
    RunState s;
    s.Speed = -123456;
    s.TractiveForce = 987654321;
    s.ResistForce = -5;
    s.MotorForce = 7;
    s.Adhesion = 3450;
    s.Slope = -250000;
    s.Reverser = -1;
    s.PowerNotch = 3;
    s.BrakeNotch = -2;
    s.HoldPosition = true;
    s.EffectivePower = 2;
    s.EffectiveBrake = -1;
    s.SapNotch = -8;
    s.ForcedEB = true;
    s.VigilanceTimer = 17;
    s.BcPressure = 4900000;
    s.BpPressure = 1;
    s.MrPressure = 2;
    s.SapPressure = 3;
    s.McBcPressure = 4;
    s.CompressorOn = true;
    s.Frame = 1234;
    s.FilmingSpeed = 60;
    s.Distance = 12.5L;
    s.TargetDistance = -0.0001L;
    // Above the tie 0.03125 by 2^-60, which only extended precision holds:
    // 0.0313, where a detour through double would give the tie's 0.0312.
    s.RemainingDistance = 0.03125L + std::ldexp(1.0L, -60);
    s.ClockTicks = 972000;
    s.SignalImageIndex = 5;
    s.AtsAlarm = true;
    s.PatternState = 2;
    s.AnnouncePos = 4;
    s.StationFlag[0].doorsClosed = true;
    s.StationFlag[2].doorsClosed = true;
    s.StationFlag[5].doorsClosed = true;  // beyond the 5 stations: not counted

    std::ostringstream out;
    TraceWriter writer(out);
    writer.WriteRow(4200, "refresh", s, 5);
    EXPECT_EQ(out.str(), std::string(kExpectedHeader) +
                             "4200,refresh,1234,-123456,12.5000,972000,3,-2,1,-1,2,-1,-8,"
                             "987654321,-5,7,4900000,1,2,3,4,1,-250000,3450,0,1,0,60,-0.0001,"
                             "0.0313,0,,999,1,5,999,2,17,4,2\n");
}

TEST(TraceWriter, DistancesRoundHalfEvenAndFlagsCountOnlyTheLinesStations) {
    RunState s;
    s.WheelState = "Sliding";
    s.Distance = 0.03125L;
    s.TargetDistance = 0.09375L;
    s.RemainingDistance = -1234567.00004L;
    std::ostringstream out;
    TraceWriter writer(out);
    writer.WriteRow(33, "tick", s, 0);
    std::string row = out.str().substr(TraceWriter::kHeader.size() + 1);
    // Exact ties at the 4th decimal go to the even digit: 0.0312 and 0.0938.
    EXPECT_EQ(row.substr(0, 24), "33,tick,0,0,0.0312,0,0,0");
    EXPECT_NE(row.find(",0.0938,-1234567.0000,0,Sliding,"), std::string::npos) << row;

    for (int i : {0, 3, 99, 100}) s.StationFlag[i].doorsClosed = true;
    EXPECT_EQ(StationFlagsDone(s, 4), 2);
    EXPECT_EQ(StationFlagsDone(s, 100), 3);
    EXPECT_EQ(StationFlagsDone(s, 1000), 4);  // never beyond the flag table
    EXPECT_EQ(StationFlagsDone(s, -1), 0);
}

// Traces recorded by earlier versions were written with printf's "%.4Lf";
// they must still compare byte for byte, at every magnitude and sign.
TEST(TraceWriter, DistanceTextIsPrintfsAtEveryMagnitude) {
    std::vector<long double> values = {0.0L,
                                       -0.0L,
                                       std::numeric_limits<long double>::denorm_min(),
                                       -std::numeric_limits<long double>::denorm_min(),
                                       std::ldexp(1.0L, 50) - 0.5L,
                                       std::ldexp(1.0L, 50),
                                       -std::ldexp(1.0L, 60),
                                       1e300L,
                                       -1e4000L,
                                       std::numeric_limits<long double>::infinity(),
                                       -std::numeric_limits<long double>::quiet_NaN()};
    // Exact binary halves of the last digit, and their neighbours one unit
    // of the 64-bit mantissa away, from a few 1/100 m to across the line.
    for (int e = -16; e <= 48; e += 4) {
        for (long double k : {1.0L, 3.0L, 5.0L, 7.0L, 12345.0L}) {
            const long double tie = std::ldexp(k, e) + 0.00005L;
            for (long double v : {tie, std::nextafter(tie, 0.0L), std::nextafter(tie, 1e30L)}) {
                values.push_back(v);
                values.push_back(-v);
            }
        }
    }
    for (int k = -2000; k <= 2000; ++k) values.push_back(k / 20000.0L + k * 1024.0L);

    for (long double v : values) {
        RunState s;
        s.Distance = v;
        std::ostringstream out;
        TraceWriter writer(out);
        writer.WriteRow(0, "tick", s, 0);
        const std::string row = out.str().substr(TraceWriter::kHeader.size() + 1);
        std::string expected(static_cast<size_t>(std::snprintf(nullptr, 0, "%.4Lf", v)), ' ');
        std::snprintf(expected.data(), expected.size() + 1, "%.4Lf", v);
        expected = "0,tick,0,0," + expected + ",";
        EXPECT_EQ(row.substr(0, expected.size()), expected);
    }
}

}  // namespace
}  // namespace kelvaron
