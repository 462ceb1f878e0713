#pragma once

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "headless_services.h"
#include "shell/run_window.h"
#include "shell/script_playback.h"

namespace kelvaron::test {

// A run built from data files with the headless services, its timers
// delivered in virtual time: for tests and benchmarks that work on a run in
// the program's own process.
struct HeadlessRun : HeadlessServices<> {
    // `logSounds`: every mixer command goes to `soundLog` (only its address is
    // taken before it is built).
    HeadlessRun(const std::filesystem::path& dir, const std::string& train, const std::string& line,
                int32_t videoFrames = 6000, bool logSounds = false)
        : HeadlessServices(logSounds ? &soundLog : nullptr, false),
          window(std::make_unique<RunWindow>(Platform(), dir, train, line)),
          client(*window) {
        video.frameCountWhenOpen = videoFrames;
        built = window->FormCreate();
        serial.onReceived = [this](int count) { window->RxChar(count, timers.Now()); };
    }

    // Keys typed at virtual time t, as a script types them.
    void Keys(int64_t t, const std::string& keys) {
        timers.AdvanceBefore(t, client);
        window->SetTime(t);
        for (char c : keys) window->Input().TypedChar(c);
        timers.AdvanceTo(t, client);
    }
    void Start(int64_t t = 0) {
        window->start1Click();
        timers.Start(t);
    }

    std::ostringstream soundLog;
    std::unique_ptr<RunWindow> window;
    WindowTimers client;
    Scheduler timers;
    bool built = false;
};

}  // namespace kelvaron::test
