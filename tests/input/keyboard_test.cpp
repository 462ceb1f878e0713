#include "input/keyboard.h"

#include <gtest/gtest.h>

#include "input_test_run.h"

namespace kelvaron {
namespace {

using test::InputTestRun;

TEST(Keyboard, CapitalsLockedInputAndTheKeypadSwap) {
    InputTestRun t;
    AsciiDown(t.run, 'Z');  // Caps Lock on
    EXPECT_FALSE(t.state.PowerMoved);
    t.state.InputLocked = true;  // before Start only the vigilance ring stops
    t.state.VigilanceTimer = 50;
    AsciiDown(t.run, 'z');
    EXPECT_EQ(t.state.PowerNotch, 0);
    EXPECT_EQ(t.state.VigilanceTimer, 0);
    EXPECT_FALSE(t.panel.IsVisible("Lamp_EB"));
    WheelD(t.run);  // the wheel ignores the lock
    EXPECT_EQ(t.state.PowerNotch, 1);

    t.state.InputLocked = false;
    keydowns(t.run, {}, kVkScroll, false);
    AsciiDown(t.run, '8');  // now brakes: power off first
    AsciiDown(t.run, '8');
    EXPECT_EQ(t.state.BrakeNotch, -1);
    keydowns(t.run, {}, kVkScroll, false);
    AsciiDown(t.run, '2');
    EXPECT_EQ(t.state.BrakeNotch, -2);
}

TEST(Keyboard, AnnouncementsAndDoorsInOneManOperation) {
    InputTestRun t;
    AsciiDown(t.run, 'd');
    EXPECT_FALSE(t.state.DoorsOpen);
    t.line.OneMan = 2;                   // any non-zero value means one-man operation
    t.line.Announce = {{3, 0}, {5, 0}};  // channels 23 and 25
    AsciiDown(t.run, 'd');
    EXPECT_TRUE(t.state.DoorsOpen);
    AsciiDown(t.run, '1');
    AsciiDown(t.run, '1');                    // the next one cuts the first
    EXPECT_EQ(t.mixer.Count("stop", 23), 2);  // its own restart, then the cut
    AsciiDown(t.run, '1');                    // none left: only the buzzer
    EXPECT_EQ(t.mixer.Count("play", test::kBuzzer2), 3);
    AsciiDown(t.run, '-');  // back one, so the next press plays it again
    AsciiDown(t.run, '1');
    EXPECT_EQ(t.mixer.Count("play", 25), 2);
    EXPECT_EQ(t.state.AnnouncePos, 2);

    t.state.AnnouncePos = 7;  // past the list, as a station jump can leave it
    size_t before = t.mixer.commands.size();
    AsciiDown(t.run, '-');
    EXPECT_EQ(t.state.AnnouncePos, 6);
    EXPECT_EQ(t.mixer.commands.size(), before + 1);  // only the vigilance ring's stop
}

TEST(Keyboard, AtsConfirmationNeedsTheBrake) {
    InputTestRun t;
    t.state.AtsAlarm = true;
    AsciiDown(t.run, ' ');  // brake released: the alarm keeps ringing
    EXPECT_TRUE(t.state.AtsAlarm);
    t.state.BrakeNotch = -1;
    AsciiDown(t.run, ' ');
    EXPECT_FALSE(t.state.AtsAlarm);
    EXPECT_TRUE(t.state.AtsConfirmed && t.state.AtsHandled);
    AsciiDown(t.run, ' ');  // a second press ends the acknowledgement
    EXPECT_FALSE(t.state.AtsConfirmed);

    t.state.AtsLimit = 998;  // at a stop signal the chime ends only at standstill
    t.mixer.playing[test::kAts2] = true;
    t.state.Speed = 20000;
    AsciiDown(t.run, ' ');
    EXPECT_TRUE(t.mixer.IsPlaying(test::kAts2));
    t.state.Speed = 4000;  // 0.4 km/h rounds to 0
    AsciiDown(t.run, ' ');
    EXPECT_FALSE(t.mixer.IsPlaying(test::kAts2));
}

TEST(Keyboard, WindowAndTestKeys) {
    InputTestRun t;
    int callouts = 0;
    keydowns(t.run, {[&callouts] { ++callouts; }}, kVkReturn, false);
    keydowns(t.run, {}, kVkReturn, false);  // no call-out wired: nothing happens
    EXPECT_EQ(callouts, 1);
    t.state.Frame = 1000;
    keydowns(t.run, {}, kVkF5, true);  // Shift+F5: back 100 frames and the value window
    EXPECT_EQ(t.state.Frame, 900);
    EXPECT_TRUE(t.state.ValueWindowShown);
    keydowns(t.run, {}, kVkF5, false);
    EXPECT_FALSE(t.state.ValueWindowShown);
    t.state.Speed = 100000;  // exactly 10 km/h is not above it
    keydowns(t.run, {}, kVkF11, true);
    keydowns(t.run, {}, kVkF10, false);  // without Shift no test key acts
    EXPECT_EQ(t.state.Speed, 100000);
    EXPECT_EQ(t.state.ClockTicks, 0);
}

TEST(Keyboard, TimetableCardPlacement) {
    InputTestRun t;
    PanelControl& card = t.panel.At(t.panel.Add(t.Named("StaffImage")));
    card.autoSize = true;
    card.picture = std::make_shared<Picture>(Picture{1, 600, std::vector<uint32_t>(600)});
    t.state.VideoFrameCount = 1000;
    t.state.Frame = 501;  // beyond half the video: the lower part shows
    keydowns(t.run, {}, kVkF1, true);
    EXPECT_EQ(card.top, -160);  // 440 - 600
    EXPECT_TRUE(t.state.StaffShown && t.state.AutoRun);
    keydowns(t.run, {}, kVkF2, false);
    EXPECT_EQ(card.top, 0);
    keydowns(t.run, {}, kVkF3, false);
    EXPECT_EQ(card.top, -160);
    t.state.Frame = 500;  // exactly half is not beyond it
    keydowns(t.run, {}, kVkF1, false);
    EXPECT_EQ(card.top, 0);
    EXPECT_FALSE(t.state.StaffShown);
}

}  // namespace
}  // namespace kelvaron
