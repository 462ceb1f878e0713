// Whole runs in virtual time with the full 100 ms refresh, driven the way the
// headless runner drives a script: a driver works the handles through the
// input dispatcher every half second, between the scheduler's events.
//
//   BM_ThirtyMinutes/sample  30 simulated minutes on the sample line (or on the
//                            demo data's local run with KELVARON_DEMO_DATA set,
//                            see bench_data.h); the line is driven again from
//                            its first station whenever its end is reached.
//   BM_ThirtyMinutes/big     the same on a generated line at the table limits:
//                            250 signals and 250 speed limits (500 of the 501
//                            events), 100 stations, 500 filming-speed units,
//                            250 gradients, 100 track sounds and 100 passing
//                            sources.
//   BM_Tick, BM_Refresh      one tick and one refresh within those runs.
//   BM_RefreshStep/<step>    each step of the refresh on its own, in the
//                            refresh's order, within the big line's run, so
//                            that the slowest shows.
//   BM_Review/<what>         the review of the sample thirty minutes (18 000
//                            refreshes), gathered beside the run: `window`
//                            paints the whole run into a 1200 x 600 picture
//                            as the review window does, `png` and `svg` write
//                            the exported page (1600 x 900) to a file.
//
// items_per_second of the thirty-minute runs is simulated seconds per CPU
// second; sim_s_per_wall_s is the same per wall-clock second. The value window
// is shown throughout, so every refresh step does its work. The per-event
// benchmarks time each call with the steady clock, less the clock's own cost
// (clock_ns); their Time is per call, averaged over the 30 minutes (their CPU
// column counts the whole run between two calls); p50_us, p99_us and max_us
// are the median, the 99th percentile and the slowest call. On a busy machine
// a call may include time the run spent preempted, which raises max_us and
// the mean but hardly the median.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_data.h"
#include "data/clock_face.h"
#include "gui/review_chart.h"
#include "gui/review_picture.h"
#include "input/handle_operations.h"
#include "input/keyboard.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "run/callouts.h"
#include "run/gradients.h"
#include "run/instruments.h"
#include "run/refresh.h"
#include "run/run_sounds.h"
#include "run/signals.h"
#include "run/stations.h"
#include "run/track_signs.h"
#include "run/train_protection.h"
#include "shell/run_review.h"
#include "shell/run_summary.h"
#include "shell/run_window.h"
#include "sim/air_brake.h"
#include "sim/motion_update.h"
#include "sim/run_clock.h"
#include "sim/scheduler.h"

namespace kelvaron {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t kRunMs = 30 * 60 * 1000;
constexpr int64_t kDriverPeriodMs = 500;
constexpr int64_t kRefreshesPerRun = kRunMs / Scheduler::kRefreshPeriodMs;
constexpr int64_t kTicksPerRun = kRunMs / Scheduler::kTickPeriodMs;

// ---------------------------------------------------------------------------
// The big line

constexpr const char* kBigLine = "line_big.dat";
constexpr int32_t kBigLineFrames = 55000;  // just inside the last frame a run may reach
constexpr int32_t kBigVideoFrames = kBigLineFrames + 200;

std::string Lines(int count, const std::function<std::string(int)>& line) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line(i) + "\n";
    return text + "#\n";
}

std::string Num(int64_t n) {
    return std::to_string(n);
}

