// The automatic driver through the program a user runs (`kelvaron --headless
// --autopilot`) on lines and trains made from the fixtures, each with the
// thing a driver must get right: stops on the mark, no protection braking,
// limits kept, doors worked, the timetable kept or its fault reported.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "made_line.h"
#include "test_support.h"
#include "trace_table.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

struct Limit {
    int32_t speed, fromFrame, toFrame;
};

// One station's line of the run summary.
struct StopLine {
    std::string name;
    bool stopped = false;
    long double error = 0;    // m
    long double arrival = 0;  // s against the timetable
};

struct Drive {
    test::ProgramRun run;
    test::Trace trace{""};

    std::vector<StopLine> Stops() const {
        std::vector<StopLine> stops;
        static const std::regex line(
            R"(  (\S+): stopped, error ([-+][0-9.]+) m, arrived \S+ \(([-+][0-9.]+) s\))");
        for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), line);
             it != std::sregex_iterator(); ++it) {
            stops.push_back({(*it)[1], true, std::stold((*it)[2]), std::stold((*it)[3])});
        }
        return stops;
    }
    bool Reports(const std::string& text) const { return run.out.find(text) != std::string::npos; }
};

class AutoDriver : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { data_ = test::MadeDataFolder(); }

    Drive Run(const test::DataText& train, const test::DataText& line) {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        train.WriteTo(data_ / ("train_" + name + ".dat"));
        line.WriteTo(data_ / ("line_" + name + ".dat"));
        const fs::path trace = data_ / ("trace_" + name + ".csv");
        Drive d;
        d.run = test::RunKelvaron("--headless --autopilot --data " + test::Quoted(data_) +
                                  " --train train_" + name + ".dat --line line_" + name +
                                  ".dat --trace " + test::Quoted(trace));
        d.trace = test::Trace(test::ReadAll(trace));
        return d;
    }

    // What every drive must show: the run ended, no protection acted, every
    // limit was kept, the handles never jerked the train and the two stops
    // of the line were met within 0.5 m.
    static void ExpectDrivenAsADriverMust(const Drive& d, const std::vector<Limit>& limits) {
        ASSERT_EQ(d.run.exitCode, 0) << d.run.err;
        EXPECT_TRUE(
            d.Reports("emergency brakings: 0 forced by ATS, 0 by vigilance, 0 by speed "
                      "check"))
            << d.run.out;
        EXPECT_TRUE(d.Reports(" 0 jolts")) << d.run.out;
        ASSERT_FALSE(d.trace.rows.empty());
        for (size_t i : d.trace.Of("refresh")) {
            ASSERT_EQ(d.trace.Int(i, "ForcedEB"), 0) << "t " << d.trace.Text(i, "t_ms");
            ASSERT_EQ(d.trace.Int(i, "SpeedCheckEB"), 0) << "t " << d.trace.Text(i, "t_ms");
            ASSERT_EQ(d.trace.Int(i, "PatternState"), 0) << "t " << d.trace.Text(i, "t_ms");
            const int64_t frame = d.trace.Int(i, "Frame");
            for (const Limit& l : limits) {
                if (l.fromFrame < frame && frame < l.toFrame) {
                    ASSERT_LE(d.trace.Int(i, "Speed"), l.speed * 10000)
                        << "frame " << frame << " in the limit of " << l.speed;
                }
            }
        }
        const std::vector<StopLine> stops = d.Stops();
        ASSERT_EQ(stops.size(), 1u) << d.run.out;  // the terminus; the origin is the start
        for (const StopLine& s : stops) EXPECT_LE(std::fabs(s.error), 0.5L) << s.name;
    }

    static fs::path data_;
};

fs::path AutoDriver::data_;

// The fixture line: limits of 45 km/h (frames 1000-1500) and 60 km/h
// (4000-4800), a check point of 45 km/h at frame 1200, a 10.5 permil climb.
const std::vector<Limit> kLineLimits = {{45, 1000, 1500}, {60, 4000, 4800}, {45, 1200, 1210}};

// The fixture line with a timetable a train can keep: 港北 at 10:04:40, four
// minutes and ten seconds for its 2.4 km (its own six minutes are more than a
// train needs).
test::DataText KeepableLine() {
    test::DataText line = test::Fixture("e2e_line.dat");
    line.Set("[Station]",
             "中央駅,0,0,60,0,1080900,1081200\n桜町,1,2000,2060,0,0,0\n"
             "港北,0,4500,4800,1,1088400,1088700\n#");
    return line;
}

TEST_F(AutoDriver, DrivesTheFixtureLineOnBothTrains) {
    for (const char* train : {"train_electric.dat", "train_diesel.dat"}) {
        SCOPED_TRACE(train);
        const Drive d = Run(test::Fixture(train), KeepableLine());
        ExpectDrivenAsADriverMust(d, kLineLimits);
        EXPECT_LE(std::fabs(d.Stops().at(0).arrival), 15) << d.run.out;
        EXPECT_TRUE(d.Reports("nothing to report")) << d.run.out;
    }
}

TEST_F(AutoDriver, KeepsALimitRightAfterTheStation) {
    // 20 km/h from frame 70, ten frames past the platform's end.
    test::DataText line = test::Fixture("e2e_line.dat");
    line.Set("[SpeedLimit]", "20,1,0,70,900\n45,1,0,1000,1500\n60,2,0,4000,4800\n#");
    const Drive d = Run(test::Fixture("train_electric.dat"), line);
    std::vector<Limit> limits = kLineLimits;
    limits.push_back({20, 70, 900});
    ExpectDrivenAsADriverMust(d, limits);
}

