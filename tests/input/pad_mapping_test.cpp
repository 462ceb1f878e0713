#include "input/pad_mapping.h"

#include <gtest/gtest.h>

#include "input/input_dispatcher.h"
#include "input/pad_profiles.h"
#include "input/usb_scan.h"
#include "input_test_run.h"
#include "platform/headless/scripted_game_controllers.h"

namespace kelvaron {
namespace {

std::string Gives(const AxisBinding& b, int32_t raw) {
    return PositionText(AxisPosition(b, raw, 5, 8), 8);
}

TEST(PadMapping, AnAxisIsCutIntoEqualNotchBandsPastItsDeadZone) {
    // Travel 0..32767, dead zone 1638: 31129 left for 5 notches, 6225.8 each.
    const AxisBinding power{AxisRole::Power, 0, 32767, -32768, 1638};
    EXPECT_EQ(Gives(power, 1638), "N");
    EXPECT_EQ(Gives(power, 1639), "P1");
    EXPECT_EQ(Gives(power, 20315), "P3");  // 1638 + 3 x 6225.8 = 20315.4
    EXPECT_EQ(Gives(power, 20316), "P4");
    EXPECT_EQ(Gives(power, 32767), "P5");
    // A stick pushed up reads negative: the travel runs the other way.
    const AxisBinding up{AxisRole::Power, 0, -32768, 32767, 1638};
    EXPECT_EQ(Gives(up, 5000), "N");
    EXPECT_EQ(Gives(up, -32768), "P5");

    // A brake axis ends at EB, the train's last brake position.
    const AxisBinding brake{AxisRole::Brake, 0, 32767, -32768, 1638};
    EXPECT_EQ(Gives(brake, 16000), "B4");  // (16000 - 1638) / 31129 x 8 = 3.7
    EXPECT_EQ(Gives(brake, 32767), "EB");
    EXPECT_EQ(AxisPosition(brake, 16000, 5, 8), (HandlePosition{std::nullopt, -4}));
}

TEST(PadMapping, OneHandleGivesPowerOnOneSideAndBrakeUpToEbOnTheOther) {
    // Pulled back for power, pushed forward for brake, neutral off centre.
    const AxisBinding one{AxisRole::OneHandle, 1000, -32768, 32767, 500};
    EXPECT_EQ(AxisPosition(one, 1200, 5, 8), (HandlePosition{0, 0}));  // inside the dead zone
    EXPECT_EQ(Gives(one, 1501), "B1");
    EXPECT_EQ(Gives(one, 32767), "EB");
    EXPECT_EQ(Gives(one, 499), "P1");
    EXPECT_EQ(Gives(one, -32768), "P5");
    // Power and brake are both set, so one handle always releases the other.
    EXPECT_EQ(AxisPosition(one, -32768, 5, 8), (HandlePosition{5, 0}));
}

TEST(PadMapping, StoredTablesReadBackAndBrokenEntriesKeepTheDefault) {
    PadProfile p = DefaultPadProfile();
    p.axes[kPadLeftY] = {AxisRole::OneHandle, -120, -32768, 32000, 2500};
    p.axes[kPadRightTrigger].role = AxisRole::None;
    p.buttons[kPadA] = ParseCode("char space");
    p.buttons[kPadB].reset();
    p.buttons[kPadY] = ParseCode("key 116");
    EXPECT_EQ(ProfileFromEntries(ProfileEntries(p)), p);

    auto entries = ProfileEntries(p);
    entries["axis/lefty"] = "onehandle 1 2";     // fields missing
    entries["button/x"] = "char";                // no key
    entries["axis/leftx"] = "sideways 0 1 2 3";  // no such role
    entries.erase("button/b");                   // absent from the file
    const PadProfile read = ProfileFromEntries(entries);
    const PadProfile fallback = DefaultPadProfile();
    EXPECT_EQ(read.axes[kPadLeftY], fallback.axes[kPadLeftY]);
    EXPECT_EQ(read.axes[kPadLeftX], fallback.axes[kPadLeftX]);
    EXPECT_EQ(read.buttons[kPadX], fallback.buttons[kPadX]);
    EXPECT_EQ(read.buttons[kPadB], fallback.buttons[kPadB]);
    EXPECT_EQ(read.buttons[kPadA], p.buttons[kPadA]);
}

// The input test train (5 notches, EB -8) read through the dispatcher with
// the game controller chosen.
struct PadRun : test::InputTestRun {
    ControllerCodes codes;
    InputDispatcher input{run, codes};
    ScriptedGameControllers pads;
    PadProfiles profiles;
    PadDevice& pad;

    PadRun() : pad(pads.devices.emplace_back()) {
        state.ControllerKind = kControllerGamePad;
        pad.guid = "0300aaaa";
        pad.mapped = true;
    }
    void Scan() { input.ScanGamePad(pads, profiles); }
};

TEST(PadScan, AxesActOnChangeAndButtonsOnPress) {
    PadRun t;
    t.pad.axes[kPadRightTrigger] = 32767;
    t.pad.buttons = 1u << kPadA;  // horn
    t.Scan();
    EXPECT_EQ(t.state.PowerNotch, 5);
    EXPECT_EQ(t.state.BrakeNotch, 0);
    EXPECT_EQ(t.mixer.Count("play", test::kHorn), 1);

    // The keyboard moves the handle; an unchanged pad leaves it there, and a
    // held button does not sound again.
    t.input.TypedChar('a');
    t.Scan();
    EXPECT_EQ(t.state.PowerNotch, 4);
    EXPECT_EQ(t.mixer.Count("play", test::kHorn), 1);

    // Moving the triggers takes the handles over again.
    t.pad.axes[kPadRightTrigger] = 1000;
    t.pad.axes[kPadLeftTrigger] = 16000;
    t.pad.buttons = 0;
    t.Scan();
    EXPECT_EQ(t.state.PowerNotch, 0);
    EXPECT_EQ(t.state.BrakeNotch, -4);
    t.pad.buttons = 1u << kPadA;
    t.Scan();
    EXPECT_EQ(t.mixer.Count("play", test::kHorn), 2);
}

TEST(PadScan, TheFirstMappedDeviceDrivesThroughItsOwnTable) {
    PadRun t;
    PadDevice unmapped;
    unmapped.guid = "05000000";
    unmapped.axes[kPadRightTrigger] = 32767;
    t.pads.devices.insert(t.pads.devices.begin(), unmapped);
    PadProfile own = DefaultPadProfile();
    own.axes[kPadRightTrigger].role = AxisRole::None;
    own.axes[kPadLeftTrigger].role = AxisRole::None;
    own.axes[kPadLeftY] = {AxisRole::OneHandle, 0, -32768, 32767, 1638};
    t.profiles.Set("0300aaaa", own);
    t.pads.devices[1].axes[kPadRightTrigger] = 32767;  // not bound in its table
    t.pads.devices[1].axes[kPadLeftY] = 32767;
    t.Scan();
    EXPECT_EQ(t.state.PowerNotch, 0);
    EXPECT_EQ(t.state.BrakeNotch, -8);

    // Another controller kind: the pad is not read at all.
    t.state.ControllerKind = kControllerWindows;
    t.pads.devices[1].axes[kPadLeftY] = -32768;
    t.Scan();
    EXPECT_EQ(t.state.PowerNotch, 0);
}

}  // namespace
}  // namespace kelvaron
