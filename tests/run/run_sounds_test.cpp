#include "run/run_sounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "test_run.h"

namespace kelvaron {
namespace {

struct Fixture : test::TestRun {
    Fixture() { train.DriveSound.assign(13, "band.wav"); }
    void SetSpeed(long double kmh) { state.Speed = Round(kmh * kFixed4Scale); }
};

TEST(RollingNoise, BandsCrossFadeByTenKmh) {
    Fixture f;
    f.SetSpeed(0);
    RollingNoise(f.run);
    // 0 km/h: band 0 at w = 100 % (0 dB), band 1 at w = 1 % (2000 log10 0.01 = -4000).
    EXPECT_TRUE(f.mixer.IsPlaying(0));
    EXPECT_EQ(f.mixer.Volume(0), 0);
    EXPECT_EQ(f.mixer.Volume(1), -4000);

    f.SetSpeed(15);
    RollingNoise(f.run);
    // 15 km/h: bands 1 and 2 at 50 % each: 2000 log10 0.5 = -602.
    EXPECT_EQ(f.mixer.Volume(1), -602);
    EXPECT_EQ(f.mixer.Volume(2), -602);

    f.SetSpeed(11);
    RollingNoise(f.run);
    EXPECT_FALSE(f.mixer.IsPlaying(0));  // above 10 km/h band 0 is stopped
}

TEST(RollingNoise, FewBandsNeverTouchLineSoundChannels) {
    Fixture f;
    f.train.DriveSound.assign(3, "band.wav");  // channels 3.. belong to the line
    f.SetSpeed(45);
    RollingNoise(f.run);
    EXPECT_EQ(f.mixer.Count("loop", 4), 0);
    EXPECT_EQ(f.mixer.Count("loop", 5), 0);
}

TEST(TrackSounds, LoopStartsOnceFollowsSpeedAndStops) {
    Fixture f;
    f.line.Sound = {{2, 1000, 1200, 60, 1}};  // line sound 2 = channel 13 + 2
    const int channel = 15;
    f.SetSpeed(30);
    f.state.Frame = 997;
    TrackSounds(f.run);
    EXPECT_EQ(f.mixer.Count("loop", channel), 1);
    f.state.Frame = 1100;
    TrackSounds(f.run);
    EXPECT_DOUBLE_EQ(static_cast<double>(f.mixer.ratios[channel]), 0.5);  // 30 / 60
    EXPECT_EQ(f.mixer.Volume(channel), -602);
    f.state.Frame = 1196;
    TrackSounds(f.run);
    EXPECT_FALSE(f.mixer.IsPlaying(channel));
    f.state.Frame = 1001;  // passing the start again does not restart it
    TrackSounds(f.run);
    EXPECT_EQ(f.mixer.Count("loop", channel), 1);
}

TEST(TrackSounds, ZeroReferenceSpeedIsSilentNotAFailure) {
    Fixture f;
    f.line.Sound = {{0, 100, 200, 0, 1}};
    f.SetSpeed(20);
    f.state.Frame = 150;
    TrackSounds(f.run);
    EXPECT_EQ(f.mixer.Count("frequency", 13), 0);
    EXPECT_EQ(f.mixer.Volume(13), -10000);
}

TEST(Announcements, SilentInOneManOperation) {
    Fixture f;
    f.line.Announce = {{1, 500}};
    f.state.Frame = 503;
    f.line.OneMan = 1;
    Announcements(f.run);
    EXPECT_EQ(f.mixer.Count("play", 14), 0);
    f.line.OneMan = 0;
    Announcements(f.run);
    EXPECT_EQ(f.mixer.Count("play", 14), 1);
}

TEST(PassingSources, PitchDropsAsTheSourcePasses) {
    Fixture f;
    f.line.Doppler = {{0, 0, 10000, 0, 50000}};  // 100 m range, source at 500 m
    f.SetSpeed(72);
    f.state.Distance = 30000;  // 200 m before it: silent
    PassingSources(f.run);
    EXPECT_FALSE(f.mixer.IsPlaying(13));
    f.state.Distance = 45000;  // 50 m ahead
    PassingSources(f.run);
    const long double ahead = f.mixer.ratios[13];
    EXPECT_GT(ahead, 1.0L);
    EXPECT_EQ(f.mixer.Volume(13), -602);  // (100 - 50) / 100 = 0.5
    f.state.Distance = 55000;             // 50 m behind
    PassingSources(f.run);
    EXPECT_LT(f.mixer.ratios[13], 1.0L);
    f.state.Distance = 70000;
    PassingSources(f.run);
    EXPECT_FALSE(f.mixer.IsPlaying(13));
}

TEST(MotorSounds, PowerOffFadesToMinusTwentyDecibels) {
    Fixture f;
    MotorSoundData m;
    m.Mode = 0;
    m.LowSpeed = 0;
    m.HighSpeed = 100;
    m.LowPitch = 0.5L;
    m.HighPitch = 1.5L;
    m.LowVolume = 100;
    m.HighVolume = 100;
    f.train.MotorSound = {m};
    f.state.MotorGateVolume[0] = 1;
    f.state.MotorCurveVolume[0] = 1;
    f.SetSpeed(50);
    f.state.EffectivePower = 2;
    MotorSounds(f.run);
    EXPECT_EQ(f.mixer.Volume(240), 0);  // 100 x 100 x 100 / 1e6 = 1
    EXPECT_DOUBLE_EQ(static_cast<double>(f.mixer.ratios[240]), 1.0);
    f.state.EffectivePower = 0;
    for (int i = 0; i < 12; ++i) MotorSounds(f.run);
    // Gate 100 falls by 10 while above 16: 90 ... 20, 10, then stays at 10.
    EXPECT_EQ(f.mixer.Volume(240), -2000);
    EXPECT_TRUE(f.mixer.IsPlaying(240));
}

TEST(BrakeSqueal, LouderWithPressureAndFadesOut) {
    Fixture f;
    f.train.Sound_squeak = 20;
    f.train.Lose_elec = 30;
    f.state.EffectiveBrake = -3;
    f.state.BcPressure = 2000000;  // 200 kPa
    f.SetSpeed(10);
    BrakeSqueal(f.run);
    EXPECT_TRUE(f.mixer.IsPlaying(20));
    EXPECT_EQ(f.mixer.Volume(20), -1250);  // -250000 / 200
    f.state.EffectiveBrake = 0;
    for (int i = 0; i < 38; ++i) BrakeSqueal(f.run);  // -1250 - 100 x 38 = -5050
    EXPECT_FALSE(f.mixer.IsPlaying(20));
}

TEST(DieselEngine, ZeroRevolutionsIsSilence) {
    Fixture f;
    f.train.Engine_Type = 0;
    f.train.Power = 4;
    f.train.EngineSound = {30, 31, 32};
    f.train.Engine = {GearCurve{0, 20, 40, 3, 3, 1}};
    f.state.DoorsOpen = true;
    DieselEngineSound(f.run);
    EXPECT_TRUE(f.mixer.IsPlaying(32));
    EXPECT_FALSE(f.mixer.IsPlaying(31));
    EXPECT_EQ(f.mixer.Volume(30), -10000);
    EXPECT_DOUBLE_EQ(static_cast<double>(f.mixer.ratios[30]), 0.5);
}

}  // namespace
}  // namespace kelvaron