TEST_F(AutoDriver, WaitsAtASignalAtDangerUntilItClears) {
    // The home signal (view from 1800, signal at 2300) is held at danger
    // until 10:04:30 (1080000 + 270 s x 30), long after the train could
    // have passed it.
    test::DataText line = test::Fixture("e2e_line.dat");
    line.Set("[Signal]",
             "0,第1閉塞,0,3,300,700,500,700,4,0\n1,場内,1,5,1800,2300,2000,2300,0,1088100\n"
             "1,出発,2,2,3800,4790,4600,4790,4,1081800\n#");
    const Drive d = Run(test::Fixture("train_electric.dat"), line);
    ExpectDrivenAsADriverMust(d, kLineLimits);
    // Standing before the signal when it cleared, and never past it before.
    const auto cleared =
        d.trace.FirstRefresh([&](size_t i) { return d.trace.Int(i, "ClockTicks") > 1088100; });
    ASSERT_TRUE(cleared);
    EXPECT_LT(std::abs(d.trace.Int(*cleared, "Speed")), 1000);  // at rest on the climb
    EXPECT_LT(d.trace.Int(*cleared, "Frame"), 2300);
    // The bell of the signal's alarm point rang once and was answered.
    EXPECT_TRUE(d.Reports("ATS alarms: 1;")) << d.run.out;
}

TEST_F(AutoDriver, StaysUnderTheBrakingPattern) {
    test::DataText train = test::Fixture("train_electric.dat");
    train.Set("[ATS_Type]", "1");
    const Drive d = Run(train, test::Fixture("e2e_line.dat"));
    ExpectDrivenAsADriverMust(d, kLineLimits);
}

TEST_F(AutoDriver, WorksTheDoorsOnAOneManLine) {
    test::DataText line = test::Fixture("e2e_line.dat");
    line.Set("[OneMan]", "1");
    const Drive d = Run(test::Fixture("train_diesel.dat"), line);
    ExpectDrivenAsADriverMust(d, kLineLimits);
    // Doors shut to leave the first station, open again at the terminus.
    EXPECT_EQ(d.trace.Changes("DoorsOpen"), (std::vector<int64_t>{1, 0, 1}));
}

TEST_F(AutoDriver, SetsOutFromARunThatStartsBetweenStations) {
    // Past the origin and 桜町: the run starts with the doors shut, as no
    // platform would close them, and the driver takes the train on to 港北,
    // where the conductor opens them.
    test::DataText line = test::Fixture("e2e_line.dat");
    line.Set("[StartPos]", "2500");
    const Drive d = Run(test::Fixture("train_electric.dat"), line);
    ExpectDrivenAsADriverMust(d, kLineLimits);
    EXPECT_EQ(d.trace.Changes("DoorsOpen"), (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(d.Stops().at(0).name, "港北");
    // The origin behind the train is no stop the driver missed.
    EXPECT_TRUE(d.Reports("  中央駅: behind the start\n")) << d.run.out;
    EXPECT_TRUE(d.Reports("Stop accuracy 25/25: 1 of 1 stops")) << d.run.out;
}

TEST_F(AutoDriver, WorksAOneLeverHandleWithAHoldPosition) {
    test::DataText train = test::Fixture("train_electric.dat");
    train.Set("[Handle]", "0").Set("[Hold]", "1");
    const Drive d = Run(train, test::Fixture("e2e_line.dat"));
    ExpectDrivenAsADriverMust(d, kLineLimits);
}

TEST_F(AutoDriver, ReportsATimetableItCannotKeepAndStillStopsAtTheRed) {
    // 港北 at 10:02:00: the 2.4 km with their limits take longer; and the
    // home signal stays at danger until 10:03:20 on top.
    test::DataText line = test::Fixture("e2e_line.dat");
    line.Set("[Station]",
             "中央駅,0,0,60,0,1080900,1081200\n桜町,1,2000,2060,0,0,0\n"
             "港北,0,4500,4800,1,1083600,1083900\n#")
        .Set("[Signal]",
             "0,第1閉塞,0,3,300,700,500,700,4,0\n1,場内,1,5,1800,2300,2000,2300,0,1086000\n"
             "1,出発,2,2,3800,4790,4600,4790,4,1081800\n#");
    const Drive d = Run(test::Fixture("train_electric.dat"), line);
    ExpectDrivenAsADriverMust(d, kLineLimits);
    EXPECT_TRUE(d.Reports("the timetable cannot be kept")) << d.run.out;
    EXPECT_GT(d.Stops().at(0).arrival, 15);
}

TEST_F(AutoDriver, CheckDrivesTheLineForItsAuthor) {
    KeepableLine().WriteTo(data_ / "line_check.dat");
    const test::ProgramRun good =
        test::RunKelvaron("check --data " + test::Quoted(data_) +
                          " --train train_electric.dat --line line_check.dat --drive");
    EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
    EXPECT_NE(good.out.find("nothing to report"), std::string::npos) << good.out;

    test::DataText tight = test::Fixture("e2e_line.dat");
    tight.Set("[Station]",
              "中央駅,0,0,60,0,1080900,1081200\n桜町,1,2000,2060,0,0,0\n"
              "港北,0,4500,4800,1,1083000,1083300\n#");
    tight.WriteTo(data_ / "line_tight.dat");
    const test::ProgramRun late =
        test::RunKelvaron("check --data " + test::Quoted(data_) +
                          " --train train_electric.dat --line line_tight.dat --drive");
    EXPECT_EQ(late.exitCode, 1) << late.out << late.err;
    EXPECT_NE(late.out.find("the timetable cannot be kept"), std::string::npos) << late.out;
}

}  // namespace
}  // namespace kelvaron
