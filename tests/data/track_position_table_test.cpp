#include "data/track_position_table.h"

#include <gtest/gtest.h>

#include "data/line_file_reader.h"
#include "platform/qt/qt_picture_loader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

const std::string kError = "路線ファイルに誤りがあります。";

SpeedUnitData Unit(int32_t fa, int32_t fb, int32_t sa, int32_t sb) {
    return {.StartFrame = fa, .EndFrame = fb, .StartSpeed = sa, .EndSpeed = sb};
}
SignalData SignalAt(int32_t frame) {
    SignalData signal;
    signal.LimitFrame = frame;
    return signal;
}
SpeedLimitData LimitAt(int32_t speed, int32_t frame) {
    return {.LimitSpeed = speed, .StartFrame = frame};
}
StationData StationIn(int32_t kind, int32_t zoneStart, int32_t zoneEnd) {
    StationData station;
    station.Kind = kind;
    station.ZoneStart = zoneStart;
    station.ZoneEnd = zoneEnd;
    station.StopPosition = 777;  // a value left from before, to see which stations are set
    return station;
}

TEST(TrackPositionTable, OneUnitAtConstantSpeed) {
    // 36 km/h is 10 m/s: 150 frames (5 s) are 50 m, 300 frames 100 m.
    LineDefinition line;
    line.SpeedUnit = {Unit(0, 300, 36, 36)};
    line.Signal = {SignalAt(150)};
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    EXPECT_EQ(line.SpeedUnit[0].CumulativeDistance, 10000);
    ASSERT_EQ(line.EventCount, 1);
    EXPECT_EQ(line.EventTable[0].Position, 5000);
    EXPECT_EQ(line.EventTable[0].Kind, 0);
    EXPECT_EQ(line.EventTable[0].Index, 0);
}

TEST(TrackPositionTable, SpeedVariesLinearlyAndLengthsRoundToEven) {
    // 0 -> 72 km/h over 300 frames: at frame 150 the speed is 36, mean 18 km/h = 5 m/s for 5 s.
    // The second unit is 27 x 13 / 2.16 = 162.5, which rounds to 162.
    LineDefinition line;
    line.SpeedUnit = {Unit(0, 300, 0, 72), Unit(300, 313, 13, 14)};
    line.Signal = {SignalAt(150)};
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    EXPECT_EQ(line.EventTable[0].Position, 2500);
    EXPECT_EQ(line.SpeedUnit[0].CumulativeDistance, 10000);
    EXPECT_EQ(line.SpeedUnit[1].CumulativeDistance, 10162);
}

TEST(TrackPositionTable, SignalsThenLimitsUnitByUnit) {
    // Two units of 100 m at 36 km/h. Signals on a unit's start or end get no entry; a limit on
    // the shared boundary is entered from both units.
    LineDefinition line;
    line.SpeedUnit = {Unit(0, 300, 36, 36), Unit(300, 600, 36, 36)};
    line.Signal = {SignalAt(450), SignalAt(0), SignalAt(300), SignalAt(150), SignalAt(600)};
    line.SpeedLimit = {LimitAt(45, 300), LimitAt(80, 0)};
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    ASSERT_EQ(line.EventCount, 5);
    ASSERT_EQ(line.EventTable.size(), 5u);
    EXPECT_EQ(line.EventTable[0].Index, 3);
    EXPECT_EQ(line.EventTable[0].Position, 5000);
    EXPECT_EQ(line.EventTable[1].Index, 0);
    EXPECT_EQ(line.EventTable[1].Position, 15000);  // 100 m + 50 m
    EXPECT_EQ(line.EventTable[2].Kind, 45);
    EXPECT_EQ(line.EventTable[2].Position, 10000);
    EXPECT_EQ(line.EventTable[3].Kind, 80);
    EXPECT_EQ(line.EventTable[3].Position, 0);
    EXPECT_EQ(line.EventTable[4].Kind, 45);
    EXPECT_EQ(line.EventTable[4].Position, 10000);
    EXPECT_EQ(line.SpeedLimit[0].LimitPosition, 10000);
}

