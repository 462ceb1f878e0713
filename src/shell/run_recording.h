#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "input/input_dispatcher.h"
#include "shell/program_settings.h"

namespace kelvaron {

class RunWindow;

// What a run was made of: its data folder, train and line, and the content
// of every file that decides how it runs (the train, line, labels and
// controller code files and every sound, whose lengths time the doors and
// bells), with the length of the cab video (which times the preceding train).
struct RunIdentity {
    std::string dataDir;
    std::string train;
    std::string line;
    int32_t videoFrames = -1;
    std::vector<std::pair<std::string, std::string>> files;  // name as written, content hash
    // What the player had set for the whole program when the run began (a
    // headless run would otherwise start from the defaults).
    ProgramSettings settings;
};

// The identity of a run that start-up has built.
RunIdentity IdentityOf(RunWindow& window);

// A recording begins with its identity as comment lines, so that it stays a
// script the headless runner plays as it is.
std::string IdentityHeader(const RunIdentity& identity);

// The identity a script's header names; empty when the script is no recording.
std::optional<RunIdentity> ReadIdentity(std::string_view script);

// Why a recording cannot be replayed on a run: another train or line, files
// changed since, a cab video of another length. Empty when it can.
std::optional<std::string> ReplayRefusal(const RunIdentity& recorded, const RunIdentity& run);

// Writes every input a run receives, with its virtual time, as the runner's
// script: typed characters, key-downs, the wheel, joystick states as the
// refresh reads them, serial chunks, and the Start, Move, controller and
// close commands. Each line is written as it happens, so a run that ends
// badly keeps its recording.
class RunRecorder : public InputObserver {
  public:
    // Begins the recording in `file` with the identity as its header.
    RunRecorder(const std::filesystem::path& file, const RunIdentity& identity);

    bool Ok() const { return static_cast<bool>(out_); }
    const std::filesystem::path& File() const { return file_; }

    // The virtual time of what comes next.
    void SetTime(int64_t tMs) { now_ = tMs; }

    void OnChar(char key) override;
    void OnKey(int vk, bool shiftOnly) override;
    void OnWheel(bool up) override;
    void OnJoystick(const JoystickState& state) override;
    void OnSerial(const std::string& chunk) override;

    void OnStart();
    void OnMove(int32_t station);
    void OnController(int32_t kind);
    void OnClose();

  private:
    void Write(const std::string& command);

    std::filesystem::path file_;
    std::ofstream out_;
    int64_t now_ = 0;
    std::optional<JoystickState> joystick_;  // the last state written
};

// Where the desktop program keeps its recordings: $XDG_DATA_HOME/kelvaron/runs,
// by default ~/.local/share/kelvaron/runs.
std::filesystem::path RecordingsFolder();

// How many recordings are kept; a new one removes the oldest beyond.
constexpr size_t kRecordingsKept = 50;

// A file for a recording begun now, named by the wall-clock time and the
// line; the folder is made when missing and the oldest recordings beyond the
// last kRecordingsKept are removed.
std::filesystem::path NewRecordingFile(const std::filesystem::path& folder,
                                       const std::string& lineFile);

// The recordings in a folder, newest first.
std::vector<std::filesystem::path> Recordings(const std::filesystem::path& folder);

}  // namespace kelvaron
