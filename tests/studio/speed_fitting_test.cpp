#include "studio/speed_fitting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kelvaron {
namespace {

// Speed of the units at a frame, linear inside each.
double SpeedAt(const std::vector<SpeedUnitData>& units, int32_t frame) {
    for (const auto& u : units) {
        if (u.StartFrame <= frame && frame <= u.EndFrame) {
            return u.StartSpeed + (u.EndSpeed - u.StartSpeed) *
                                      static_cast<double>(frame - u.StartFrame) /
                                      (u.EndFrame - u.StartFrame);
        }
    }
    return NAN;
}

SpeedProfile Sampled(const std::vector<SpeedUnitData>& units) {
    SpeedProfile profile;
    profile.firstFrame = units.front().StartFrame;
    for (int32_t f = units.front().StartFrame; f <= units.back().EndFrame; ++f) {
        profile.kmh.push_back(SpeedAt(units, f));
    }
    return profile;
}

bool Same(const SpeedUnitData& a, const SpeedUnitData& b) {
    return a.StartFrame == b.StartFrame && a.EndFrame == b.EndFrame &&
           a.StartSpeed == b.StartSpeed && a.EndSpeed == b.EndSpeed;
}

TEST(SpeedFitting, PiecewiseLinearProfileIsRecoveredExactly) {
    // Departure, run, braking, a stand at a station, departure again.
    const std::vector<SpeedUnitData> truth = {
        {.StartFrame = 100, .EndFrame = 1000, .StartSpeed = 0, .EndSpeed = 60},
        {.StartFrame = 1000, .EndFrame = 3000, .StartSpeed = 60, .EndSpeed = 60},
        {.StartFrame = 3000, .EndFrame = 3600, .StartSpeed = 60, .EndSpeed = 0},
        {.StartFrame = 3600, .EndFrame = 3900, .StartSpeed = 0, .EndSpeed = 0},
        {.StartFrame = 3900, .EndFrame = 4500, .StartSpeed = 0, .EndSpeed = 40}};
    std::string error;
    auto fit = FitSpeedUnits(Sampled(truth), 0.05, error);
    ASSERT_TRUE(fit) << error;
    ASSERT_EQ(fit->units.size(), truth.size());
    for (size_t i = 0; i < truth.size(); ++i) EXPECT_TRUE(Same(fit->units[i], truth[i])) << i;
    EXPECT_DOUBLE_EQ(fit->tolerance, 0.05);
}

TEST(SpeedFitting, NoisyProfileKeepsToleranceWithFewUnits) {
    const std::vector<SpeedUnitData> truth = {
        {.StartFrame = 0, .EndFrame = 1500, .StartSpeed = 0, .EndSpeed = 75},
        {.StartFrame = 1500, .EndFrame = 6000, .StartSpeed = 75, .EndSpeed = 80},
        {.StartFrame = 6000, .EndFrame = 7200, .StartSpeed = 80, .EndSpeed = 0}};
    SpeedProfile noisy = Sampled(truth);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.4, 0.4);
    for (double& v : noisy.kmh) v += noise(random);
    std::string error;
    auto fit = FitSpeedUnits(noisy, 1.0, error);
    ASSERT_TRUE(fit) << error;
    // Noise of 0.4 leaves 0.6 of the 1 km/h for the line: a few units per true one, not one
    // per few frames.
    EXPECT_LE(fit->units.size(), 12u);
    EXPECT_EQ(fit->units.front().StartFrame, 0);
    EXPECT_EQ(fit->units.back().EndFrame, 7200);
    for (size_t i = 0; i < noisy.kmh.size(); ++i) {
        ASSERT_LE(
            std::abs(SpeedAt(fit->units, static_cast<int32_t>(i)) - std::max(0.0, noisy.kmh[i])),
            1.0 + 1e-9)
            << i;
    }
    for (size_t i = 1; i < fit->units.size(); ++i) {
        EXPECT_EQ(fit->units[i].StartFrame, fit->units[i - 1].EndFrame);
        EXPECT_EQ(fit->units[i].StartSpeed, fit->units[i - 1].EndSpeed);
    }
}

TEST(SpeedFitting, ToleranceWidensToStayWithinTheFilesCapacity) {
    // A speed that swings by 6 km/h every 20 frames needs a unit per swing at 1 km/h:
    // 3000 units for 60000 frames, more than the 501 a file holds.
    SpeedProfile profile;
    for (int32_t f = 0; f < 60000; ++f) profile.kmh.push_back(50 + 3 * std::sin(f * 3.14159 / 20));
    std::string error;
    auto fit = FitSpeedUnits(profile, 1.0, error);
    ASSERT_TRUE(fit) << error;
    EXPECT_LE(fit->units.size(), 501u);
    EXPECT_GT(fit->tolerance, 1.0);

    EXPECT_FALSE(FitSpeedUnits(profile, 0, error));
    EXPECT_FALSE(FitSpeedUnits(SpeedProfile{.firstFrame = 0, .kmh = {5}}, 1, error));
}

}  // namespace
}  // namespace kelvaron
