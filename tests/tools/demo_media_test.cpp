// The generator's media helpers: WAVE files in the format the mixer loads,
// voices with and without the speech synthesiser, and the rasteriser the
// cab-view frames are drawn with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "raster.h"
#include "test_support.h"
#include "voices.h"
#include "wave_file.h"

namespace kelvaron::demo {
namespace {

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
    return v;
}

TEST(DemoWave, SixteenBitMonoAt22050WithClippedSamples) {
    const auto file = test::MakeTempDir() / "a" / "b.wav";
    ASSERT_TRUE(WriteWave(file, {0.5f, 2.0f, -2.0f}));
    const std::string b = Bytes(file);
    ASSERT_EQ(b.size(), 44u + 6u);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(Le(b, 4, 4), 42u);  // everything after the first 8 bytes
    EXPECT_EQ(Le(b, 20, 2), 1u);  // PCM
    EXPECT_EQ(Le(b, 22, 2), 1u);  // mono
    EXPECT_EQ(Le(b, 24, 4), 22050u);
    EXPECT_EQ(Le(b, 28, 4), 44100u);  // bytes per second
    EXPECT_EQ(Le(b, 34, 2), 16u);
    EXPECT_EQ(Le(b, 40, 4), 6u);
    EXPECT_EQ(Le(b, 44, 2), 16384u);           // 0.5 x 32767 = 16383.5, rounded up
    EXPECT_EQ(Le(b, 46, 2), 32767u);           // clipped to +1
    EXPECT_EQ(Le(b, 48, 2), 65536u - 32767u);  // clipped to -1
}

TEST(DemoVoices, WithoutTheSynthesiserEveryVoiceBecomesTones) {
    const auto dir = test::MakeTempDir();
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.c_str(), 1);  // a folder without espeak-ng
    int spoken = 0;
    std::string error;
    const bool written = WriteVoices(
        dir, {{"voice\\one.wav", "しんこう", "進行"}, {"voice\\two.wav", "ていし", "停止"}}, spoken,
        error);
    setenv("PATH", path.c_str(), 1);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(spoken, 0);
    for (const char* f : {"voice/one.wav", "voice/two.wav"}) {
        const std::string b = Bytes(dir / f);
        ASSERT_GT(b.size(), 44u + 2000u) << f;  // a few syllables of tone
        EXPECT_EQ(Le(b, 24, 4), 22050u);
    }
}

TEST(DemoRaster, PolygonsCoverWholePixelsAndBlendTheirEdges) {
    Picture p{8, 6, std::vector<uint32_t>(48, Rgb(0, 0, 0))};
    Canvas canvas(p);
    // Pixel centres x 2.5..5.5, y 1.5..3.5 lie inside: 4 x 3 pixels, full white.
    canvas.FillPolygon({{2, 1}, {6, 1}, {6, 4}, {2, 4}}, Rgb(255, 255, 255));
    int white = 0;
    for (uint32_t c : p.pixels) white += c == Rgb(255, 255, 255);
    EXPECT_EQ(white, 12);
    // A right edge at x = 1.5 covers half of pixel 1.
    Picture q{4, 1, std::vector<uint32_t>(4, Rgb(0, 0, 0))};
    Canvas(q).FillRect(0, 0, 1.5f, 1, Rgb(200, 200, 200));
    EXPECT_EQ(q.At(0, 0), Rgb(200, 200, 200));
    EXPECT_EQ(q.At(1, 0), Rgb(100, 100, 100));
    EXPECT_EQ(q.At(2, 0), Rgb(0, 0, 0));
}

TEST(DemoRaster, SpritesLeaveTheirTransparentPixelsUndrawn) {
    Picture sprite{2, 1, {0x00FFFFFFu, 0xFF0000FFu}};  // clear, then opaque blue
    Picture p{4, 2, std::vector<uint32_t>(8, Rgb(9, 9, 9))};
    Canvas(p).DrawSprite(sprite, 0, 0, 4, 2);  // each sprite pixel becomes 2 x 2
    EXPECT_EQ(p.At(1, 1), Rgb(9, 9, 9));
    EXPECT_EQ(p.At(2, 0), Rgb(0, 0, 255));
}

}  // namespace
}  // namespace kelvaron::demo