// Every tenth signal, fifth station and so on varies, so that the run meets
// each kind of entry. The pictures and sounds are the sample data's.
std::string BigLineText() {
    constexpr int kStations = 100, kSignals = 250, kLimits = 250, kUnits = 500;
    constexpr int32_t kStationSpacing = kBigLineFrames / kStations;  // 550
    constexpr int32_t kSignalSpacing = kBigLineFrames / kSignals;    // 220
    constexpr int32_t kUnitLength = kBigLineFrames / kUnits;         // 110
    constexpr int32_t kStartTime = 1080000;                          // 10:00:00
    auto isStop = [](int i) { return i % 5 == 0 || i == kStations - 1; };

    std::string t = "[LineName]\nbenchmark line\n[DataName]\nline_big\n[StartPos]\n30\n";
    t += "[StartTime]\n" + Num(kStartTime) + "\n[FrameRate]\n30\n[Pre_Time]\n120\n[OneMan]\n0\n";
    t += "[Staf]\nline_staff.bmp\nline_still.bmp\n";
    t += "[Speed_YY]\n45\n[Speed_Y]\n65\n[Speed_YG]\n85\n[Speed_G]\n110\n";
    t += "[SoundData]\nline_melody.wav\nline_announce.wav\nline_crossing.wav\n#\n";
    t += "[KankoSound1]\n";
    for (int i = 0; i < kKankoSound1Count; ++i)
        t += "line_k" + std::string(i < 10 ? "0" : "") + Num(i) + ".wav\n";
    t += "[KankoSound2]\nline_k_dai1.wav\nline_k_jonai.wav\nline_k_shuppatsu.wav\n#\n";
    t += "[SignImageList]\nline_up.bmp\nline_down.bmp\n#\n";
    t += "[OtherImageList]\nline_time.bmp\nline_v_time.wav\nline_limit45.bmp\nline_v_limit45.wav\n"
         "line_limit60.bmp\nline_v_limit60.wav\nline_curve.bmp\nline_v_curve.wav\n#\n";
    t += "[SignalImageList]\nline_sig_r.bmp\nline_sig_yy.bmp\nline_sig_y.bmp\nline_sig_yg.bmp\n"
         "line_sig_g.bmp\n#\n";

    int stopNumber = 0;
    t += "[Station]\n" + Lines(kStations, [&](int i) {
             const int32_t zone = kStationSpacing * i;
             std::string times = "0,0";
             if (isStop(i)) {
                 // 95 s from stop to stop: a driver who keeps to the limits runs late.
                 const int32_t departure = kStartTime + 900 + stopNumber++ * 95 * 30;
                 times = Num(departure) + "," + Num(departure + 300);
             }
             return "st" + Num(i) + "," + (isStop(i) ? "0" : "1") + "," + Num(zone) + "," +
                    Num(zone + 60) + ",0," + times;
         });
    std::vector<int> stops;
    for (int i = 1; i < kStations; ++i) {
        if (isStop(i)) stops.push_back(i);
    }
    t += "[StopSound]\n" + Lines(static_cast<int>(stops.size()), [&](int k) {
             return Num(kStationSpacing * stops[static_cast<size_t>(k)] - 400);
         });
    t += "[Announce]\n" + Lines(static_cast<int>(stops.size()), [&](int k) {
             return "1," + Num(kStationSpacing * stops[static_cast<size_t>(k)] - 600);
         });
    t += "[Signal]\n" + Lines(kSignals, [&](int i) {
             const int32_t at = kSignalSpacing * i + 150;
             const int type = i % 10 == 9 ? 5 : 3;
             return "0,sig" + Num(i) + ",0," + Num(type) + "," + Num(at - 140) + "," + Num(at) +
                    "," + Num(at - 100) + "," + Num(at) + ",4,0";
         });
    t += "[SignalKanko]\n" + Lines(kSignals / 10, [](int k) { return Num(10 * k) + ",0,19"; });
    t += "[SpeedLimit]\n" + Lines(kLimits, [&](int i) {
             const int32_t at = kSignalSpacing * i + 40;
             return Num(70 + i % 4 * 10) + "," + (i % 2 == 0 ? "1" : "2") + ",0," + Num(at) + "," +
                    Num(at + 80);
         });
    t += "[Slope]\n" + Lines(kSignals, [&](int i) {
             const int32_t at = kSignalSpacing * i;
             return Num(i % 7 * 4 - 10) + "." + Num(i % 2 * 5) + "," + Num(at) + "," +
                    Num(at + kSignalSpacing);
         });
    t += "[Sign]\n" +
         Lines(50, [](int i) { return "3," + Num(1100 * i + 500) + "," + Num(1100 * i + 700); });
    t += "[Tunnel]\n" +
         Lines(25, [](int i) { return Num(2200 * i + 1000) + "\n" + Num(2200 * i + 1300); });
    t += "[Sound]\n" + Lines(kStations, [&](int i) {
             return "2," + Num(kStationSpacing * i + 300) + "," + Num(kStationSpacing * i + 360) +
                    ",60,0";
         });
    t += "[Doppler]\n" + Lines(kStations, [&](int i) {
             return "2," + Num(kStationSpacing * i + 400) + ",30000,0";
         });
    // Filming speeds rising and falling between 50 and 90 km/h.
    auto filming = [](int k) { return 50 + 10 * std::min(k % 8, 8 - k % 8); };
    t += "[SpeedUnit]\n" + Lines(kUnits, [&](int k) {
             return Num(kUnitLength * k) + "," + Num(kUnitLength * (k + 1)) + "," +
                    Num(filming(k)) + "," + Num(filming(k + 1));
         });
    return t;
}

