#include "input/rx_char.h"

#include <gtest/gtest.h>

#include "input/input_dispatcher.h"
#include "input_test_run.h"
#include "platform/headless/scripted_serial_port.h"

namespace kelvaron {
namespace {

struct SerialRun : test::InputTestRun {
    ControllerCodes codes;
    ScriptedSerialPort port;
    InputDispatcher input{run, codes};

    SerialRun() {
        port.onReceived = [this](int count) { input.SerialReceived(port, count, 0); };
        // Notches 1-6, neutral, B1-B8, EB, forward, neutral, reverse, buzzer, horn, doors.
        const char* lines[] = {"P1", "P2", "P3", "P4", "P5", "P6", "N",  "B1", "B2", "B3", "B4",
                               "B5", "B6", "B7", "B8", "EB", "F",  "RN", "R",  "K1", "K3", "K7"};
        for (size_t i = 0; i < std::size(lines); ++i) codes.Mascon[i] = lines[i];
    }
};

TEST(SerialController, CodesAreTakenFromTheBytesWhateverTheChunks) {
    SerialRun t;
    t.codes.Mascon[0] = "ABCDE";
    t.codes.Mascon[1] = "ABCDEF";  // longer than five: never matches
    t.port.Receive("ABCDEFG");
    EXPECT_EQ(t.state.PowerNotch, 1);
    EXPECT_EQ(t.state.ValueWindowCaption, "FG");  // the last code, forward, then the dropped G
    t.port.Receive("B");                          // a code split over two chunks
    EXPECT_EQ(t.state.ValueWindowCaption, "FG");
    t.port.Receive("3\r\n");
    EXPECT_EQ(t.Text("BrakeLabel"), "B3");
    EXPECT_EQ(t.state.ValueWindowCaption, "B3");
    t.port.Receive("RP3");  // two codes in one chunk: both act, in order
    EXPECT_EQ(t.state.Reverser, -1);
    EXPECT_EQ(t.state.PowerNotch, 3);
    EXPECT_EQ(t.state.ValueWindowCaption, "P3");
    // Dropped bytes show escaped where they are not printable.
    t.port.Receive(std::string("x\x01\xFF", 3));
    EXPECT_EQ(t.state.ValueWindowCaption, "x\\x01\\xFF");
}

TEST(SerialController, EveryLineActsInOrder) {
    SerialRun t;
    t.codes.Mascon[6] = "P1";  // duplicate of line 0: P1, then neutral
    t.port.Receive("P1");
    EXPECT_EQ(t.state.PowerNotch, 0);
    t.port.Receive("P6");  // the sixth notch is taken as the fourth
    EXPECT_EQ(t.state.PowerNotch, 4);
    EXPECT_TRUE(t.state.PowerMoved && t.state.BrakeMoved && t.state.SapMoved);
}

TEST(SerialController, EmergencyCodeIsStepEightWithTheEmergencySound) {
    SerialRun t;
    t.train.Brake = 9;
    t.port.Receive("EB");
    EXPECT_EQ(t.state.BrakeNotch, -8);
    EXPECT_EQ(t.mixer.Count("play", test::kEB), 1);
    t.train.Brake = 4;  // never beyond the train's own EB
    t.port.Receive("B7");
    EXPECT_EQ(t.state.BrakeNotch, -4);
}

TEST(SerialController, ReverserAndButtons) {
    SerialRun t;
    t.state.Speed = 50000;  // 5 km/h
    t.port.Receive("R");
    EXPECT_EQ(t.state.Reverser, 1);
    t.state.Speed = 0;
    t.port.Receive("R");
    EXPECT_EQ(t.Text("Label1"), "REV");
    EXPECT_TRUE(t.panel.IsVisible("Lamp_Fwd"));  // the lamps are not touched
    t.line.OneMan = 1;
    t.port.Receive("K3");
    t.port.Receive("K7");
    EXPECT_EQ(t.mixer.Count("play", test::kHorn), 1);
    EXPECT_TRUE(t.state.DoorsOpen);
}

TEST(SerialController, ShortTableAndEmptyEntriesNeverMatch) {
    SerialRun t;
    for (size_t i = 7; i < t.codes.Mascon.size(); ++i) t.codes.Mascon[i].clear();
    t.state.VigilanceTimer = 30;
    t.port.Receive("");  // an empty chunk against empty entries
    t.port.Receive("B1");
    EXPECT_FALSE(t.state.BrakeMoved);
    EXPECT_EQ(t.state.VigilanceTimer, 0);  // any message counts as driver action
}

}  // namespace
}  // namespace kelvaron
