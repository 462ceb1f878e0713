#include "app/headless_runner.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "app/check_command.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/run_script.h"
#include "shell/run_selection.h"
#include "shell/run_summary.h"
#include "shell/run_window.h"
#include "shell/trace_writer.h"
#include "sim/scheduler.h"

namespace kelvaron {

namespace {

struct RunnerOptions {
    std::filesystem::path dataDir;
    std::string trainFile, lineFile;
    std::optional<std::filesystem::path> script, trace, soundLog;
    bool traceTicks = false;
    std::optional<int64_t> untilMs;
};

int UsageError(const std::string& why) {
    std::cerr << "kelvaron --headless: " << why << '\n';
    return kUsageExitCode;
}

std::optional<int> ParseOptions(const std::vector<std::string>& args, RunnerOptions& o) {
    bool haveData = false;
    std::optional<RunChoice> choice;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--headless") continue;
        if (!hasValue) return UsageError("'" + a + "' needs a value or is not understood");
        const std::string& v = args[++i];
        if (a == "--data") {
            o.dataDir = v;
            haveData = true;
        } else if (a == "--run") {
            choice = ChooseRun(v);
            if (!choice) return UsageError("--run takes local or express");
        } else if (a == "--train") {
            o.trainFile = v;
        } else if (a == "--line") {
            o.lineFile = v;
        } else if (a == "--script") {
            o.script = v;
        } else if (a == "--trace") {
            o.trace = v;
        } else if (a == "--sound-log") {
            o.soundLog = v;
        } else if (a == "--trace-every") {
            if (v != "refresh" && v != "tick")
                return UsageError("--trace-every takes refresh or tick");
            o.traceTicks = v == "tick";
        } else if (a == "--until") {
            char* end = nullptr;
            const double seconds = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(seconds >= 0) || seconds > 1e9) {
                return UsageError("--until takes a number of seconds");
            }
            o.untilMs = static_cast<int64_t>(std::llround(seconds * 1000));
        } else {
            return UsageError("'" + a + "' is not understood");
        }
    }
    if (!haveData) return UsageError("--data DIR is needed");
    if (choice) {
        if (o.trainFile.empty()) o.trainFile = choice->trainFile;
        if (o.lineFile.empty()) o.lineFile = choice->lineFile;
    }
    if (o.trainFile.empty() || o.lineFile.empty()) {
        return UsageError("give --run local|express or both --train and --line");
    }
    return std::nullopt;
}

// Feeds the scheduler's events to the run window and records the trace.
class RunnerClient : public SchedulerClient {
  public:
    RunnerClient(RunWindow& window, VirtualMixer& mixer, TraceWriter* trace, bool traceTicks,
                 RunSummary& summary)
        : window_(window),
          mixer_(mixer),
          trace_(trace),
          traceTicks_(traceTicks),
          summary_(summary) {}

    void OnTick(int64_t t) override {
        mixer_.SetTime(t);
        window_.MMTimer1Timer();
        if (trace_ && traceTicks_) trace_->WriteRow(t, "tick", window_.State(), StationCount());
    }
    void OnRefresh(int64_t t) override {
        mixer_.SetTime(t);
        window_.Timer1Timer();
        summary_.Observe(window_.State(), window_.Line());
        if (trace_) trace_->WriteRow(t, "refresh", window_.State(), StationCount());
    }

  private:
    int StationCount() const { return static_cast<int>(window_.Line().Station.size()); }

    RunWindow& window_;
    VirtualMixer& mixer_;
    TraceWriter* trace_;
    bool traceTicks_;
    RunSummary& summary_;
};

