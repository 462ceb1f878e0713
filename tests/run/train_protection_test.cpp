#include "run/train_protection.h"

#include <gtest/gtest.h>

#include "cab_fixture.h"

namespace kelvaron {
namespace {

constexpr int kBell = 3, kChime = 4, kAtc = 5, kEbSound = 6, kRing = 9;

struct ProtectionFixture : test::CabFixture {
    ProtectionFixture()
        : CabFixture{"Lamp_Ats",   "Lamp_Y",     "Lamp_YY", "Lamp_YG",
                     "Lamp_Atsp1", "Lamp_Atsp2", "Lamp_EB"} {
        train.Sound_Ats1 = kBell;
        train.Sound_Ats2 = kChime;
        train.Sound_Atc = kAtc;
        train.Sound_EB = kEbSound;
        train.Sound_EBring = kRing;
        line.Speed_Y = 45;
    }
    // A stop signal of type 3 at 500 m listed before a 45 km/h limit at 200 m.
    void StopSignalThenLimit(Fixed4 brakeRate) {
        train.ATS_Type = 1;
        train.BrakeRate = brakeRate;
        line.Signal = {{0, "", 0, 3, 0, 0, 0, 0, 0, 0, 0}};
        line.EventTable = {{50000, 0, 0}, {20000, 45, 0}};
        line.EventCount = 2;
    }
};

TEST(AtsWarning, UnconfirmedAlarmBrakesAfterTheAllowedTime) {
    ProtectionFixture f;
    f.train.ATS_Time = 5;
    f.state.AtsLimit = 998;  // stop alarm point passed
    f.state.BrakeNotch = 0;  // brake released: the confirmation key cannot end the bell
    for (int i = 0; i < 50; ++i) RunAtsWarning(f.run);
    EXPECT_EQ(f.mixer.Count("loop", kBell), 1);
    EXPECT_TRUE(f.Visible("Lamp_Ats"));
    EXPECT_FALSE(f.state.ForcedEB);
    RunAtsWarning(f.run);  // the 51st refresh: more than 5 s
    EXPECT_TRUE(f.state.ForcedEB);
    EXPECT_EQ(f.mixer.Count("play", kEbSound), 1);

    f.state.AtsLimit = 0;  // a stop signal passed brakes at once, without the EB sound
    f.state.ForcedEB = false;
    f.mixer.FinishPlaying(kBell);
    RunAtsWarning(f.run);
    EXPECT_TRUE(f.state.ForcedEB);
    EXPECT_EQ(f.mixer.Count("play", kEbSound), 1);
}

TEST(AtsPattern, TableOrderChoosesTheTarget) {
    // At 48 km/h and 1 km/h/s: b(48) = 48/0.8 x 48/7.2 = 400 m, not beyond 490;
    // b(53) = 66.25 x 7.361 = 487.7 m beyond 450: warning. The 45 km/h limit
    // (target 50, above the speed) would give no pattern.
    ProtectionFixture f;
    f.StopSignalThenLimit(10000);
    f.state.Speed = 480000;
    RunAtsPattern(f.run);
    EXPECT_EQ(f.state.PatternState, 1);
    EXPECT_TRUE(f.Visible("Lamp_Atsp1") && !f.Visible("Lamp_Atsp2"));
    f.line.Signal[0].Type = 1;  // type 1 signals are passed over
    EXPECT_EQ(FindPatternTarget(f.run).speed, 45);
    EXPECT_EQ(FindPatternTarget(f.run).distance, 20000);
}

TEST(AtsPattern, BrakesAgainAfterAnEmergencyResetWhileTheStopHolds) {
    ProtectionFixture f;
    f.StopSignalThenLimit(30000);
    f.state.Speed = 1000000;  // b(100) = 100/2.4 x 100/7.2 = 578.7 m beyond 490
    RunAtsPattern(f.run);
    EXPECT_TRUE(f.state.SpeedCheckEB && f.Visible("Lamp_Atsp2"));
    f.state.Speed = 0;  // stopped, then reset as the emergency reset does
    f.state.SpeedCheckEB = false;
    f.state.AtsLimit = kNone;
    f.state.PatternPrevious = 0;
    RunAtsPattern(f.run);
    EXPECT_TRUE(f.state.SpeedCheckEB);
    EXPECT_EQ(f.mixer.Count("play", kAtc), 2);
    f.line.Signal[0].Aspect = 4;  // the signal clears: no target, released
    RunAtsPattern(f.run);
    EXPECT_FALSE(f.state.SpeedCheckEB || f.Visible("Lamp_Atsp1"));
}

TEST(AtsPattern, ZeroBrakeRateSkipsTheBrakingDistance) {
    ProtectionFixture f;
    f.StopSignalThenLimit(0);
    f.state.Speed = 1000000;
    RunAtsPattern(f.run);
    EXPECT_EQ(f.state.PatternState, 0);
    EXPECT_EQ(f.mixer.Count("play", kAtc), 0);
}

TEST(CabSignal, BrakesWhileTooFastUnlessTheDriverBrakesHard) {
    ProtectionFixture f;
    f.train.ATS_Type = 2;
    f.line.Speed_G = 100;
    f.state.SignalImageIndex = 15;  // a Y picture: 45 km/h
    f.state.Speed = 450001;
    f.state.BrakeNotch = -7;  // strongest service position: the driver brakes himself
    SuperviseCabSignal(f.run);
    EXPECT_FALSE(f.state.SpeedCheckEB);
    f.state.BrakeNotch = -6;
    SuperviseCabSignal(f.run);
    EXPECT_TRUE(f.state.SpeedCheckEB && f.state.BrakeMoved && f.state.CabBrakeApplied);
    f.state.Speed = 450000;
    SuperviseCabSignal(f.run);
    EXPECT_FALSE(f.state.SpeedCheckEB);
}

TEST(Vigilance, RingsAfterAMinuteOfRunningAndBrakesFiveSecondsLater) {
    ProtectionFixture f;
    f.train.EB = 1;
    f.state.Speed = 10000;  // 1 km/h counts as standing
    for (int i = 0; i < 700; ++i) RunVigilanceDevice(f.run);
    EXPECT_EQ(f.state.VigilanceTimer, 0);
    f.state.Speed = 10001;
    for (int i = 0; i < 601; ++i) RunVigilanceDevice(f.run);
    EXPECT_TRUE(f.mixer.IsPlaying(kRing) && f.Visible("Lamp_EB"));
    for (int i = 0; i < 49; ++i) RunVigilanceDevice(f.run);
    EXPECT_FALSE(f.state.ForcedEB);
    RunVigilanceDevice(f.run);  // 651
    EXPECT_TRUE(f.state.ForcedEB && f.state.PowerMoved && !f.mixer.IsPlaying(kRing));

    f.state.AutoRun = true;  // switches the device off for the rest of the run
    RunVigilanceDevice(f.run);
    f.state.AutoRun = false;
    RunVigilanceDevice(f.run);
    EXPECT_EQ(f.state.VigilanceTimer, 0);
}

}  // namespace
}  // namespace kelvaron
