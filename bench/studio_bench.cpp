// The line studio: how fast the filming speed is measured from a video's
// optical flow (decoding included), and how long the studio takes to fit a
// speed profile and to derive the whole line again after one edit, for a
// line at the file's capacities.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/ffmpeg/video_writer.h"
#include "platform/opencv/opencv_optical_flow.h"
#include "platform/qt/qt_picture_loader.h"
#include "studio/cached_picture_loader.h"
#include "studio/flow_analysis.h"
#include "studio/speed_fitting.h"
#include "studio/studio_line.h"

namespace kelvaron {
namespace {

constexpr int32_t kFrames = 150;

// A ground plane of random grey texture seen from 2.5 m up, moving 0.6 m a frame.
void DrawGround(int32_t n, Picture& p) {
    const double horizon = 0.4 * p.height;
    const double focal = 0.8 * p.width;
    for (int32_t y = 0; y < p.height; ++y) {
        const double below = y + 0.5 - horizon;
        for (int32_t x = 0; x < p.width; ++x) {
            uint32_t grey = 170;
            if (below > 0) {
                const double z = focal * 2.5 / below + 0.6 * n;
                const double across = (x - p.width / 2.0) * (z - 0.6 * n) / focal;
                const auto cell = static_cast<uint32_t>(std::floor(z * 8) * 7919 +
                                                        std::floor(across * 8) * 104729);
                grey = 60 + ((cell * 2654435761u) >> 25);
            }
            p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + x] =
                0xFF000000u | grey << 16 | grey << 8 | grey;
        }
    }
}

std::filesystem::path Video(int32_t width, int32_t height) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("kelvaron-studio-bench-" + std::to_string(getpid()) + "-" +
                       std::to_string(width) + ".avi");
    if (!std::filesystem::exists(file)) {
        VideoSettings settings{.width = width, .height = height, .fps = 30, .codec = "mpeg4"};
        WriteTestVideo(file, settings, kFrames, DrawGround);
    }
    return file;
}

void BM_FlowFramesPerSecond(benchmark::State& state) {
    const auto file =
        Video(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    int64_t frames = 0;
    for (auto _ : state) {
        FfmpegVideoReader reader;
        OpenCvOpticalFlow flow;
        reader.Open(file);
        std::string error;
        auto record = AnalyseFlow(reader, flow, nullptr, error);
        if (!record) state.SkipWithError(error.c_str());
        frames += kFrames;
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    std::filesystem::remove(file);
}
BENCHMARK(BM_FlowFramesPerSecond)
    ->Args({480, 240})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A profile of an hour of video (108 000 frames) with noise, fitted at 1 km/h.
void BM_FitSpeedUnits(benchmark::State& state) {
    SpeedProfile profile;
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 0.3);
    for (int32_t f = 0; f < 108000; ++f) {
        profile.kmh.push_back(std::max(0.0, 60 + 40 * std::sin(f / 3000.0) + noise(random)));
    }
    for (auto _ : state) {
        std::string error;
        auto fit = FitSpeedUnits(profile, 1.0, error);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_FitSpeedUnits)->Unit(benchmark::kMillisecond);

// A line with every list at its capacity: 100 stations, 250 signals and 251 speed limits
// (the 501 events), 501 of each other list and 501 filming-speed units.
std::string FullLine() {
    std::string text = "[LineName]\nfull\n[FrameRate]\n30\n";
    auto list = [&](const char* header, int count, auto entry) {
        text += std::string(header) + "\n";
        for (int i = 0; i < count; ++i) text += entry(i) + "\n";
        text += "#\n";
    };
    auto n = [](int v) { return std::to_string(v); };
    list("[Station]", 100, [&](int i) {
        return "st" + n(i) + ",0," + n(i * 5000) + "," + n(i * 5000 + 60) + ",0,0,0";
    });
    list("[Signal]", 250, [&](int i) {
        return "0,s,0,3," + n(i * 2000) + "," + n(i * 2000 + 900) + "," + n(i * 2000 + 600) + "," +
               n(i * 2000 + 900) + ",4,0";
    });
    list("[SpeedLimit]", 251,
         [&](int i) { return "45,1,0," + n(i * 2000 + 100) + "," + n(i * 2000 + 700); });
    list("[Slope]", 501, [&](int i) { return "2.5," + n(i * 1000) + "," + n(i * 1000 + 900); });
    list("[Sign]", 501, [&](int i) { return "1," + n(i * 1000) + "," + n(i * 1000 + 300); });
    list("[Tunnel]", 501, [&](int i) { return n(i * 1000) + "\n" + n(i * 1000 + 200); });
    list("[Doppler]", 501, [&](int i) { return "0," + n(i * 1000 + 10) + ",30000,0"; });
    list("[SpeedCheck]", 501, [&](int i) { return "45," + n(i * 1000 + 20); });
    list("[SpeedUnit]", 501, [&](int i) {
        return n(i * 1000) + "," + n(i * 1000 + 1000) + "," + n(40 + i % 30) + "," +
               n(40 + (i + 1) % 30);
    });
    return text;
}

void BM_EditAndDeriveFullLine(benchmark::State& state) {
    QtPictureLoader disk;
    CachedPictureLoader pictures(disk);
    StudioLine line("/nonexistent", "full.dat", LineDocument::FromBytes(FullLine()), pictures);
    if (!line.CheckMessage().empty()) state.SkipWithError(line.CheckMessage().c_str());
    std::string error;
    for (auto _ : state) {
        // One move and its undo: two derivations of the whole line.
        line.Move(RecordKind::Station, 50, 30, error);
        line.Undo();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_EditAndDeriveFullLine)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvaron
