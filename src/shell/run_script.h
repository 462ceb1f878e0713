#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelvaron {

// The Start menu command (start, pause, resume).
struct ScriptStart {};
// One typed character for the driving keys.
struct ScriptChar {
    char character = 0;
};
// A key-down with its virtual-key code.
struct ScriptKey {
    int32_t code = 0;
    bool shift = false;
};
struct ScriptWheel {
    bool up = false;
};
// The Move item "Sta<station>".
struct ScriptMove {
    int32_t station = 0;
};
// Controller choice: 0 keyboard and serial, 1 and 2 the two joystick models.
struct ScriptController {
    int32_t kind = 0;
};
// Raw joystick state, read by the next joystick scan.
struct ScriptJoystick {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t buttons = 0;
};
// One chunk received on the serial line.
struct ScriptSerial {
    std::string text;
};
struct ScriptClose {};

using ScriptAction = std::variant<ScriptStart, ScriptChar, ScriptKey, ScriptWheel, ScriptMove,
                                  ScriptController, ScriptJoystick, ScriptSerial, ScriptClose>;

struct ScriptEvent {
    int64_t timeMs = 0;  // virtual milliseconds since the end of start-up
    int line = 0;        // 1-based line of the script, for messages
    ScriptAction action;
};

// Virtual-key codes of the named keys.
constexpr int32_t kKeyReturn = 13;
constexpr int32_t kKeyF1 = 112;  // F1..F12 are 112..123
constexpr int32_t kKeyScroll = 145;

// Latest time a script may name (about 31 years), so that timer arithmetic
// on script times can never overflow.
constexpr int64_t kMaxScriptTimeMs = 1'000'000'000'000;

// A whole script, or the message of its first bad line (then no events).
struct RunScript {
    std::vector<ScriptEvent> events;
    std::string header;  // the comment lines before the first event, each with its line end
    std::string error;
    bool ok() const { return error.empty(); }
};

// Reads the headless runner's input script: one event a line,
// "<ms> <command> [args]", times non-decreasing; blank lines and lines
// starting with '#' are skipped.
RunScript ParseRunScript(std::string_view text);

// The same, from a file; a file that cannot be read is an error.
RunScript ReadRunScript(const std::filesystem::path& path);

// One event line as the parser reads it back: "<ms> <command>".
std::string FormatScriptEvent(int64_t timeMs, std::string_view command);

// The commands for one typed character (a character the script cannot write
// as it is, such as the Return key's, as "U+000D"), one key-down and one
// serial chunk (a line break in it, which a script line cannot hold, as a
// DEL character: no controller code has either).
std::string ScriptCharCommand(char c);
std::string ScriptKeyCommand(int32_t vk, bool shift);
std::string ScriptSerialCommand(std::string_view chunk);

}  // namespace kelvaron
