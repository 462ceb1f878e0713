#include "run/value_window.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "common/common_util.h"
#include "test_run.h"

namespace kelvaron {
namespace {

struct Fixture : test::TestRun {
    ValueWindowModel window;
};

TEST(FormatFixed4, DecimalsFromTheExactForm) {
    EXPECT_EQ(FormatFixed4(123456, 1), "12.3");
    EXPECT_EQ(FormatFixed4(125000, 1), "12.5");
    EXPECT_EQ(FormatFixed4(124500, 0), "12");
    EXPECT_EQ(FormatFixed4(125000, 0), "13");  // halves away from zero
    EXPECT_EQ(FormatFixed4(-125000, 0), "-13");
    EXPECT_EQ(FormatFixed4(-400, 1), "0.0");  // no "-0.0"
    EXPECT_EQ(FormatFixed4(3450, 2), "0.35");
    EXPECT_EQ(FormatFixed4(7, 4), "0.0007");
    // The whole range fits, and a request beyond four decimals gets four.
    EXPECT_EQ(FormatFixed4(std::numeric_limits<Fixed4>::min(), 4), "-922337203685477.5808");
    EXPECT_EQ(FormatFixed4(std::numeric_limits<Fixed4>::max(), 0), "922337203685478");
    EXPECT_EQ(FormatFixed4(15, 9), "0.0015");
}

TEST(ValueWindow, HiddenWindowComputesNothing) {
    Fixture f;
    f.state.Speed = 500000;
    UpdateValueWindow(f.run, f.window);
    EXPECT_EQ(f.window.values[0], "");
    f.state.ValueWindowShown = true;
    UpdateValueWindow(f.run, f.window);
    EXPECT_EQ(f.window.values[0], "50.0 km/h");
}

TEST(ValueWindow, FiguresOfARunningTrain) {
    Fixture f;
    f.state.ValueWindowShown = true;
    f.train.Tons = 300 * kFixed4Scale;
    f.train.Mt = 120 * kFixed4Scale;
    f.state.TractiveForce = 300000 * kFixed4Scale;  // 300 kN on 300 t: 1 m/s2 = 3.6 km/h/s
    f.state.Adhesion = 2000;                        // 0.2
    f.state.BcPressure = 4400000;
    f.state.Distance = 123456;  // 1/100 m
    f.state.Frame = 4321;
    f.state.FilmingSpeed = 72;
    f.state.WheelState = "Normal";
    UpdateValueWindow(f.run, f.window);
    EXPECT_EQ(f.window.values[1], "3.6 km/h/s");
    EXPECT_EQ(f.window.values[3], "Normal");
    EXPECT_EQ(f.window.values[4], "300000 N");
    // 0.2 x 120 t x 9.8 = 235200 N, the braking limit on 300 t is -588000 N.
    EXPECT_EQ(f.window.values[7], "235200 N");
    EXPECT_EQ(f.window.values[8], "-588000 N");
    EXPECT_EQ(f.window.values[9], "440 kPa");
    EXPECT_EQ(f.window.values[13], "4321");
    EXPECT_EQ(f.window.values[14], "72 km/h");
    EXPECT_EQ(f.window.values[17], "1235 m");
    EXPECT_EQ(f.window.bars[0], 300000);
    EXPECT_EQ(f.window.bars[1], 235200);
    EXPECT_EQ(f.window.bars[2], -500000);  // beyond the bar: pinned at its end
}

// A figure is written again only when its number changes, and then always:
// also back to an earlier number, and after one that was not a number.
TEST(ValueWindow, FiguresFollowEveryChangeOfTheirNumber) {
    Fixture f;
    f.state.ValueWindowShown = true;
    f.train.Tons = 300 * kFixed4Scale;
    const std::vector<std::pair<Fixed4, std::string>> speeds{
        {500000, "50.0 km/h"}, {500000, "50.0 km/h"}, {-12345, "-1.2 km/h"}, {500000, "50.0 km/h"}};
    for (const auto& [speed, text] : speeds) {
        f.state.Speed = speed;
        UpdateValueWindow(f.run, f.window);
        EXPECT_EQ(f.window.values[0], text);
    }
    f.state.Distance = 200000;
    UpdateValueWindow(f.run, f.window);
    EXPECT_EQ(f.window.values[17], "2000 m");
    f.state.Distance = std::numeric_limits<long double>::quiet_NaN();
    UpdateValueWindow(f.run, f.window);
    EXPECT_EQ(f.window.values[17], "- m");
    f.state.Distance = 200000;
    UpdateValueWindow(f.run, f.window);
    EXPECT_EQ(f.window.values[17], "2000 m");
}

TEST(ValueWindow, GradeShortensTheAdhesionBars) {
    Fixture f;
    f.state.ValueWindowShown = true;
    f.train.Tons = 100 * kFixed4Scale;
    f.train.Mt = 100 * kFixed4Scale;
    f.state.Adhesion = 3450;
    UpdateValueWindow(f.run, f.window);
    const int32_t level = f.window.bars[1];  // 0.345 x 100 t x 9.8 = 338100 N
    EXPECT_EQ(level, 338100);
    f.state.Slope = 25 * kFixed4Scale;
    UpdateValueWindow(f.run, f.window);
    // 338100 x 1000 / sqrt(1000^2 + 25^2) = 337994.39 -> 337994
    EXPECT_EQ(f.window.bars[1], 337994);
    EXPECT_EQ(f.window.bars[2], -337994);
}

}  // namespace
}  // namespace kelvaron
