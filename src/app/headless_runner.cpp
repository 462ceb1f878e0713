#include "app/headless_runner.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "app/check_command.h"
#include "app/review_on_demand.h"
#include "app/video_on_demand.h"
#include "drive/auto_driver.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/data_folder.h"
#include "shell/run_recording.h"
#include "shell/run_review.h"
#include "shell/run_script.h"
#include "shell/run_selection.h"
#include "shell/run_summary.h"
#include "shell/run_window.h"
#include "shell/script_playback.h"
#include "shell/trace_writer.h"

namespace kelvaron {

namespace {

struct RunnerOptions {
    std::filesystem::path dataDir;
    std::string trainFile, lineFile;
    std::optional<std::filesystem::path> script, trace, soundLog, review;
    bool traceTicks = false;
    bool autopilot = false;
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
        if (a == "--autopilot") {
            o.autopilot = true;
            continue;
        }
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
        } else if (a == "--review") {
            if (ReviewFileKindOf(v) == ReviewFileKind::Unknown)
                return UsageError("--review takes a .svg, .png or .csv file");
            o.review = v;
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

// The run the options ask for, its summary (and the driver's report) on
// `out`. `findings` tells whether the driver had anything to report.
int RunWithOptions(const RunnerOptions& options, std::ostream& out, bool* findings = nullptr) {
    if (const std::string fault = CheckDataFolder(options.dataDir); !fault.empty()) {
        std::cerr << fault << '\n';
        return 1;
    }
    VideoOnDemand video;

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
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    PlatformServices services{mixer, video, pictures, joystick, serial, settings, messages};

    // A recording starts from the settings the desktop run started from.
    const std::optional<RunIdentity> recorded = ReadIdentity(script.header);
    auto program = std::make_shared<ProgramSettings>();
    if (recorded) {
        *program = recorded->settings;
        for (size_t i = 0; i < kPsCodeCount; ++i) {
            settings.WriteInt(kPsCodeNames[i], recorded->settings.Ps[i]);
        }
    }
    RunWindow window(services, options.dataDir, options.trainFile, options.lineFile, program);
    if (!window.FormCreate()) return 1;
    // A run without its video reader would run on as if the line had no video.
    if (!video.LoadError().empty()) {
        std::cerr << video.LoadError() << '\n';
        return 1;
    }
    // A recording replays only on the files it was made with.
    if (recorded) {
        if (auto refusal = ReplayRefusal(*recorded, IdentityOf(window))) {
            std::cerr << "kelvaron: " << *refusal << '\n';
            return 1;
        }
    }

    RunSummary summary;
    RunReview review;
    std::unique_ptr<AutoDriver> driver;
    if (options.autopilot) driver = std::make_unique<AutoDriver>(window.Context(), window.Input());
    PlayScript(script, options.untilMs, {window, joystick, serial},
               {trace.get(), options.traceTicks, summary, &review}, driver.get());

    summary.Print(out);
    for (const std::string& line : review.ScoreLines(summary)) out << line << '\n';
    if (driver) driver->Report().Print(out);
    if (findings) *findings = driver && !driver->Report().Empty();
    if (options.review) {
        std::string error;
        if (!WriteReviewOnDemand(review, summary, *options.review, &error)) {
            std::cerr << error << '\n';
            return 1;
        }
    }
    if (!window.FormCloseQuery()) return 1;
    return 0;
}

}  // namespace

int RunHeadless(const std::vector<std::string>& args) {
    RunnerOptions options;
    if (auto code = ParseOptions(args, options)) return *code;
    return RunWithOptions(options, std::cout);
}

int DriveLineHeadless(const std::filesystem::path& dataDir, const std::string& train,
                      const std::string& line, std::ostream& out) {
    RunnerOptions options;
    options.dataDir = dataDir;
    options.trainFile = train;
    options.lineFile = line;
    options.autopilot = true;
    bool findings = false;
    const int code = RunWithOptions(options, out, &findings);
    return code != 0 || findings ? 1 : 0;
}

}  // namespace kelvaron
