// Start-up time of a run from its files, as the player waits for it: the run
// window's creation handler reads the four data files, loads every picture
// with the real picture loader, builds the panel, opens the cab-view video and
// loads every sound. The files are in the page cache after the first start-up,
// so this is a warm start.
//
// The sample data has no sounds and no video, so the benchmark's copy of it
// gets them: each sound the train and line files name becomes a 3 s mono
// 22050 Hz 16-bit WAVE file and the video is an MPEG-4 AVI of 480x240 as long
// as the line. With KELVARON_DEMO_DATA set, the demo data is started up too
// (see bench_data.h).
//
// Counters: the time of each start-up phase (between two progress texts) in
// ms, the sounds that hold samples and the video's frame count.

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_data.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/ffmpeg/video_writer.h"
#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/run_window.h"

namespace kelvaron {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWaveRate = 22050;
constexpr int kWaveSeconds = 3;
constexpr int32_t kLongestVideo = 6000;  // frames; keeps the set-up short on long lines

// Remembers the sound files a start-up asks for and counts those holding samples.
class SoundRecorder : public VirtualMixer {
  public:
    SoundRecorder() : VirtualMixer(nullptr, false) {}
    std::vector<std::filesystem::path> files;
    int withSamples = 0;
    SoundId CreateSound(const std::filesystem::path& file) override {
        files.push_back(file);
        const SoundId sound = VirtualMixer::CreateSound(file);
        if (Frames(sound) > 0) ++withSamples;
        return sound;
    }
};

// Remembers the video file a start-up opens.
class VideoNameRecorder : public FakeVideoReader {
  public:
    std::filesystem::path file;
    bool Open(const std::filesystem::path& f) override {
        file = f;
        return FakeVideoReader::Open(f);
    }
};

// A tone with a slow beat, so the file is not trivially compressible silence.
void WriteWave(const std::filesystem::path& file, double hz) {
    std::filesystem::create_directories(file.parent_path());
    SF_INFO info{};
    info.samplerate = kWaveRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* sf = sf_open(file.c_str(), SFM_WRITE, &info);
    if (sf == nullptr) throw std::runtime_error("cannot write " + file.string());
    std::vector<short> samples(static_cast<size_t>(kWaveRate * kWaveSeconds));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kWaveRate;
        const double beat = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * 1.5 * t);
        samples[i] = static_cast<short>(9000 * beat * std::sin(2 * std::numbers::pi * hz * t));
    }
    const auto written =
        sf_write_short(sf, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(sf);
    if (written != static_cast<sf_count_t>(samples.size())) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

// Sky, ground and sleepers moving towards the viewer.
void DrawTrack(int32_t n, Picture& p) {
    for (int32_t y = 0; y < p.height; ++y) {
        const bool ground = y > p.height / 2;
        const bool sleeper = ground && ((y + 2 * n) / 6) % 4 == 0;
        const uint32_t shade = static_cast<uint32_t>(200 * y / p.height);
        const uint32_t colour =
            sleeper  ? 0xFF5A5046u
            : ground ? 0xFF000000u | (90 + shade / 4) << 16 | (80 + shade / 4) << 8 | 60
                     : 0xFF000000u | (120 + shade / 3) << 16 | (160 + shade / 4) << 8 | 230;
        for (int32_t x = 0; x < p.width; ++x) {
            p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + x] = colour;
        }
    }
}