// ---------------------------------------------------------------------------
// The driver

// Keeps to the speed limits and a speed near the filming speed, stops at each
// stopping station and sets off once the doors have closed, answers the
// protection's alarms, and after the last stop moves back to the first
// station. Works the handles with the number-pad keys, which every train has.
class Driver {
  public:
    void Act(RunWindow& window);

    int64_t stops = 0;        // stops made, up to the doors' closing
    int64_t restarts = 0;     // moves back to the first station
    int64_t emergencies = 0;  // emergency brakings the protection forced
    int64_t frames = 0;       // cab-view frames driven

  private:
    void Press(InputDispatcher& input, char key) {
        input.TypedChar(key);
        ++pressed_;
    }
    void WorkDoors(RunWindow& window);
    void MoveHandle(RunWindow& window, int32_t notch);
    int32_t DrivingNotch(RunWindow& window, long double kmh);

    int pressed_ = 0;
    int32_t lastFrame_ = 0;
    int64_t stopsMade_ = 0;  // on this pass along the line
    bool wasForced_ = false;
};

// The next stop the train has still to make, by its index.
std::optional<size_t> NextStop(const RunState& s, const LineDefinition& line) {
    const size_t count = std::min(line.Station.size(), s.StationFlag.size());
    for (size_t i = 0; i < count; ++i) {
        const StationData& st = line.Station[i];
        const StationFlags& flags = s.StationFlag[i];
        if (st.Kind == 1 || st.ZoneEnd < s.Frame) continue;
        const bool done = flags.doorsClosed || (st.Kind == 2 && flags.departurePlayed);
        if (!done) return i;
    }
    return std::nullopt;
}

// On one-man lines the driver opens the doors at a stop and closes them once
// the timetable says so.
void Driver::WorkDoors(RunWindow& window) {
    const RunState& s = window.State();
    if (!SpeedRoundsToZero(s)) return;
    const auto& stations = window.Line().Station;
    for (size_t i = 0; i < std::min(stations.size(), s.StationFlag.size()); ++i) {
        const StationData& st = stations[i];
        if (st.Kind != 0 || s.Frame < st.ZoneStart || st.ZoneEnd < s.Frame) continue;
        const bool due = s.StationFlag[i].doorsClosed;
        if ((!s.DoorsOpen && !due) || (s.DoorsOpen && s.DoorCommand && due))
            Press(window.Input(), 'd');
        return;
    }
}

void Driver::MoveHandle(RunWindow& window, int32_t notch) {
    const RunState& s = window.State();
    // A handle with a hold position may take a press without moving; bounded.
    for (int presses = 0; presses < 12; ++presses) {
        const int32_t at = s.PowerNotch > 0 ? s.PowerNotch : s.BrakeNotch;
        if (at == notch) return;
        Press(window.Input(), at < notch ? '8' : '2');
    }
}