TEST(TrackPositionTable, StationsAndSoundSources) {
    // Unit 1: 150 frames at 36 km/h = 50 m. Unit 2 at 72 km/h (20 m/s).
    LineDefinition line;
    line.SpeedUnit = {Unit(0, 150, 36, 36), Unit(150, 300, 72, 72)};
    line.Station = {StationIn(0, 100, 201), StationIn(1, 100, 201), StationIn(2, 100, 200),
                    StationIn(0, 400, 500)};
    line.Doppler = {{.SourceFrame = 0}, {.SourceFrame = 150}, {.SourceFrame = 165}};
    line.Doppler[0].SourcePosition = 777;
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    // m = 150.5 lies in unit 2: 5000 + 20 m/s x 0.5/30 s = 5000 + 33.3 (1/100 m).
    EXPECT_EQ(line.Station[0].StopPosition, 5033);
    EXPECT_EQ(line.Station[1].StopPosition, 777);    // passed: untouched
    EXPECT_EQ(line.Station[2].StopPosition, 5000);   // m = 150, the end of unit 1
    EXPECT_EQ(line.Station[3].StopPosition, 777);    // beyond the last unit
    EXPECT_EQ(line.Doppler[0].SourcePosition, 777);  // on the first unit's start: excluded
    EXPECT_EQ(line.Doppler[1].SourcePosition, 5000);
    EXPECT_EQ(line.Doppler[2].SourcePosition, 6000);  // 15 frames = 0.5 s at 20 m/s
}

TEST(TrackPositionTable, NoUnitsNoPositions) {
    LineDefinition line;
    line.Signal = {SignalAt(150)};
    line.SpeedLimit = {LimitAt(45, 0)};
    line.SpeedLimit[0].LimitPosition = 777;
    line.Station = {StationIn(0, 0, 10)};
    line.EventTable = {EventEntry{}};
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    EXPECT_TRUE(line.EventTable.empty());
    EXPECT_EQ(line.EventCount, 0);
    EXPECT_EQ(line.SpeedLimit[0].LimitPosition, 777);
    EXPECT_EQ(line.Station[0].StopPosition, 777);
}

TEST(TrackPositionTable, TableCapacityCountsBoundaryLimitsTwice) {
    LineDefinition line;
    line.SpeedUnit = {Unit(0, 1000, 36, 36), Unit(1000, 2000, 36, 36)};
    line.SpeedLimit = {LimitAt(45, 1000)};
    for (int i = 0; i < 499; ++i) line.Signal.push_back(SignalAt(1 + i));
    std::string error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    EXPECT_EQ(line.EventCount, 501);
    line.Signal.push_back(SignalAt(1500));
    EXPECT_FALSE(BuildTrackPositionTable(line, error));
    EXPECT_EQ(error, kError + "[Signal]:信号と速度制限の登録数 502 が上限 501 を超えています");
    EXPECT_TRUE(line.EventTable.empty());
}

TEST(TrackPositionTable, DistancesBeyond32BitsAreErrors) {
    // 1000 -> -1000 km/h over 10^7 frames: the unit is 0 m long, yet halfway the distance is
    // 1000/7.2 x 5e6/30 x 100 = 2.3e9, beyond 2^31 - 1.
    LineDefinition line;
    line.SpeedUnit = {Unit(0, 10000000, 1000, -1000)};
    line.Signal = {SignalAt(5000000)};
    std::string error;
    EXPECT_FALSE(BuildTrackPositionTable(line, error));
    EXPECT_EQ(error, kError + "[Signal]:フレーム 5000000 の位置が32ビットの範囲を超えています");
    // A unit that does not run forwards would divide by zero.
    line.SpeedUnit = {Unit(300, 300, 36, 36)};
    EXPECT_FALSE(BuildTrackPositionTable(line, error));
    EXPECT_EQ(error, kError + "[SpeedUnit]:300,300,36,36");
}

TEST(TrackPositionTable, FixtureLine) {
    QtPictureLoader pictures;
    CabImageLists images;
    LineDefinition line;
    std::string error;
    ASSERT_TRUE(LoadLineFile(test::FixtureDir() / "fixtures", "line_basic.dat", pictures, images,
                             line, error))
        << error;
    ASSERT_TRUE(BuildTrackPositionTable(line, error)) << error;
    // Units: 50 x 600 / 2.16 = 13888.9, 115 x 1800 / 2.16 = 95833.3, 140 x 1500 / 2.16 =
    // 97222.2, 75 x 900 / 2.16 = 31250, rounded each and summed.
    EXPECT_EQ(line.SpeedUnit[3].CumulativeDistance, 238194);
    EXPECT_EQ(line.EventCount, 5);  // three signals, two limits
    // Signal at 700: speed 45 + 25 x 100/1800 = 46.39; (46.39 + 45) / 7.2 x 100/30 x 100 = 4231.
    EXPECT_EQ(line.EventTable[0].Position, 13889 + 4231);
    // Station at m = 4780: speed 70 - 65 x 880/900 = 6.44; (6.44 + 70) / 7.2 x 880/30 x 100
    // = 31144.
    EXPECT_EQ(line.Station[2].StopPosition, 206944 + 31144);
}

}  // namespace
}  // namespace kelvaron
