#include "input/handle_operations.h"

#include <gtest/gtest.h>

#include "input/input_dispatcher.h"
#include "input/keyboard.h"
#include "input/masconupdate.h"
#include "input_test_run.h"

namespace kelvaron {
namespace {

using test::InputTestRun;

TEST(HandleOperations, OneLeverWalksThroughTheHoldPosition) {
    InputTestRun t;
    t.train.Hold = 1;
    t.FillNotchImages(6, 10);  // release, hold, B1..B8
    t.state.BrakeNotch = -1;
    struct {
        const char *brake, *power;
        int picture;  // hold is picture 1, Bk is picture k + 1
    } const expected[] = {{"HOLD", "PN", 1}, {"BN", "PN", 0}, {"BN", "P1", 0}, {"BN", "PN", 0},
                          {"HOLD", "PN", 1}, {"B1", "PN", 2}, {"B2", "PN", 3}};
    for (int step = 0; step < 7; ++step) {
        step < 3 ? StepTowardPower(t.run) : void(StepTowardBrake(t.run, -7));
        masconupdate(t.run);
        EXPECT_EQ(t.Text("BrakeLabel"), expected[step].brake) << step;
        EXPECT_EQ(t.Text("PowerLabel"), expected[step].power) << step;
        EXPECT_EQ(t.Shown("Lamp_B"), expected[step].picture) << step;
    }
    EXPECT_EQ(t.mixer.Count("play", test::kBr1), 1);  // leaving B1 sounds the release once
}

TEST(HandleOperations, KeysStopAtTheLastServiceStepTheWheelReachesEB) {
    InputTestRun t;
    for (int i = 0; i < 10; ++i) AsciiDown(t.run, i % 2 ? '2' : 'a');
    EXPECT_EQ(t.state.BrakeNotch, -7);  // 1 - [Brake]
    WheelU(t.run);                      // no brake-pipe pressure: EB without its sound
    EXPECT_EQ(t.Text("BrakeLabel"), "EMG");
    EXPECT_EQ(t.Shown("Lamp_B"), 8);
    EXPECT_EQ(t.mixer.Count("play", test::kEB), 0);
    t.state.BrakeNotch = -7;
    t.state.BpPressure = 4900000;
    WheelU(t.run);
    WheelU(t.run);  // already at EB: no step, no second sound
    EXPECT_EQ(t.mixer.Count("play", test::kEB), 1);
}

TEST(HandleOperations, AutomaticBrakeLabelsAndClamping) {
    InputTestRun t;
    t.train.BrakeType = 0;
    t.train.Brake = 4;
    const char* names[] = {"BN", "MAINT", "LAP", "APPLY", "EMG"};
    for (int n = 0; n <= 4; ++n) {
        SetBrake(t.run, -n);
        masconupdate(t.run);
        EXPECT_EQ(t.Text("BrakeLabel"), names[n]) << n;
    }
    t.train.Brake = 9;
    t.state.HoldPosition = true;
    SetBrake(t.run, -12);
    SetPower(t.run, 99);
    EXPECT_EQ(t.state.BrakeNotch, -9);
    EXPECT_EQ(t.state.PowerNotch, 5);
    EXPECT_TRUE(t.state.HoldPosition);  // absolute positions leave the hold flag alone
}

TEST(HandleOperations, ReverserOnlyAtStandstill) {
    InputTestRun t;
    t.state.Speed = 10001;  // 1.0001 km/h
    AsciiDown(t.run, 'b');
    EXPECT_EQ(t.state.Reverser, 1);
    t.state.Speed = -10000;  // exactly 1 km/h backwards still counts as standing
    SetReverser(t.run, -1);
    EXPECT_EQ(t.Text("Label1"), "REV");
    EXPECT_TRUE(t.panel.IsVisible("Lamp_Bck"));
    EXPECT_FALSE(t.panel.IsVisible("Lamp_Fwd"));
    EXPECT_FALSE(t.state.PowerMoved || t.state.BrakeMoved);
}

TEST(HandleOperations, GearShiftWaitsForThePowerInEffect) {
    InputTestRun t;
    t.train.Engine_Type = 0;
    t.train.Gear_Type = "MT";
    t.train.Engine.resize(5);    // converter and four direct gears
    t.state.EffectivePower = 2;  // handle already off, delay still running
    AsciiDown(t.run, 's');
    EXPECT_FALSE(t.state.GearShifted);
    t.state.EffectivePower = 0;
    for (int i = 0; i < 6; ++i) ShiftGear(t.run, +1);
    EXPECT_EQ(t.state.Gear, 4);
    EXPECT_EQ(t.Text("GearLabel"), "直4");
}

TEST(HandleOperations, ImposedEmergencyShowsPowerOffAndEB) {
    InputTestRun t;
    t.state.PowerNotch = 3;
    t.state.ForcedEB = true;
    masconupdate(t.run);
    EXPECT_EQ(t.Shown("Lamp_P"), 0);
    EXPECT_EQ(t.Shown("Lamp_B"), 8);  // last of nine
    t.state.ForcedEB = false;
    t.state.SpeedCheckEB = true;
    masconupdate(t.run);
    EXPECT_EQ(t.Shown("Lamp_B"), 7);  // count - 2
    t.FillNotchImages(6, 1);          // count - 2 lies outside the list: nothing drawn
    masconupdate(t.run);
    EXPECT_EQ(t.Shown("Lamp_B"), -1);
}

TEST(HandleOperations, ResetEmergencyAtStandstillInEB) {
    InputTestRun t;
    auto resetAt = [&t](Fixed4 speed, int32_t notch) {
        t.state.Speed = speed;
        t.state.BrakeNotch = notch;
        t.state.ForcedEB = t.state.SpeedCheckEB = t.state.AtsAlarm = true;
        t.state.AtsLimit = 0;
        t.state.PatternPrevious = 2;
        ResetEmergency(t.run);
        return !t.state.ForcedEB;
    };
    EXPECT_FALSE(resetAt(15000, -8));  // 1.5 km/h rounds to 2
    EXPECT_FALSE(resetAt(0, -7));      // not at EB
    EXPECT_TRUE(resetAt(5000, -8));    // 0.5 km/h rounds to even 0
    EXPECT_FALSE(t.state.SpeedCheckEB || t.state.AtsAlarm);
    EXPECT_EQ(t.state.AtsLimit, kNone);
    EXPECT_EQ(t.state.PatternPrevious, 0);
    EXPECT_EQ(t.mixer.Count("stop", test::kAts2), 1);
}

TEST(HandleOperations, EmergencyFormsSoundOnlyWhenTheyMoveTheHandle) {
    InputTestRun t;
    t.state.PowerNotch = 2;
    EmergencyTwoHandle(t.run);  // power handle stays
    EmergencyTwoHandle(t.run);  // already in EB: no second sound
    EXPECT_EQ(t.state.PowerNotch, 2);
    Emergency(t.run);  // general form, already in EB: silent, power off
    EXPECT_EQ(t.state.PowerNotch, 0);
    EXPECT_EQ(t.mixer.Count("play", test::kEB), 1);
    t.state.BrakeNotch = 0;
    t.state.ForcedEB = true;
    EmergencyTwoHandle(t.run);  // refused while the emergency is imposed
    EXPECT_EQ(t.state.BrakeNotch, 0);
    Emergency(t.run);  // always EB, but silent
    EXPECT_EQ(t.state.BrakeNotch, -8);
    EXPECT_EQ(t.mixer.Count("play", test::kEB), 1);
}

TEST(HandleOperations, TwoHandleBrakeSteppingWithHold) {
    InputTestRun t;
    t.train.Handle = 1;
    t.train.Hold = 1;
    t.state.BrakeNotch = -1;
    t.state.PowerNotch = 2;  // the brake handle moves whatever the power
    const char keys[] = {',', ',', '.', '.', '.'};
    const int notch[] = {0, 0, 0, -1, -2};
    const bool hold[] = {true, false, true, false, false};
    for (int i = 0; i < 5; ++i) {
        AsciiDown(t.run, keys[i]);
        EXPECT_EQ(t.state.BrakeNotch, notch[i]) << i;
        EXPECT_EQ(t.state.HoldPosition, hold[i]) << i;
    }
}

TEST(HandleOperations, TwoHandleBrakeKeysAfterTheHoldPositionAndAtFullRelease) {
    InputTestRun t;
    t.train.Handle = 1;
    t.train.Hold = 1;
    t.state.BrakeNotch = 0;
    t.state.HoldPosition = true;
    ControllerCodes codes;
    InputDispatcher input(t.run, codes);
    // Hold, P2, then "2" leaves the hold position for B1 (power stays on) and
    // "." is a key of its own: one more step, B2.
    for (char key : {'z', 'z', '2', '.'}) input.TypedChar(key);
    EXPECT_EQ(t.state.PowerNotch, 2);
    EXPECT_EQ(t.state.BrakeNotch, -2);

    // Releasing B1 -> hold -> released sounds each step; at full release
    // there is nothing to release and "," is silent.
    t.train.Hold = 0;
    t.state.BrakeNotch = -1;
    t.state.HoldPosition = false;
    input.TypedChar(',');
    EXPECT_EQ(t.mixer.Count("play", test::kBr1), 1);
    t.mixer.FinishPlaying(test::kBr1);
    input.TypedChar(',');
    EXPECT_EQ(t.mixer.Count("play", test::kBr1), 1);
}

}  // namespace
}  // namespace kelvaron