// Handle position for the speed wanted here: the limits, the protection's
// restriction and the braking curve to the next stop.
int32_t Driver::DrivingNotch(RunWindow& window, long double kmh) {
    const RunState& s = window.State();
    const TrainConfig& train = window.Train();
    const LineDefinition& line = window.Line();
    const int32_t fullService = std::max(1, train.Brake - 1);
    const int32_t current = s.PowerNotch > 0 ? s.PowerNotch : s.BrakeNotch;

    long double target = std::min<long double>(train.MaxSpeed - 5, s.FilmingSpeed + 15);
    for (const SpeedLimitData& limit : line.SpeedLimit) {
        if (limit.StartFrame - 150 <= s.Frame && s.Frame <= limit.EndFrame)
            target = std::min<long double>(target, limit.LimitSpeed - 3);
    }
    if (s.AtsLimit != kNone) {
        const bool stopSignal = s.AtsLimit == 0 || s.AtsLimit == 998;
        target = std::min<long double>(target, stopSignal ? 15 : s.AtsLimit - 3);
    }

    if (auto next = NextStop(s, line)) {
        const StationData& st = line.Station[*next];
        if (st.ZoneStart <= s.Frame) return kmh >= 0.5L ? -fullService : -(fullService / 2 + 1);
        // Braking at half the service rate from here would just stop at the
        // zone's middle; the distance is in km/h x s.
        const long double metres = std::max<long double>(
            1, (st.StopPosition - static_cast<long double>(s.Distance)) / 100);
        const long double distance = metres * 3.6L;
        const long double rate =
            std::max<long double>(static_cast<long double>(train.BrakeRate) / kFixed4Scale, 1.0L);
        target = std::min(target, std::max(8.0L, std::sqrt(rate * distance)));
        const long double needed = kmh * kmh / (2 * distance);
        if (needed > 0.45L * rate) {
            const auto notch = static_cast<int32_t>(std::ceil(needed / rate * fullService)) + 1;
            return -std::clamp(notch, 1, fullService);
        }
    }
    if (kmh > target + 6) return -std::max(1, fullService / 2);
    if (kmh > target + 2) return -1;
    if (kmh > target) return 0;
    if (kmh < target - 5) return train.Power;
    return std::max(current, 0);
}

void Driver::Act(RunWindow& window) {
    RunState& s = window.State();
    const LineDefinition& line = window.Line();
    InputDispatcher& input = window.Input();
    const long double kmh = static_cast<long double>(s.Speed) / kFixed4Scale;
    pressed_ = 0;

    frames += std::max(0, s.Frame - lastFrame_);
    lastFrame_ = s.Frame;
    const int64_t made = std::count_if(s.StationFlag.begin(), s.StationFlag.end(),
                                       [](const StationFlags& f) { return f.doorsClosed; });
    stops += std::max<int64_t>(0, made - stopsMade_);
    stopsMade_ = made;

    if (s.ForcedEB) {
        if (!wasForced_) ++emergencies;
        wasForced_ = true;
        Press(input, '0');
        if (SpeedRoundsToZero(s)) Press(input, 'r');
        return;
    }
    wasForced_ = false;
    if (s.AtsAlarm) {
        Press(input, '2');
        Press(input, ' ');
        return;
    }

    const auto next = NextStop(s, line);
    if (!next) {
        window.StationClick("Sta0");
        lastFrame_ = s.Frame;
        stopsMade_ = 0;
        ++restarts;
        return;
    }
    if (line.OneMan != 0) WorkDoors(window);

    MoveHandle(window, s.DoorsOpen ? -1 : DrivingNotch(window, kmh));
    // Any key keeps the vigilance device quiet; 'k' is no driving key.
    if (pressed_ == 0 && s.VigilanceTimer > 300) Press(input, 'k');
}

// ---------------------------------------------------------------------------
// The refresh, step by step

// ---------------------------------------------------------------------------
// One run

// What a run times: nothing, each tick, each refresh, or one refresh step.
enum class Measure { Nothing, Tick, Refresh, Step };

// The steady clock's own cost inside a timed span: the median of back-to-back reads.
int64_t ClockOverheadNs() {
    static const int64_t overhead = [] {
        std::vector<int64_t> spans(4001);
        for (auto& span : spans) {
            const auto a = Clock::now();
            span = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - a).count();
        }
        std::nth_element(spans.begin(), spans.begin() + spans.size() / 2, spans.end());
        return spans[spans.size() / 2];
    }();
    return overhead;
}

int64_t NsSince(Clock::time_point start) {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
    return std::max<int64_t>(0, ns - ClockOverheadNs());
}

struct RunData {
    std::filesystem::path dir;
    std::string train, line;
    int32_t fakeVideoFrames = 0;  // 0: the data's own video
};

