#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/picture.h"
#include "data/cab_image_lists.h"
#include "data/controller_file_reader.h"
#include "data/labels.h"
#include "data/line_definition.h"
#include "data/panel_model.h"
#include "data/sound_tables.h"
#include "data/train_config.h"
#include "drive/auto_driver.h"
#include "input/input_dispatcher.h"
#include "input/pad_profiles.h"
#include "platform/game_controller.h"
#include "platform/joystick.h"
#include "platform/message_box.h"
#include "platform/picture_loader.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/sound_mixer.h"
#include "platform/video_reader.h"
#include "run/refresh.h"
#include "run/run_context.h"
#include "run/value_window.h"
#include "shell/menu_model.h"
#include "shell/program_settings.h"
#include "shell/run_recording.h"
#include "sim/run_state.h"

namespace kelvaron {

// The machine services one run uses.
struct PlatformServices {
    SoundMixer& mixer;
    VideoReader& video;
    PictureLoader& pictures;
    Joystick& joystick;
    SerialPort& serial;
    SettingsStore& settings;
    MessageBox& messages;
    // Game controllers and each one's table; none where nobody plugs one in
    // (the headless runner).
    GameControllers* pads = nullptr;
    const PadProfiles* padProfiles = nullptr;
};

// The run window: owns one run (every table and the run state, created anew
// for each run) and carries its handlers under their names. Front ends (the
// Qt window, the headless runner, tests) feed it time and input.
class RunWindow {
  public:
    // `program` is shared by the runs of one program; a run given none keeps
    // its own.
    RunWindow(PlatformServices services, std::filesystem::path dataDir, std::string trainFile,
              std::string lineFile,
              std::shared_ptr<ProgramSettings> program = std::make_shared<ProgramSettings>());
    RunWindow(const RunWindow&) = delete;
    RunWindow& operator=(const RunWindow&) = delete;

    // Start-up: reads the settings and the four data files, builds the panel,
    // opens the video, loads the sounds and sets the start values. Progress
    // texts go to `status`. False when the run cannot be built: the message
    // has been shown and is kept in StartupError().
    bool FormCreate(const std::function<void(const std::string&)>& status = {});
    const std::string& StartupError() const { return startupError_; }
    // Whether a start-up failure ends the program. Only a missing controller
    // code file lets the player go back to the title screen.
    bool StartupFatal() const { return startupFatal_; }

    // Run control.
    void start1Click();
    bool Running() const { return running_; }  // both timers enabled
    void StationClick(std::string_view itemName);
    // How often the train has been put at a station so far.
    int32_t Moves() const { return moves_; }
    void S1Click();
    // Closes the run: stops everything, frees the sounds and hands the
    // program-wide settings on to the next run. False when the sound device
    // cannot be re-created; the program must then end.
    bool FormCloseQuery();

    // The two timers' handlers.
    void MMTimer1Timer();
    void Timer1Timer();

    // The run's virtual time now, given by the front end before each tick,
    // refresh and input: the mixer answers by it, a recording stamps input
    // with it.
    void SetTime(int64_t tMs);

    // Keeps every input from now on in a recording (the desktop program
    // records each run).
    void Record(std::unique_ptr<RunRecorder> recorder);
    RunRecorder* Recorder() { return recorder_.get(); }

    // The joystick the refresh reads from now on (a replay's instead of the
    // device).
    void UseJoystick(Joystick& joystick) { joystick_ = &joystick; }

    // Starts this run from the program-wide settings a recording began with,
    // leaving the program's own settings as they are when the run closes.
    void ReplayFrom(const ProgramSettings& settings);
    // The program-wide settings this run started from.
    const ProgramSettings& StartSettings() const { return start_; }

    // The cab-view presenter; true when a new frame has been decoded into the
    // frame target: FrameBitmap() unless a window shows frames of its own size.
    bool AppIdle(uint32_t nowMs);
    bool Redraw();
    const Picture& FrameBitmap() const { return frameBitmap_; }
    // Frames go straight into the memory a window shows (empty: FrameBitmap()),
    // or with a target without memory are only decoded, for the window to
    // draw when it paints. The memory must stay valid until the next call.
    void SetFrameTarget(std::optional<FrameTarget> target) { frameTarget_ = target; }

    // Driver input, shared by every front end.
    InputDispatcher& Input() { return *input_; }
    // The serial port's events, at `nowMs` of the front end's millisecond
    // clock. The value window's caption follows them at once, before Start
    // and while paused too, when a player checks the controller.
    void RxChar(int count, int64_t nowMs);
    void SerialWaitOver(int64_t nowMs);
    void ChooseController(int kind);

    // The Controller menu's "自動運転": hands the train to the automatic
    // driver, or takes it back. The front end lets the driver act at its
    // moments while it has the train.
    void auto1Click();
    AutoDriver* Autopilot() { return autopilot_.get(); }

    RunContext& Context() { return context_; }
    RunState& State() { return state_; }
    const TrainConfig& Train() const { return train_; }
    const LineDefinition& Line() const { return line_; }
    PanelModel& Panel() { return panel_; }
    MenuModel& Menu() { return menu_; }
    ValueWindowModel& ValueWindow() { return valueWindow_; }
    const std::filesystem::path& DataDir() const { return dataDir_; }

    // Faults the refresh's last-resort guard caught, each reported once.
    const std::set<std::string>& RefreshFaults() const { return refreshFaults_; }

  private:
    bool Fail(const std::string& message, bool fatal = true);
    void SetStartValues();
    void ApplyProgramSettings();
    void KeepProgramSettings();
    void FillFixedLabels();
    void AddMoveItems();
    void ShowSerialCaption();
    FrameTarget FrameTargetNow();

    PlatformServices services_;
    std::filesystem::path dataDir_;
    std::string trainFile_;
    std::string lineFile_;
    std::shared_ptr<ProgramSettings> program_;

    RunState state_;
    TrainConfig train_;
    LineDefinition line_;
    CabImageLists images_;
    PanelModel panel_;
    Labels labels_;
    SoundTables sounds_;
    ControllerCodes codes_;
    MenuModel menu_;
    ValueWindowModel valueWindow_;
    Picture frameBitmap_;
    int32_t moves_ = 0;
    std::optional<FrameTarget> frameTarget_;
    RunContext context_;
    RefreshExtras refreshExtras_;  // what the refresh is given besides the run, set up once
    std::unique_ptr<InputDispatcher> input_;
    std::unique_ptr<AutoDriver> autopilot_;
    std::unique_ptr<RunRecorder> recorder_;
    Joystick* joystick_;
    ProgramSettings start_;
    bool keepSettings_ = true;

    bool running_ = false;
    bool built_ = false;
    std::string startupError_;
    bool startupFatal_ = false;
    std::set<std::string> refreshFaults_;
};

}  // namespace kelvaron
