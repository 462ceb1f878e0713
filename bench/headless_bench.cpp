// The headless runner as a user runs it, on the demo data
// (KELVARON_DEMO_DATA=build/demo-data; without it these benchmarks are skipped).
//
//   BM_HeadlessRunPhase/<run>/<trace>  the run phase of `kelvaron --headless
//       --run <run> --script drive_<run>.txt`: the drive script played through
//       the runner's own playback, after a start-up that is not timed; trace
//       none, refresh (`--trace`) or tick (`--trace-every tick`), written to a
//       file as the runner writes it. items_per_second is simulated seconds per
//       CPU second, sim_x_real_time the same figure as a multiple of real time.
//   BM_HeadlessStartUp/<program>  wall time from starting the program to its
//       exit after the first refresh (`--script` "0 start", `--until 0.1`),
//       with the run's CPU time (cpu_ms). Its anchor in the same run is
//       BM_HeadlessStartUp/ffprobe: `ffprobe -v quiet` opening the same video,
//       when ffprobe is installed. KELVARON_PROGRAM names the program to time
//       (default: the `kelvaron` beside this benchmark).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_data.h"
#include "headless_services.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "shell/run_script.h"
#include "shell/run_selection.h"
#include "shell/run_window.h"
#include "shell/script_playback.h"

namespace kelvaron {
namespace {

enum class TraceKind { None, Refresh, Tick };

void RunPhase(benchmark::State& state, const std::string& run, TraceKind traceKind) {
    const auto dir = bench::DemoDataDir();
    const auto choice = ChooseRun(run);
    const RunScript script = ReadRunScript(*dir / ("drive_" + run + ".txt"));
    if (!script.ok() || script.events.empty()) {
        state.SkipWithError(("no drive script: " + script.error).c_str());
        return;
    }
    const auto traceFile = std::filesystem::temp_directory_path() /
                           ("kelvaron-bench-trace-" + std::to_string(getpid()) + ".csv");
    const int64_t simulatedMs = script.events.back().timeMs;
    for (auto _ : state) {
        state.PauseTiming();
        test::HeadlessServices<VirtualMixer, FfmpegVideoReader> services(nullptr, false);
        auto window = std::make_unique<RunWindow>(services.Platform(), *dir, choice->trainFile,
                                                  choice->lineFile);
        if (!window->FormCreate()) {
            state.SkipWithError(window->StartupError().c_str());
            break;
        }
        std::ofstream out;
        std::unique_ptr<TraceWriter> trace;
        if (traceKind != TraceKind::None) {
            out.open(traceFile);
            trace = std::make_unique<TraceWriter>(out);
        }
        RunSummary summary;
        state.ResumeTiming();

        PlayScript(script, std::nullopt, {*window, services.joystick, services.serial},
                   {trace.get(), traceKind == TraceKind::Tick, summary});
        out.flush();

        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove(traceFile);
    const double simulatedSeconds = static_cast<double>(simulatedMs) / 1000.0;
    state.SetItemsProcessed(static_cast<int64_t>(simulatedSeconds) * state.iterations());
    state.counters["sim_x_real_time"] = benchmark::Counter(
        simulatedSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The program's CPU time, user and system, from its rusage.
double CpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs a program with its output thrown away; false when it could not run or failed.
bool RunProgram(const std::vector<std::string>& args, double& wallSeconds, double& cpuSeconds) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpuSeconds = CpuSeconds(usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void TimeProgram(benchmark::State& state, const std::vector<std::string>& args) {
    double cpu = 0;
    for (auto _ : state) {
        double wall = 0, used = 0;
        if (!RunProgram(args, wall, used)) {
            state.SkipWithError((args[0] + " failed").c_str());
            break;
        }
        state.SetIterationTime(wall);
        cpu += used;
    }
    state.counters["cpu_ms"] =
        cpu * 1e3 / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

std::string Program() {
    if (const char* named = std::getenv("KELVARON_PROGRAM")) return named;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kelvaron").string();
}

void StartUp(benchmark::State& state) {
    const auto dir = bench::DemoDataDir();
    const auto script = std::filesystem::temp_directory_path() /
                        ("kelvaron-bench-start-" + std::to_string(getpid()) + ".txt");
    std::ofstream(script) << "0 start\n";
    TimeProgram(state, {Program(), "--headless", "--data", dir->string(), "--run", "local",
                        "--script", script.string(), "--until", "0.1"});
    std::filesystem::remove(script);
}

void FfprobeOpen(benchmark::State& state) {
    const auto dir = bench::DemoDataDir();
    std::optional<std::filesystem::path> video;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(*dir)) {
        if (entry.path().extension() == ".avi" && entry.path().parent_path().filename() != "move")
            video = entry.path();
    }
    if (!video) {
        state.SkipWithError("no cab-view video in the demo data");
        return;
    }
    TimeProgram(state, {"/usr/bin/ffprobe", "-v", "quiet", video->string()});
}

[[maybe_unused]] const bool registered = [] {
    if (!bench::DemoDataDir()) return false;
    for (const char* run : {"local", "express"}) {
        for (auto [name, kind] :
             {std::pair{"none", TraceKind::None}, std::pair{"refresh", TraceKind::Refresh},
              std::pair{"tick", TraceKind::Tick}}) {
            benchmark::RegisterBenchmark(
                (std::string("BM_HeadlessRunPhase/") + run + "/" + name).c_str(),
                [run = std::string(run), kind = kind](benchmark::State& s) {
                    RunPhase(s, run, kind);
                })
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark("BM_HeadlessStartUp/kelvaron", StartUp)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    if (std::filesystem::exists("/usr/bin/ffprobe")) {
        benchmark::RegisterBenchmark("BM_HeadlessStartUp/ffprobe", FfprobeOpen)
            ->UseManualTime()
            ->Iterations(20)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
}  // namespace kelvaron