// A run with the headless services, its scheduler and its driver.
class BenchRun : public SchedulerClient {
  public:
    explicit BenchRun(const RunData& data, Measure measure = Measure::Nothing, size_t step = 0)
        : window_(PlatformServices{mixer_,
                                   data.fakeVideoFrames > 0 ? static_cast<VideoReader&>(fakeVideo_)
                                                            : realVideo_,
                                   pictures_, joystick_, serial_, settings_, messages_},
                  data.dir, data.train, data.line),
          measure_(measure),
          step_(step) {
        fakeVideo_.frameCountWhenOpen = data.fakeVideoFrames;
        messages_.echo = false;
    }

    // Builds the run, starts it at virtual time 0 and shows the value window;
    // the start-up's message when the run cannot be built.
    std::optional<std::string> Start() {
        if (!window_.FormCreate()) return window_.StartupError();
        const MenuItem* commentary = window_.Menu().Find("D1");
        extras_.valueWindow = &window_.ValueWindow();
        extras_.windowCaption = &window_.Menu().WindowCaption;
        extras_.commentaryMode = commentary && commentary->checked;
        extras_.dataDir = window_.DataDir();
        extras_.scanJoystick = [this] {
            if (auto caption = window_.Input().ScanJoystick(joystick_, window_.Menu().Debug()))
                window_.Menu().WindowCaption = *caption;
        };
        extras_.reportFault = [this](const std::string&) { ++steppedFaults_; };

        window_.start1Click();
        scheduler_.Start(0);
        window_.Input().KeyDown(kVkF5, false);
        nextInputMs_ = kDriverPeriodMs;
        return std::nullopt;
    }

    // Runs the driver's input due by the next event time, then every event
    // at that time; true when the measured event was among them.
    bool Next() {
        const auto due = scheduler_.NextDue();
        if (!due) return false;
        measured_ = false;
        while (nextInputMs_ <= *due) {
            scheduler_.AdvanceBefore(nextInputMs_, *this);
            mixer_.SetTime(nextInputMs_);
            driver_.Act(window_);
            nextInputMs_ += kDriverPeriodMs;
        }
        scheduler_.AdvanceTo(*due, *this);
        return measured_;
    }

    void RunFor(int64_t ms) {
        const int64_t end = scheduler_.Now() + ms;
        while (scheduler_.Now() < end && scheduler_.Running()) Next();
    }

    int64_t Now() const { return scheduler_.Now(); }
    int64_t LastNs() const { return lastNs_; }
    const Driver& Driving() const { return driver_; }
    const RunState& State() { return window_.State(); }
    // Gathers the run's summary and review from the next refresh on.
    void Review(RunSummary& summary, RunReview& review) {
        summary_ = &summary;
        review_ = &review;
    }
    size_t Faults() const { return window_.RefreshFaults().size() + steppedFaults_; }

  private:
    void OnTick(int64_t t) override {
        mixer_.SetTime(t);
        if (measure_ != Measure::Tick) {
            window_.MMTimer1Timer();
            return;
        }
        const auto start = Clock::now();
        window_.MMTimer1Timer();
        lastNs_ = NsSince(start);
        measured_ = true;
    }

    void OnRefresh(int64_t t) override {
        mixer_.SetTime(t);
        if (measure_ == Measure::Step) {
            SteppedRefresh();
        } else if (measure_ == Measure::Refresh) {
            const auto start = Clock::now();
            window_.Timer1Timer();
            lastNs_ = NsSince(start);
            measured_ = true;
        } else {
            window_.Timer1Timer();
        }
        if (review_) {
            summary_->Observe(window_.State(), window_.Line());
            review_->Observe(t, window_.Context());
        }
    }

    // The refresh run step by step, timing one of them; a failing step ends
    // the refresh, as in the refresh itself.
    void SteppedRefresh() {
        const auto steps = RefreshSteps();
        try {
            for (size_t i = 0; i < steps.size(); ++i) {
                if (i != step_) {
                    steps[i].run(window_.Context(), extras_);
                    continue;
                }
                const auto start = Clock::now();
                steps[i].run(window_.Context(), extras_);
                lastNs_ = NsSince(start);
                measured_ = true;
            }
        } catch (const std::exception& e) {
            extras_.reportFault(e.what());
        }
    }

