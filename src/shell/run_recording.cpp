#include "shell/run_recording.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>
#include <sstream>

#include "common/content_hash.h"
#include "common/data_path.h"
#include "common/user_folders.h"
#include "data/controller_file_reader.h"
#include "data/labels_file_reader.h"
#include "data/sound_setup.h"
#include "input/usb_scan.h"
#include "shell/run_script.h"
#include "shell/run_window.h"

namespace kelvaron {

namespace {

constexpr std::string_view kFirstLine = "# Kelvaron run recording";
constexpr std::string_view kNoFile = "-";

// "key value" lines of the header, the value being the rest of the line.
std::optional<std::string_view> Field(std::string_view line, std::string_view key) {
    const std::string prefix = "# " + std::string(key) + " ";
    if (!line.starts_with(prefix)) return std::nullopt;
    return line.substr(prefix.size());
}

// "name value" pairs; names not known are left alone, so that an older
// program reads a newer recording.
void ReadSettings(std::string_view text, ProgramSettings& settings) {
    std::istringstream in{std::string(text)};
    std::string name;
    int32_t value = 0;
    while (in >> name >> value) {
        if (name == "keypad-swap") settings.KeypadSwap = value != 0;
        if (name == "auto-run") settings.AutoRun = value != 0;
        if (name == "value-window") settings.ValueWindowShown = value != 0;
        if (name == "controller") settings.ControllerKind = value;
    }
}

void ReadCodes(std::string_view text, PsCodes& codes) {
    std::istringstream in{std::string(text)};
    for (int32_t& code : codes) {
        if (!(in >> code)) return;
    }
}

}  // namespace

RunIdentity IdentityOf(RunWindow& window) {
    RunIdentity id;
    id.dataDir = window.DataDir().string();
    id.train = window.Train().FileName;
    id.line = window.Line().FileName;
    id.videoFrames = window.State().VideoFrameCount;
    id.settings = window.StartSettings();
    std::vector<std::string> names = {id.train, id.line, kLabelsFile, kMasconFile};
    for (std::string& sound : SoundFileNames(window.Train(), window.Line())) {
        names.push_back(std::move(sound));
    }
    std::set<std::string> seen;
    for (const std::string& name : names) {
        // A name with a line break could not stand on a header line; the run
        // opened no such file anyway.
        if (HasControlCharacter(name) || !seen.insert(name).second) continue;
        const DataFile file = ResolveDataPath(window.DataDir(), name);
        std::string hash = file.Refused() ? std::string() : FileContentHash(file.path);
        id.files.emplace_back(name, hash.empty() ? std::string(kNoFile) : hash);
    }
    return id;
}

std::string IdentityHeader(const RunIdentity& id) {
    std::string text = std::string(kFirstLine) + ": replay it with\n";
    text += "#   kelvaron --headless --data DIR --train " + id.train + " --line " + id.line +
            " --script THIS_FILE\n";
    text += "# data " + id.dataDir + "\n# train " + id.train + "\n# line " + id.line + "\n";
    text += "# video-frames " + std::to_string(id.videoFrames) + "\n";
    const ProgramSettings& p = id.settings;
    text += "# settings keypad-swap " + std::to_string(p.KeypadSwap) + " auto-run " +
            std::to_string(p.AutoRun) + " value-window " + std::to_string(p.ValueWindowShown) +
            " controller " + std::to_string(p.ControllerKind) + "\n# joystick-codes";
    for (int32_t code : p.Ps) text += " " + std::to_string(code);
    text += "\n";
    for (const auto& [name, hash] : id.files) text += "# file " + hash + " " + name + "\n";
    return text;
}

std::optional<RunIdentity> ReadIdentity(std::string_view script) {
    if (!script.starts_with(kFirstLine)) return std::nullopt;
    RunIdentity id;
    while (!script.empty() && script.front() == '#') {
        const size_t end = script.find('\n');
        std::string_view line = script.substr(0, end);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (auto v = Field(line, "data")) id.dataDir = *v;
        if (auto v = Field(line, "train")) id.train = *v;
        if (auto v = Field(line, "line")) id.line = *v;
        if (auto v = Field(line, "video-frames"))
            id.videoFrames = std::atoi(std::string(*v).c_str());
        if (auto v = Field(line, "settings")) ReadSettings(*v, id.settings);
        if (auto v = Field(line, "joystick-codes")) ReadCodes(*v, id.settings.Ps);
        if (auto v = Field(line, "file")) {
            const size_t blank = v->find(' ');
            if (blank != std::string_view::npos) {
                id.files.emplace_back(std::string(v->substr(blank + 1)),
                                      std::string(v->substr(0, blank)));
            }
        }
    }
    return id;
}

std::optional<std::string> ReplayRefusal(const RunIdentity& recorded, const RunIdentity& run) {
    if (recorded.train != run.train || recorded.line != run.line) {
        return "the recording is of train " + recorded.train + " on line " + recorded.line +
               ", not of train " + run.train + " on line " + run.line;
    }
    if (recorded.settings.ControllerKind == kControllerGamePad) {
        return std::string(
            "the recording was made with a game controller, whose input a "
            "recording does not keep");
    }
    std::string changed;
    for (const auto& [name, hash] : recorded.files) {
        const auto now =
            std::find_if(run.files.begin(), run.files.end(),
                         [&name = name](const auto& file) { return file.first == name; });
        if (now == run.files.end() || now->second != hash) {
            changed += (changed.empty() ? "" : ", ") + name;
        }
    }
    if (!changed.empty()) {
        return "the recording was made with other files: " + changed + " in " + run.dataDir +
               " changed since (recorded from " + recorded.dataDir + ")";
    }
    if (recorded.videoFrames != run.videoFrames) {
        return "the recording was made with a cab video of " +
               std::to_string(recorded.videoFrames) + " frames; this one has " +
               std::to_string(run.videoFrames);
    }
    return std::nullopt;
}

RunRecorder::RunRecorder(const std::filesystem::path& file, const RunIdentity& identity)
    : file_(file), out_(file, std::ios::binary | std::ios::trunc) {
    out_ << IdentityHeader(identity);
    out_.flush();
}

void RunRecorder::Write(const std::string& command) {
    out_ << FormatScriptEvent(now_, command) << '\n';
    out_.flush();
}

void RunRecorder::OnChar(char key) {
    Write(ScriptCharCommand(key));
}

void RunRecorder::OnKey(int vk, bool shiftOnly) {
    Write(ScriptKeyCommand(vk, shiftOnly));
}

void RunRecorder::OnWheel(bool up) {
    Write(up ? "wheel up" : "wheel down");
}

void RunRecorder::OnJoystick(const JoystickState& state) {
    // The script's joystick holds its state until the next event: only
    // changes need writing.
    if (joystick_ && joystick_->x == state.x && joystick_->y == state.y &&
        joystick_->buttons == state.buttons) {
        return;
    }
    joystick_ = state;
    Write("joystick " + std::to_string(state.x) + " " + std::to_string(state.y) + " " +
          std::to_string(state.buttons));
}

void RunRecorder::OnSerial(const std::string& chunk) {
    if (chunk.empty()) return;  // a script cannot carry an empty chunk
    Write(ScriptSerialCommand(chunk));
}

void RunRecorder::OnStart() {
    Write("start");
}

void RunRecorder::OnMove(int32_t station) {
    Write("move " + std::to_string(station));
}

void RunRecorder::OnController(int32_t kind) {
    Write("controller " + std::to_string(kind));
}

void RunRecorder::OnClose() {
    Write("close");
}

std::filesystem::path RecordingsFolder() {
    return UserFolder("XDG_DATA_HOME", std::filesystem::path(".local") / "share") / "kelvaron" /
           "runs";
}

std::vector<std::filesystem::path> Recordings(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec) && entry.path().extension() == ".txt") {
            found.push_back(entry.path());
        }
    }
    // The names begin with the time they were made.
    std::sort(found.begin(), found.end(), std::greater<>());
    return found;
}

std::filesystem::path NewRecordingFile(const std::filesystem::path& folder,
                                       const std::string& lineFile) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string line = std::filesystem::path(lineFile).stem().string();
    // Named by the time to the millisecond, so that names sort as the
    // recordings were made; a name taken already takes the next millisecond.
    auto when =
        std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
    std::filesystem::path file;
    do {
        const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
        std::tm local{};
        localtime_r(&seconds, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        char milli[8];
        std::snprintf(milli, sizeof milli, "%03d",
                      static_cast<int>(when.time_since_epoch().count() % 1000));
        file = folder / (std::string(stamp) + milli + "-" + line + ".txt");
        when += std::chrono::milliseconds(1);
    } while (std::filesystem::exists(file, ec));
    const std::vector<std::filesystem::path> old = Recordings(folder);
    // The new one counts among those kept.
    for (size_t i = kRecordingsKept - 1; i < old.size(); ++i) std::filesystem::remove(old[i], ec);
    return file;
}

}  // namespace kelvaron