// Applies one script event; false when it closes the run.
bool Apply(const ScriptEvent& event, RunWindow& window, Scheduler& scheduler,
           ScriptedJoystick& joystick, ScriptedSerialPort& serial) {
    const int64_t t = event.timeMs;
    InputDispatcher& input = window.Input();
    return std::visit(
        [&](const auto& a) -> bool {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, ScriptStart>) {
                window.start1Click();
                if (window.Running())
                    scheduler.Start(t);
                else
                    scheduler.Pause(t);
            } else if constexpr (std::is_same_v<A, ScriptChar>) {
                input.TypedChar(a.character);
            } else if constexpr (std::is_same_v<A, ScriptKey>) {
                input.KeyDown(a.code, a.shift);
            } else if constexpr (std::is_same_v<A, ScriptWheel>) {
                if (a.up)
                    input.WheelUp();
                else
                    input.WheelDown();
            } else if constexpr (std::is_same_v<A, ScriptMove>) {
                window.StationClick("Sta" + std::to_string(a.station));
            } else if constexpr (std::is_same_v<A, ScriptController>) {
                window.ChooseController(a.kind);
            } else if constexpr (std::is_same_v<A, ScriptJoystick>) {
                joystick.state = JoystickState{a.x, a.y, a.buttons};
            } else if constexpr (std::is_same_v<A, ScriptSerial>) {
                serial.Receive(a.text);
            } else if constexpr (std::is_same_v<A, ScriptClose>) {
                return false;
            }
            return true;
        },
        event.action);
}

}  // namespace

int RunHeadless(const std::vector<std::string>& args) {
    RunnerOptions options;
    if (auto code = ParseOptions(args, options)) return *code;

    RunScript script;
    if (options.script) {
        script = ReadRunScript(*options.script);
        if (!script.ok()) {
            std::cerr << script.error << '\n';
            return 1;
        }
    }

    std::ofstream soundLog;
    if (options.soundLog) {
        soundLog.open(*options.soundLog);
        if (!soundLog) {
            std::cerr << "cannot write the sound log " << options.soundLog->string() << '\n';
            return 1;
        }
    }
    std::ofstream traceFile;
    std::unique_ptr<TraceWriter> trace;
    if (options.trace) {
        traceFile.open(*options.trace);
        if (!traceFile) {
            std::cerr << "cannot write the trace " << options.trace->string() << '\n';
            return 1;
        }
        trace = std::make_unique<TraceWriter>(traceFile);
    }

    VirtualMixer mixer(options.soundLog ? &soundLog : nullptr, false);
    FfmpegVideoReader video;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    PlatformServices services{mixer, video, pictures, joystick, serial, settings, messages};

    RunWindow window(services, options.dataDir, options.trainFile, options.lineFile);
    if (!window.FormCreate()) return 1;
    int64_t nowMs = 0;  // the time of the script event being applied
    serial.onReceived = [&](int count) { window.RxChar(count, nowMs); };

    Scheduler scheduler;
    RunSummary summary;
    RunnerClient client(window, mixer, trace.get(), options.traceTicks, summary);

    // The start of a serial code stops waiting for its rest at its own time,
    // an input among the timers like any other.
    const auto serialWaitsBefore = [&](int64_t limitMs) {
        for (auto due = window.Input().SerialDeadline(); due && *due < limitMs;
             due = window.Input().SerialDeadline()) {
            scheduler.AdvanceBefore(*due, client);
            mixer.SetTime(*due);
            window.SerialWaitOver(*due);
        }
    };

    // Input comes first at equal times: every event of one millisecond is
    // applied before that millisecond's tick and refresh, and a close among
    // them ends the run before those timers.
    int64_t end = 0;
    bool closed = false;
    const auto& events = script.events;
    for (size_t i = 0; i < events.size() && !closed;) {
        const int64_t t = events[i].timeMs;
        if (options.untilMs && t > *options.untilMs) break;
        serialWaitsBefore(t);
        scheduler.AdvanceBefore(t, client);
        mixer.SetTime(t);
        nowMs = t;
        end = t;
        for (; i < events.size() && events[i].timeMs == t; ++i) {
            if (!Apply(events[i], window, scheduler, joystick, serial)) {
                closed = true;
                break;
            }
        }
        if (!closed) scheduler.AdvanceTo(t, client);
    }
    if (!closed) {
        if (options.untilMs) end = *options.untilMs;
        serialWaitsBefore(end + 1);
        scheduler.AdvanceTo(end, client);
    }

    summary.Print(std::cout);
    if (!window.FormCloseQuery()) return 1;
    return 0;
}

}  // namespace kelvaron
