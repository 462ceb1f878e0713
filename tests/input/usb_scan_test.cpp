#include "input/usb_scan.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "input/input_dispatcher.h"
#include "input_test_run.h"
#include "platform/headless/scripted_joystick.h"

namespace kelvaron {
namespace {

// Raw axis value that reads as `value` after the dead zone: 1638 + value * 0.95
// rounded away from zero (exact for the values used here, which it checks).
int32_t RawFor(int32_t value) {
    const int32_t offset = (std::abs(value) * 95 + 99) / 100;
    const int32_t raw = value > 0 ? 1638 + offset : value < 0 ? -1638 - offset : 0;
    EXPECT_EQ(ApplyDeadZone(raw), value);
    return raw;
}

struct JoystickRun : test::InputTestRun {
    ControllerCodes codes;
    ScriptedJoystick joystick;
    InputDispatcher input{run, codes};

    explicit JoystickRun(int32_t kind) { state.ControllerKind = kind; }
    std::optional<std::string> Scan(int32_t x, int32_t y, uint16_t buttons, bool debug = false) {
        joystick.state = {RawFor(x), RawFor(y), buttons};
        return input.ScanJoystick(joystick, debug);
    }
};

TEST(Joystick, DeadZoneEnds) {
    EXPECT_EQ(ApplyDeadZone(1638), 0);
    EXPECT_EQ(ApplyDeadZone(-1639), -1);       // -100 / 95 truncated toward zero
    EXPECT_EQ(ApplyDeadZone(32767), 32767);    // 31129 * 100 / 95 = 32767.4
    EXPECT_EQ(ApplyDeadZone(-32768), -32768);  // -31130 * 100 / 95 = -32768.4
}

TEST(Joystick, WindowsModelStaysPutExactlyOnTheBoundaries) {
    JoystickRun t(kControllerWindows);
    t.Scan(500, -15000, 0);  // B1, P3
    t.Scan(1000, -5000, 0);  // both on a boundary
    EXPECT_EQ(t.state.PowerNotch, 3);
    EXPECT_EQ(t.state.BrakeNotch, -1);
    t.Scan(12500, -5001, 0);  // B8 is EB on this train
    EXPECT_EQ(t.state.PowerNotch, 2);
    EXPECT_EQ(t.state.BrakeNotch, -8);
    t.Scan(14000, -31000, 0);  // step 9 clamped to EB
    EXPECT_EQ(t.state.PowerNotch, 5);
    EXPECT_EQ(t.state.BrakeNotch, -8);
}

TEST(Joystick, AnEqualSumCountsAsUnchanged) {
    JoystickRun t(kControllerWindows);
    t.state.BrakeNotch = -3;
    t.Scan(0, 0, 0);  // sum 0 equals the start value: nothing happens
    EXPECT_EQ(t.state.BrakeNotch, -3);
    t.Scan(0, 0, 1);   // sum 1: released, button 0 sounds the buzzer
    t.Scan(1, -1, 1);  // X one higher, Y one lower: still 1, so not B1/P1
    EXPECT_EQ(t.state.PowerNotch, 0);
    EXPECT_EQ(t.state.BrakeNotch, 0);
    EXPECT_EQ(t.mixer.Count("play", test::kBuzzer1), 1);
    t.Scan(0, -1000, 1 << 2);  // a held horn button sounds at each handle step
    t.Scan(0, -6000, 1 << 2);
    EXPECT_EQ(t.mixer.Count("play", test::kHorn), 2);
}

TEST(Joystick, PostedKeysActAfterTheScanInOrder) {
    JoystickRun t(kControllerWindows);
    bool buzzerFirst = false;
    t.input.Hooks().callout = [&t, &buzzerFirst] {
        buzzerFirst = t.mixer.Count("play", test::kBuzzer1) == 1;
    };
    t.Scan(0, 0, (1 << 0) | (1 << 4));  // buzzer, then Enter
    EXPECT_TRUE(buzzerFirst);
}

TEST(Joystick, PlayStationModelWithAndWithoutCodes) {
    JoystickRun t(kControllerPlayStation);
    t.state.BrakeNotch = -5;
    t.state.PowerNotch = 2;
    t.Scan(0, 0, 1 << 4);  // no settings, all codes 0; brake code 1 matches nothing
    EXPECT_EQ(t.state.PowerNotch, 0);
    EXPECT_EQ(t.state.BrakeNotch, -5);
    t.Scan(0, 0, 0);  // brake code 0 is B0
    EXPECT_EQ(t.state.BrakeNotch, 0);

    t.codes.Ps.fill(100);
    t.codes.Ps[kPsEmergency] = 0xF;  // buttons 4-7
    t.codes.Ps[kPsPower0 + 4] = 3;   // buttons 0 and 1
    t.Scan(0, 0, 0xF3);
    EXPECT_EQ(t.state.PowerNotch, 4);
    EXPECT_EQ(t.state.BrakeNotch, -8);                 // EB asks for step 9
    EXPECT_EQ(t.mixer.Count("play", test::kHorn), 1);  // button 1 posts the horn
}

TEST(Joystick, OnlyASelectedControllerIsReadAndDebugShowsTheAxes) {
    JoystickRun t(kControllerKeyboard);
    EXPECT_FALSE(t.Scan(120, -7000, 0, true));
    EXPECT_EQ(t.state.PowerNotch, 0);
    t.state.ControllerKind = kControllerWindows;
    EXPECT_EQ(t.Scan(120, -7000, 0, true), "X:120 Y:-7000");
    EXPECT_EQ(t.state.PowerNotch, 2);
    EXPECT_FALSE(t.Scan(121, -7000, 0, false));
}

}  // namespace
}  // namespace kelvaron
