// Cab-view video decoding: frames per second when playing on, and the time a
// jump to a random frame takes, for both codecs and both picture sizes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/ffmpeg/video_writer.h"

namespace kelvaron {
namespace {

constexpr int32_t kFrames = 300;
constexpr int32_t kKeyframeInterval = 30;
const char* const kCodecs[] = {"mjpeg", "mpeg4"};
constexpr int32_t kSizes[][2] = {{480, 240}, {1280, 720}};

// A picture with some of the detail of a filmed line: a sky-to-ground
// gradient, sleepers rushing towards the viewer and fine texture.
void DrawScene(int32_t n, Picture& p) {
    for (int32_t y = 0; y < p.height; ++y) {
        const uint32_t shade = static_cast<uint32_t>(255 * y / p.height);
        const bool sleeper = y > p.height / 2 && ((y * 8 / p.height + n) % 4) == 0;
        for (int32_t x = 0; x < p.width; ++x) {
            const uint32_t grain =
                (static_cast<uint32_t>(x * 7919 + y * 104729 + n * 31) >> 3) & 31;
            uint32_t r = 255 - shade, g = 160, b = shade;
            if (sleeper) r = g = b = 90;
            r = std::min(255u, r + grain);
            g = std::min(255u, g + grain);
            p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + x] =
                0xFF000000u | r << 16 | g << 8 | b;
        }
    }
}

// The test videos, written once into a temporary folder and removed at exit.
class Videos {
  public:
    Videos() {
        dir_ = std::filesystem::temp_directory_path() /
               ("kelvaron-video-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        for (int codec = 0; codec < 2; ++codec) {
            for (int size = 0; size < 2; ++size) {
                const VideoSettings settings{.width = kSizes[size][0],
                                             .height = kSizes[size][1],
                                             .fps = 30,
                                             .codec = kCodecs[codec],
                                             .keyframeInterval = kKeyframeInterval};
                if (!WriteTestVideo(Path(codec, size), settings, kFrames, DrawScene)) {
                    throw std::runtime_error("cannot write " + Path(codec, size).string());
                }
            }
        }
    }
    ~Videos() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path Path(int codec, int size) const {
        return dir_ /
               (std::string(kCodecs[codec]) + "-" + std::to_string(kSizes[size][0]) + ".avi");
    }

  private:
    std::filesystem::path dir_;
};

const Videos& TestVideos() {
    static const Videos videos;
    return videos;
}

void Open(benchmark::State& state, FfmpegVideoReader& reader) {
    const int codec = static_cast<int>(state.range(0));
    const int size = static_cast<int>(state.range(1));
    if (!reader.Open(TestVideos().Path(codec, size))) state.SkipWithError("cannot open video");
    state.SetLabel(std::string(kCodecs[codec]) + " " + std::to_string(kSizes[size][0]) + "x" +
                   std::to_string(kSizes[size][1]));
}

void BM_PlayOn(benchmark::State& state) {
    FfmpegVideoReader reader;
    Open(state, reader);
    Picture picture;
    int32_t n = 0;
    for (auto _ : state) {
        if (n == kFrames) {
            state.PauseTiming();
            Open(state, reader);  // starting over is a jump, which is measured below
            n = 0;
            state.ResumeTiming();
        }
        if (!reader.DecodeFrame(n++, picture)) state.SkipWithError("decode failed");
    }
    state.SetItemsProcessed(state.iterations());
}

// `worst` jumps only to the frame before a keyframe, which decodes a whole
// keyframe group after the jump.
void Jump(benchmark::State& state, bool worst) {
    FfmpegVideoReader reader;
    Open(state, reader);
    Picture picture;
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> frame(0, kFrames - 1);
    std::uniform_int_distribution<int32_t> group(0, kFrames / kKeyframeInterval - 1);
    for (auto _ : state) {
        const int32_t n =
            worst ? group(random) * kKeyframeInterval + kKeyframeInterval - 1 : frame(random);
        if (!reader.DecodeFrame(n, picture)) state.SkipWithError("decode failed");
    }
}

void BM_RandomJump(benchmark::State& state) {
    Jump(state, false);
}
void BM_WorstJump(benchmark::State& state) {
    Jump(state, true);
}

// What the cab view pays for one shown frame in a 1920 x 1080 full-screen
// window: its video place is 1178 x 589 device pixels, and the frame is
// decoded and scaled straight into it. At `step` times the filming speed the
// presenter shows every step-th frame; every frame in between is decoded too
// when the codec needs it. Each iteration is one shown frame, which must take
// well under the presenter's 33 ms.
void BM_ShowFrameFullScreen(benchmark::State& state) {
    FfmpegVideoReader reader;
    Open(state, reader);
    const int32_t step = static_cast<int32_t>(state.range(2));
    constexpr int32_t kWidth = 1178, kHeight = 589, kStride = 1184 * 4;
    std::vector<uint8_t> shown(static_cast<size_t>(kStride) * kHeight + 64);
    const FrameTarget target{shown.data(), kWidth, kHeight, kStride};
    int32_t n = 0;
    for (auto _ : state) {
        if (n >= kFrames) {
            state.PauseTiming();
            Open(state, reader);
            n = 0;
            state.ResumeTiming();
        }
        if (!reader.DecodeFrameTo(n, target)) state.SkipWithError("decode failed");
        n += step;
    }
    state.SetItemsProcessed(state.iterations());
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"codec", "size"})->Unit(benchmark::kMillisecond);
    for (int codec = 0; codec < 2; ++codec) {
        for (int size = 0; size < 2; ++size) b->Args({codec, size});
    }
}

BENCHMARK(BM_PlayOn)->Apply(Sizes);
BENCHMARK(BM_RandomJump)->Apply(Sizes);
BENCHMARK(BM_WorstJump)->Apply(Sizes);
BENCHMARK(BM_ShowFrameFullScreen)
    ->ArgNames({"codec", "size", "speed"})
    ->Unit(benchmark::kMillisecond)
    ->ArgsProduct({{0, 1}, {0, 1}, {1, 3}});

}  // namespace
}  // namespace kelvaron