    VirtualMixer mixer_{nullptr, false};
    FakeVideoReader fakeVideo_;
    FfmpegVideoReader realVideo_;
    QtPictureLoader pictures_;
    ScriptedJoystick joystick_;
    ScriptedSerialPort serial_;
    MemorySettingsStore settings_;
    StderrMessageBox messages_;
    RunWindow window_;
    Scheduler scheduler_;
    Driver driver_;

    Measure measure_;
    size_t step_;
    RefreshExtras extras_;
    int64_t nextInputMs_ = 0;
    int64_t lastNs_ = 0;
    bool measured_ = false;
    size_t steppedFaults_ = 0;
    RunSummary* summary_ = nullptr;
    RunReview* review_ = nullptr;
};

// ---------------------------------------------------------------------------
// Data

// The sample data, with the big line written next to it.
class BenchData {
  public:
    BenchData() { std::ofstream(samples_.Path() / kBigLine, std::ios::binary) << BigLineText(); }
    const std::filesystem::path& Path() const { return samples_.Path(); }

  private:
    bench::SampleDataCopy samples_;
};

const std::filesystem::path& DataDir() {
    static const BenchData data;
    return data.Path();
}

RunData SampleRunData() {
    if (auto demo = bench::DemoDataDir()) return {*demo, bench::kDemoTrain, bench::kDemoLine, 0};
    // The sample line has no video; the run sees one a little longer than the line.
    return {DataDir(), bench::kSampleTrain, bench::kSampleLine, 6000};
}

RunData BigRunData() {
    return {DataDir(), bench::kSampleTrain, kBigLine, kBigVideoFrames};
}

// ---------------------------------------------------------------------------
// Benchmarks

// What the run did: the same figures in every benchmark of one line show
// that each drove the same run.
void ReportRun(benchmark::State& state, BenchRun& run) {
    state.counters["end_frame"] = run.State().Frame;
    state.counters["faults"] = static_cast<double>(run.Faults());
}

void ReportDriving(benchmark::State& state, BenchRun& run) {
    const Driver& d = run.Driving();
    state.counters["stops"] = static_cast<double>(d.stops);
    state.counters["restarts"] = static_cast<double>(d.restarts);
    state.counters["emergencies"] = static_cast<double>(d.emergencies);
    state.counters["frames"] = static_cast<double>(d.frames);
    ReportRun(state, run);
}

void ThirtyMinutes(benchmark::State& state, const RunData& data) {
    double wallSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<BenchRun>(data);
        if (auto error = run->Start()) {
            state.SkipWithError(error->c_str());
            break;
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        run->RunFor(kRunMs);
        wallSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        state.PauseTiming();
        ReportDriving(state, *run);
        run.reset();
        state.ResumeTiming();
    }
    const double simulated = static_cast<double>(state.iterations()) * kRunMs / 1000.0;
    state.SetItemsProcessed(static_cast<int64_t>(simulated));
    state.counters["sim_s_per_wall_s"] = wallSeconds > 0 ? simulated / wallSeconds : 0;
}

void BM_ThirtyMinutesSample(benchmark::State& state) {
    ThirtyMinutes(state, SampleRunData());
}
void BM_ThirtyMinutesBig(benchmark::State& state) {
    ThirtyMinutes(state, BigRunData());
}
BENCHMARK(BM_ThirtyMinutesSample)
    ->Name("BM_ThirtyMinutes/sample")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);
BENCHMARK(BM_ThirtyMinutesBig)
    ->Name("BM_ThirtyMinutes/big")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

// Each iteration is one measured call within a 30-minute run.
void PerEvent(benchmark::State& state, const RunData& data, Measure measure, size_t step) {
    BenchRun run(data, measure, step);
    if (auto error = run.Start()) {
        state.SkipWithError(error->c_str());
        return;
    }
    std::vector<int64_t> spans;
    spans.reserve(static_cast<size_t>(state.max_iterations));
    for (auto _ : state) {
        bool measured = false;
        while (!(measured = run.Next()) && run.Now() <= 2 * kRunMs) {
        }
        if (!measured) {
            state.SkipWithError("the measured call stopped happening");
            break;
        }
        spans.push_back(run.LastNs());
        state.SetIterationTime(static_cast<double>(run.LastNs()) * 1e-9);
    }
    if (!spans.empty()) {
        std::sort(spans.begin(), spans.end());
        state.counters["p50_us"] = static_cast<double>(spans[spans.size() / 2]) / 1e3;
        state.counters["p99_us"] = static_cast<double>(spans[spans.size() * 99 / 100]) / 1e3;
        state.counters["max_us"] = static_cast<double>(spans.back()) / 1e3;
    }
    state.counters["clock_ns"] = static_cast<double>(ClockOverheadNs());
    ReportRun(state, run);
}

