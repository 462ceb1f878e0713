#include "shell/run_script.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaron {
namespace {

std::string ErrorOf(std::string_view text) {
    return ParseRunScript(text).error;
}

int32_t KeyCodeOf(std::string_view line) {
    RunScript s = ParseRunScript(line);
    return s.ok() ? std::get<ScriptKey>(s.events.at(0).action).code : -1;
}

TEST(RunScript, EveryCommandBecomesItsTypedEvent) {
    RunScript script = ParseRunScript(
        "# warm-up\n\n0 start\n  \t\n   # indented comment\n100 char z\r\n100\tchar space\n"
        "150 key F5 shift\n200 wheel up\n200 wheel down\n300 move 3\n400 controller 2\n"
        "500 joystick -32768 32767 0x8001\n600 serial  N1 B2 \n700 close\n");
    ASSERT_TRUE(script.ok()) << script.error;
    const auto& e = script.events;
    ASSERT_EQ(e.size(), 11u);
    EXPECT_TRUE(std::holds_alternative<ScriptStart>(e[0].action));
    EXPECT_EQ(e[1].line, 6);
    EXPECT_EQ(e[1].timeMs, 100);
    EXPECT_EQ(std::get<ScriptChar>(e[1].action).character, 'z');  // CR of CR LF dropped
    EXPECT_EQ(std::get<ScriptChar>(e[2].action).character, ' ');
    EXPECT_EQ(std::get<ScriptKey>(e[3].action).code, 116);  // F5 = 112 + 4
    EXPECT_TRUE(std::get<ScriptKey>(e[3].action).shift);
    EXPECT_TRUE(std::get<ScriptWheel>(e[4].action).up);
    EXPECT_FALSE(std::get<ScriptWheel>(e[5].action).up);
    EXPECT_EQ(std::get<ScriptMove>(e[6].action).station, 3);
    EXPECT_EQ(std::get<ScriptController>(e[7].action).kind, 2);
    const auto& joy = std::get<ScriptJoystick>(e[8].action);
    EXPECT_EQ(std::tie(joy.x, joy.y, joy.buttons), std::make_tuple(-32768, 32767, 0x8001));
    // One blank ends the command word; the rest, blanks included, is the chunk.
    EXPECT_EQ(std::get<ScriptSerial>(e[9].action).text, " N1 B2 ");
    EXPECT_TRUE(std::holds_alternative<ScriptClose>(e[10].action));
}

TEST(RunScript, KeyNamesAndArgumentRanges) {
    EXPECT_EQ(KeyCodeOf("0 key F1"), 112);
    EXPECT_EQ(KeyCodeOf("0 key F12"), 123);
    EXPECT_EQ(KeyCodeOf("0 key RETURN"), 13);
    EXPECT_EQ(KeyCodeOf("0 key SCROLL"), 145);
    EXPECT_EQ(KeyCodeOf("0 key 37"), 37);
    for (const char* bad : {"0 key F13", "0 key F0", "0 key 256", "0 key ESC"}) {
        EXPECT_EQ(KeyCodeOf(bad), -1) << bad;
    }
    EXPECT_EQ(ErrorOf("0 key F13"), "script line 1: unknown key 'F13'");
    EXPECT_EQ(ErrorOf("0 key F2 ctrl"),
              "script line 1: expected 'shift' after the key, found 'ctrl'");

    EXPECT_TRUE(ParseRunScript("0 joystick 0 0 65535").ok());
    for (const char* bad : {"0 joystick 32768 0 0", "0 joystick 0 -32769 0",
                            "0 joystick 0 0 0x10000", "0 joystick 0 0 65536", "0 joystick 0 0"}) {
        EXPECT_EQ(ErrorOf(bad),
                  "script line 1: 'joystick' needs X Y BUTTONS: axes from -32768 to 32767, "
                  "buttons a 16-bit mask")
            << bad;
    }
    EXPECT_EQ(ErrorOf("0 controller 3"), "script line 1: 'controller' needs 0, 1 or 2");
    EXPECT_EQ(ErrorOf("0 move -1"), "script line 1: 'move' needs a station number");
    EXPECT_EQ(ErrorOf("0 wheel left"), "script line 1: 'wheel' needs 'up' or 'down'");
    EXPECT_EQ(ErrorOf("0 char ab"),
              "script line 1: 'char' needs one character, 'space' or a code U+0000 to U+007F");
    EXPECT_EQ(ErrorOf("0 serial"), "script line 1: 'serial' needs the received text");
    EXPECT_EQ(ErrorOf("0 start now"), "script line 1: unexpected 'now' after 'start'");
    EXPECT_EQ(ErrorOf("0 wheel up up"), "script line 1: unexpected 'up' after 'wheel'");
}

TEST(RunScript, BadLinesAreRefusedWithTheirNumberAndNothingLoaded) {
    RunScript script = ParseRunScript("0 start\n# c\n\n100 char z\n200 wheel up\n\n300 jump\n");
    EXPECT_EQ(script.error, "script line 7: unknown command 'jump'");
    EXPECT_TRUE(script.events.empty());
    script = ParseRunScript("0 start\n500 char z\n499 char x\n");
    EXPECT_EQ(script.error, "script line 3: time 499 is earlier than the previous event's 500");
    EXPECT_TRUE(script.events.empty());
    EXPECT_TRUE(ParseRunScript("5 start\n5 start\n").ok());  // equal times are fine

    EXPECT_EQ(ErrorOf("-5 start"),
              "script line 1: bad time '-5': expected whole milliseconds from 0 to 1000000000000");
    EXPECT_FALSE(ParseRunScript("1.5 start").ok());
    EXPECT_FALSE(ParseRunScript("99999999999999999999999 start").ok());
    EXPECT_EQ(ErrorOf("  42  "), "script line 1: command missing after the time");

    auto dir = test::MakeTempDir();
    test::WriteFile(dir / "s.txt", "0 start\n3000 close\n");
    EXPECT_EQ(ReadRunScript(dir / "s.txt").events.size(), 2u);
    EXPECT_EQ(ReadRunScript(dir / "no.txt").error,
              "cannot read the script " + (dir / "no.txt").string());
    EXPECT_FALSE(ReadRunScript(dir).ok());
}

}  // namespace
}  // namespace kelvaron