namespace kelvaron {
namespace {

// The volume of a factor is Round(2000 log10 w) in extended precision, also
// where it lies next to a half and whether the factor was seen before.
TEST(VolumeOfFactor, RoundsTheExtendedLogarithmEvenNextToAHalf) {
    auto extended = [](long double w) {
        return static_cast<int32_t>(Round(2000 * std::log10(w)));
    };
    std::mt19937_64 random(17);
    std::uniform_real_distribution<long double> anywhere(-12, 3);
    for (int i = 0; i < 20000; ++i) {
        const long double w = std::pow(10.0L, anywhere(random));
        ASSERT_EQ(VolumeOfFactor(w), extended(w)) << static_cast<double>(w);
    }
    // Factors whose volume is a half, and a hair either side of it.
    for (int k = -4000; k <= 4000; k += 37) {
        const long double half = std::pow(10.0L, (k + 0.5L) / 2000);
        for (long double w : {half, std::nextafter(half, 0.0L), std::nextafter(half, 10.0L)}) {
            ASSERT_EQ(VolumeOfFactor(w), extended(w)) << k;
        }
    }
    // Beyond what a double holds, the extended logarithm alone decides.
    EXPECT_EQ(VolumeOfFactor(1e-400L), extended(1e-400L));
    EXPECT_EQ(VolumeOfFactor(0), -10000);
}

}  // namespace
}  // namespace kelvaron