void BM_TickSample(benchmark::State& state) {
    PerEvent(state, SampleRunData(), Measure::Tick, 0);
}
void BM_TickBig(benchmark::State& state) {
    PerEvent(state, BigRunData(), Measure::Tick, 0);
}
void BM_RefreshSample(benchmark::State& state) {
    PerEvent(state, SampleRunData(), Measure::Refresh, 0);
}
void BM_RefreshBig(benchmark::State& state) {
    PerEvent(state, BigRunData(), Measure::Refresh, 0);
}
BENCHMARK(BM_TickSample)
    ->Name("BM_Tick/sample")
    ->UseManualTime()
    ->Iterations(kTicksPerRun)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TickBig)
    ->Name("BM_Tick/big")
    ->UseManualTime()
    ->Iterations(kTicksPerRun)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_RefreshSample)
    ->Name("BM_Refresh/sample")
    ->UseManualTime()
    ->Iterations(kRefreshesPerRun)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_RefreshBig)
    ->Name("BM_Refresh/big")
    ->UseManualTime()
    ->Iterations(kRefreshesPerRun)
    ->Unit(benchmark::kNanosecond);

[[maybe_unused]] const bool stepsRegistered = [] {
    for (size_t i = 0; i < RefreshSteps().size(); ++i) {
        benchmark::RegisterBenchmark(
            (std::string("BM_RefreshStep/") + RefreshSteps()[i].name).c_str(),
            [i](benchmark::State& state) { PerEvent(state, BigRunData(), Measure::Step, i); })
            ->UseManualTime()
            ->Iterations(kRefreshesPerRun)
            ->Unit(benchmark::kNanosecond);
    }
    return true;
}();

// The review of the sample thirty minutes, gathered once.
const ReviewPlot* SampleReview(benchmark::State& state) {
    static const std::optional<ReviewPlot> plot = []() -> std::optional<ReviewPlot> {
        BenchRun run(SampleRunData());
        RunSummary summary;
        RunReview review;
        run.Review(summary, review);
        if (run.Start()) return std::nullopt;
        run.RunFor(kRunMs);
        return review.Plot(summary);
    }();
    if (!plot) state.SkipWithError("the sample run cannot be built");
    return plot ? &*plot : nullptr;
}

void BM_ReviewWindow(benchmark::State& state) {
    const ReviewPlot* plot = SampleReview(state);
    if (plot == nullptr) return;
    EnsureGuiApplication();
    const ReviewChart chart(*plot);
    QImage image(1200, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        chart.Paint(painter, QRectF(0, 0, 1200, 600), chart.WholeRun());
    }
    state.counters["refreshes"] = static_cast<double>(plot->samples.size());
}
BENCHMARK(BM_ReviewWindow)->Name("BM_Review/window")->Unit(benchmark::kMillisecond);

void ReviewExport(benchmark::State& state, const char* extension) {
    const ReviewPlot* plot = SampleReview(state);
    if (plot == nullptr) return;
    const auto file = std::filesystem::temp_directory_path() /
                      ("kelvaron-bench-review-" + std::to_string(getpid()) + extension);
    std::string error;
    for (auto _ : state) {
        if (!WriteReviewPicture(*plot, file, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
void BM_ReviewPng(benchmark::State& state) {
    ReviewExport(state, ".png");
}
void BM_ReviewSvg(benchmark::State& state) {
    ReviewExport(state, ".svg");
}
BENCHMARK(BM_ReviewPng)->Name("BM_Review/png")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReviewSvg)->Name("BM_Review/svg")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvaron
