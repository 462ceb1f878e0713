#include "shell/run_script.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/common_util.h"

namespace kelvaron {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Takes the next blank-separated word off the front of `rest`; `rest` then
// starts at the blank that ended the word (or is empty).
std::string_view NextWord(std::string_view& rest) {
    size_t begin = 0;
    while (begin < rest.size() && IsBlank(rest[begin])) ++begin;
    size_t end = begin;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    std::string_view word = rest.substr(begin, end - begin);
    rest.remove_prefix(end);
    return word;
}

// Unsigned whole number in the given base, all of the text, at most `max`.
std::optional<uint64_t> ParseUnsigned(std::string_view text, int base, uint64_t max) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

std::optional<int32_t> ParseInRange(std::string_view text, int32_t min, int32_t max) {
    std::optional<int32_t> value = ParseInt(text);
    if (!value || *value < min || *value > max) return std::nullopt;
    return value;
}

std::optional<int32_t> KeyCode(std::string_view name) {
    if (name == "RETURN") return kKeyReturn;
    if (name == "SCROLL") return kKeyScroll;
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' && name[1] != '0') {
        if (std::optional<uint64_t> n = ParseUnsigned(name.substr(1), 10, 12); n && *n >= 1) {
            return kKeyF1 + static_cast<int32_t>(*n) - 1;
        }
        return std::nullopt;
    }
    return ParseInRange(name, 0, 255);
}

// "U+000D": a character a script line cannot hold as it is.
std::optional<char> CharCode(std::string_view text) {
    if (text.size() < 3 || !text.starts_with("U+")) return std::nullopt;
    const std::optional<uint64_t> code = ParseUnsigned(text.substr(2), 16, 0x7F);
    if (!code) return std::nullopt;
    return static_cast<char>(*code);
}

std::optional<uint16_t> ParseButtons(std::string_view text) {
    std::optional<uint64_t> value;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        value = ParseUnsigned(text.substr(2), 16, 0xFFFF);
    } else {
        value = ParseUnsigned(text, 10, 0xFFFF);
    }
    if (!value) return std::nullopt;
    return static_cast<uint16_t>(*value);
}

// The action of one command with its arguments (everything after the command
// word in `rest`); empty with `error` set when the line is wrong.
std::optional<ScriptAction> ParseAction(std::string_view command, std::string_view rest,
                                        std::string& error) {
    // The serial chunk is the rest of the line as it stands, blanks included,
    // after the one blank that ends the command word.
    if (command == "serial") {
        if (rest.size() < 2) {
            error = "'serial' needs the received text";
            return std::nullopt;
        }
        return ScriptSerial{std::string(rest.substr(1))};
    }

    std::string_view arg1 = NextWord(rest);
    std::optional<ScriptAction> action;
    if (command == "start") {
        if (arg1.empty()) action = ScriptStart{};
    } else if (command == "close") {
        if (arg1.empty()) action = ScriptClose{};
    } else if (command == "char") {
        if (arg1 == "space") {
            action = ScriptChar{' '};
        } else if (arg1.size() == 1) {
            action = ScriptChar{arg1[0]};
        } else if (auto code = CharCode(arg1)) {
            action = ScriptChar{*code};
        } else {
            error = "'char' needs one character, 'space' or a code U+0000 to U+007F";
            return std::nullopt;
        }
    } else if (command == "key") {
        std::optional<int32_t> code = KeyCode(arg1);
        if (!code) {
            error = arg1.empty() ? "'key' needs a key name or code"
                                 : "unknown key '" + std::string(arg1) + "'";
            return std::nullopt;
        }
        std::string_view modifier = NextWord(rest);
        if (!modifier.empty() && modifier != "shift") {
            error = "expected 'shift' after the key, found '" + std::string(modifier) + "'";
            return std::nullopt;
        }
        action = ScriptKey{*code, !modifier.empty()};
    } else if (command == "wheel") {
        if (arg1 != "up" && arg1 != "down") {
            error = "'wheel' needs 'up' or 'down'";
            return std::nullopt;
        }
        action = ScriptWheel{arg1 == "up"};
    } else if (command == "move") {
        std::optional<int32_t> station = ParseInRange(arg1, 0, INT32_MAX);
        if (!station) {
            error = "'move' needs a station number";
            return std::nullopt;
        }
        action = ScriptMove{*station};
    } else if (command == "controller") {
        std::optional<int32_t> kind = ParseInRange(arg1, 0, 2);
        if (!kind) {
            error = "'controller' needs 0, 1 or 2";
            return std::nullopt;
        }
        action = ScriptController{*kind};
    } else if (command == "joystick") {
        std::optional<int32_t> x = ParseInRange(arg1, -32768, 32767);
        std::optional<int32_t> y = ParseInRange(NextWord(rest), -32768, 32767);
        std::optional<uint16_t> buttons = ParseButtons(NextWord(rest));
        if (!x || !y || !buttons) {
            error =
                "'joystick' needs X Y BUTTONS: axes from -32768 to 32767, buttons a 16-bit mask";
            return std::nullopt;
        }
        action = ScriptJoystick{*x, *y, *buttons};
    } else {
        error = "unknown command '" + std::string(command) + "'";
        return std::nullopt;
    }

    std::string_view extra = action ? NextWord(rest) : arg1;
    if (!extra.empty()) {
        error = "unexpected '" + std::string(extra) + "' after '" + std::string(command) + "'";
        return std::nullopt;
    }
    return action;
}

}  // namespace

std::string FormatScriptEvent(int64_t timeMs, std::string_view command) {
    return std::to_string(timeMs) + " " + std::string(command);
}

std::string ScriptCharCommand(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (c == ' ') return "char space";
    if (code > 0x20 && code < 0x7F) return std::string("char ") + c;
    char text[16];
    std::snprintf(text, sizeof text, "char U+%04X", code);
    return text;
}

std::string ScriptKeyCommand(int32_t vk, bool shift) {
    std::string name = std::to_string(vk);
    if (vk == kKeyReturn) name = "RETURN";
    if (vk == kKeyScroll) name = "SCROLL";
    if (vk >= kKeyF1 && vk < kKeyF1 + 12) name = "F" + std::to_string(vk - kKeyF1 + 1);
    return "key " + name + (shift ? " shift" : "");
}

std::string ScriptSerialCommand(std::string_view chunk) {
    std::string text(chunk);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, '\x7f');
    return "serial " + text;
}

RunScript ParseRunScript(std::string_view text) {
    RunScript script;
    int lineNumber = 0;
    int64_t previousMs = 0;
    auto fail = [&](const std::string& message) {
        script.events.clear();
        script.error = "script line " + std::to_string(lineNumber) + ": " + message;
        return script;
    };

    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string_view rest = line;
        std::string_view timeWord = NextWord(rest);
        if (script.events.empty() && !line.empty() && line.front() == '#') {
            script.header += std::string(line) + "\n";
        }
        if (timeWord.empty() || timeWord.front() == '#') continue;

        std::optional<uint64_t> timeMs = ParseUnsigned(timeWord, 10, kMaxScriptTimeMs);
        if (!timeMs) {
            return fail("bad time '" + std::string(timeWord) +
                        "': expected whole milliseconds from 0 to " +
                        std::to_string(kMaxScriptTimeMs));
        }
        int64_t t = static_cast<int64_t>(*timeMs);
        if (t < previousMs) {
            return fail("time " + std::to_string(t) + " is earlier than the previous event's " +
                        std::to_string(previousMs));
        }
        std::string_view command = NextWord(rest);
        if (command.empty()) return fail("command missing after the time");

        std::string error;
        std::optional<ScriptAction> action = ParseAction(command, rest, error);
        if (!action) return fail(error);
        script.events.push_back(ScriptEvent{t, lineNumber, std::move(*action)});
        previousMs = t;
    }
    return script;
}

RunScript ReadRunScript(const std::filesystem::path& path) {
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::binary);
    std::string bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
        RunScript script;
        script.error = "cannot read the script " + path.string();
        return script;
    }
    return ParseRunScript(bytes);
}

}  // namespace kelvaron