// The sample data with real sounds and a real video: a first start-up with
// recording services names the files, which are then written.
class SampleRun {
  public:
    SampleRun() {
        SoundRecorder mixer;
        VideoNameRecorder video;
        QtPictureLoader pictures;
        ScriptedJoystick joystick;
        ScriptedSerialPort serial;
        MemorySettingsStore settings;
        StderrMessageBox messages;
        messages.echo = false;
        RunWindow window({mixer, video, pictures, joystick, serial, settings, messages},
                         data_.Path(), bench::kSampleTrain, bench::kSampleLine);
        if (!window.FormCreate()) throw std::runtime_error(window.StartupError());

        double hz = 220;
        for (const auto& file : mixer.files) {
            if (std::filesystem::exists(file)) continue;
            WriteWave(file, hz);
            hz *= 1.03;
        }
        const auto& units = window.Line().SpeedUnit;
        const int32_t frames =
            std::clamp(units.empty() ? 0 : units.back().EndFrame, 300, kLongestVideo);
        std::filesystem::create_directories(video.file.parent_path());
        const VideoSettings format{.width = kFrameWidth,
                                   .height = kFrameHeight,
                                   .fps = 30,
                                   .codec = "mpeg4",
                                   .keyframeInterval = 30};
        if (!WriteTestVideo(video.file, format, frames, DrawTrack)) {
            throw std::runtime_error("cannot write " + video.file.string());
        }
    }
    const std::filesystem::path& Dir() const { return data_.Path(); }

  private:
    bench::SampleDataCopy data_;
};

const std::filesystem::path& SampleDir() {
    static const SampleRun run;
    return run.Dir();
}

// The progress texts split a start-up into these phases.
constexpr const char* kPhases[] = {"files_ms", "panel_video_ms", "sounds_ms", "bind_ms",
                                   "tables_ms"};
constexpr size_t kPhaseCount = std::size(kPhases);

void StartUp(benchmark::State& state, const std::filesystem::path& dir, const std::string& train,
             const std::string& line) {
    std::vector<double> phaseSeconds(kPhaseCount, 0.0);
    int64_t sounds = 0;
    int32_t videoFrames = -1;
    for (auto _ : state) {
        SoundRecorder mixer;
        FfmpegVideoReader video;
        QtPictureLoader pictures;
        ScriptedJoystick joystick;
        ScriptedSerialPort serial;
        MemorySettingsStore settings;
        StderrMessageBox messages;
        messages.echo = false;
        // The first progress text comes once the settings are read; the
        // phases are the spans between texts, the last one up to the return.
        std::vector<Clock::time_point> marks;
        marks.reserve(kPhaseCount + 1);
        auto window = std::make_unique<RunWindow>(
            PlatformServices{mixer, video, pictures, joystick, serial, settings, messages}, dir,
            train, line);
        const bool built =
            window->FormCreate([&](const std::string&) { marks.push_back(Clock::now()); });
        marks.push_back(Clock::now());

        state.PauseTiming();
        if (!built) {
            state.SkipWithError(window->StartupError().c_str());
            break;
        }
        for (size_t i = 0; i + 1 < marks.size() && i < kPhaseCount; ++i) {
            phaseSeconds[i] += std::chrono::duration<double>(marks[i + 1] - marks[i]).count();
        }
        sounds = mixer.withSamples;
        videoFrames = video.FrameCount();
        window->FormCloseQuery();
        window.reset();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    for (size_t i = 0; i < kPhaseCount; ++i) state.counters[kPhases[i]] = phaseSeconds[i] / n * 1e3;
    state.counters["sounds"] = static_cast<double>(sounds);
    state.counters["video_frames"] = videoFrames;
}

void BM_StartUpSample(benchmark::State& state) {
    try {
        StartUp(state, SampleDir(), bench::kSampleTrain, bench::kSampleLine);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());  // the data folder could not be made
    }
}
BENCHMARK(BM_StartUpSample)->Unit(benchmark::kMillisecond);

void BM_StartUpDemo(benchmark::State& state) {
    StartUp(state, *bench::DemoDataDir(), bench::kDemoTrain, bench::kDemoLine);
}
[[maybe_unused]] const bool demoRegistered = [] {
    if (bench::DemoDataDir()) {
        benchmark::RegisterBenchmark("BM_StartUpDemo", BM_StartUpDemo)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
}  // namespace kelvaron
