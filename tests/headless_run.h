#pragma once

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/run_window.h"
#include "shell/script_playback.h"

namespace kelvaron::test {

// A run built from data files with the headless services, its timers
// delivered in virtual time: for tests and benchmarks that work on a run in
// the program's own process.
struct HeadlessRun {
    // `logSounds`: every mixer command goes to `soundLog`.
    HeadlessRun(const std::filesystem::path& dir, const std::string& train, const std::string& line,
                int32_t videoFrames = 6000, bool logSounds = false)
        : mixer(logSounds ? &soundLog : nullptr, false),
          window(std::make_unique<RunWindow>(
              PlatformServices{mixer, video, pictures, joystick, serial, settings, messages}, dir,
              train, line)),
          client(*window, mixer) {
        video.frameCountWhenOpen = videoFrames;
        messages.echo = false;
        built = window->FormCreate();
        serial.onReceived = [this](int count) { window->RxChar(count, timers.Now()); };
    }

    // Keys typed at virtual time t, as a script types them.
    void Keys(int64_t t, const std::string& keys) {
        timers.AdvanceBefore(t, client);
        mixer.SetTime(t);
        for (char c : keys) window->Input().TypedChar(c);
        timers.AdvanceTo(t, client);
    }
    void Start(int64_t t = 0) {
        window->start1Click();
        timers.Start(t);
    }

    std::ostringstream soundLog;
    VirtualMixer mixer;
    FakeVideoReader video;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    std::unique_ptr<RunWindow> window;
    WindowTimers client;
    Scheduler timers;
    bool built = false;
};

}  // namespace kelvaron::test
