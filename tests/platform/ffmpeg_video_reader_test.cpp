#include "platform/ffmpeg/ffmpeg_video_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "platform/ffmpeg/video_writer.h"
#include "test_support.h"

namespace kelvaron {
namespace {

constexpr int32_t kFrames = 60;

struct QSizeLike {
    int32_t width, height;
};

// Frame n shows its number as 8 blocks of 40 x 60 pixels in a 160 x 120
// picture, 4 to a row, bit i white when set.
void DrawNumber(int32_t n, Picture& picture) {
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const int bit = (y / 60) * 4 + x / 40;
            if ((n >> bit) & 1) picture.pixels[static_cast<size_t>(y * picture.width + x)] = ~0u;
        }
    }
}

// Reads the number back from the middle of each block, scaled by 3 across
// and 2 down to 480 x 240.
int32_t ReadNumber(const Picture& picture) {
    int32_t n = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const uint32_t pixel = picture.At(60 + 120 * (bit % 4), 60 + 120 * (bit / 4));
        if (((pixel >> 8) & 0xFF) > 128) n |= 1 << bit;
    }
    return n;
}

struct Format {
    const char* extension;
    const char* codec;
    int32_t bFrames;
};

VideoSettings Small(const std::string& codec, int32_t bFrames = 0) {
    return VideoSettings{.width = 160,
                         .height = 120,
                         .fps = 30,
                         .codec = codec,
                         .keyframeInterval = 12,
                         .bFrames = bFrames};
}

class FfmpegVideoReaderTest : public ::testing::TestWithParam<Format> {
  protected:
    void SetUp() override {
        file = test::MakeTempDir() / (std::string("count.") + GetParam().extension);
        ASSERT_TRUE(
            WriteTestVideo(file, Small(GetParam().codec, GetParam().bFrames), kFrames, DrawNumber));
        ASSERT_TRUE(reader.Open(file));
    }
    int32_t Decode(int32_t n) {
        Picture picture;
        if (!reader.DecodeFrame(n, picture)) return -1;
        EXPECT_EQ(picture.width, kFrameWidth);
        EXPECT_EQ(picture.height, kFrameHeight);
        EXPECT_EQ(picture.At(0, 0) >> 24, 0xFFu);  // opaque
        return ReadNumber(picture);
    }
    std::filesystem::path file;
    FfmpegVideoReader reader;
};

TEST_P(FfmpegVideoReaderTest, EveryFrameIsExactInSequenceAndAfterJumps) {
    EXPECT_EQ(reader.FrameCount(), kFrames);
    for (int32_t n = 0; n < kFrames; ++n) ASSERT_EQ(Decode(n), n);
    EXPECT_EQ(reader.JumpCount(), 0);
    // Back to the start, into and out of keyframe groups (12 frames each),
    // one frame back, to the last frame, and the same frame twice.
    for (int32_t n : {0, 45, 3, 47, 46, 59, 24, 23, 36, 11, 11, 12, 58}) {
        EXPECT_EQ(Decode(n), n);
    }
    EXPECT_GT(reader.JumpCount(), 0);
}

TEST_P(FfmpegVideoReaderTest, FramesOutsideTheVideoLeaveThePictureUnchanged) {
    Picture picture;
    picture.width = 2;
    picture.height = 1;
    picture.pixels = {1, 2};
    for (int32_t n : {-1, kFrames, 1000000}) {
        EXPECT_FALSE(reader.DecodeFrame(n, picture));
        EXPECT_EQ(picture.width, 2);
        EXPECT_EQ(picture.pixels, (std::vector<uint32_t>{1, 2}));
    }
    reader.Close();
    EXPECT_EQ(reader.FrameCount(), -1);
    EXPECT_FALSE(reader.DecodeFrame(0, picture));
}

// A frame decoded without a target is drawn later into any place of a larger
// picture (the window's image): the scaler may write a few pixels past the
// end of each row, but never further, nor above, below or before the place.
TEST_P(FfmpegVideoReaderTest, AFrameDecodedAloneIsDrawnLaterIntoItsPlaceOnly) {
    EXPECT_FALSE(reader.DrawFrameTo(FrameTarget{}));  // nothing decoded yet
    ASSERT_TRUE(reader.DecodeFrameTo(37, FrameTarget{}));
    for (const QSizeLike size : {QSizeLike{480, 240}, QSizeLike{1178, 589}, QSizeLike{721, 333}}) {
        constexpr int32_t kBorder = 40;
        const int32_t width = size.width + 2 * kBorder, height = size.height + 2 * kBorder;
        constexpr uint32_t kUntouched = 0x12345678u;
        std::vector<uint32_t> canvas(static_cast<size_t>(width * height), kUntouched);
        uint32_t* first = canvas.data() + kBorder * width + kBorder;
        ASSERT_TRUE(reader.DrawFrameTo(
            FrameTarget{reinterpret_cast<uint8_t*>(first), size.width, size.height, width * 4}));
        int32_t spill = 0;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const bool rowOfPlace = y >= kBorder && y < kBorder + size.height;
                const bool inPlace = rowOfPlace && x >= kBorder && x < kBorder + size.width;
                const uint32_t pixel = canvas[static_cast<size_t>(y * width + x)];
                if (inPlace) {
                    ASSERT_EQ(pixel >> 24, 0xFFu);
                } else if (pixel != kUntouched) {
                    ASSERT_TRUE(rowOfPlace && x >= kBorder + size.width) << x << "," << y;
                    spill = std::max(spill, x - kBorder - size.width + 1);
                }
            }
        }
        EXPECT_LE(spill, kFrameSpill) << size.width;
    }
    // Scaled to the cab's own size, the number reads back.
    Picture picture;
    picture.width = kFrameWidth;
    picture.height = kFrameHeight;
    picture.pixels.resize(static_cast<size_t>(kFrameWidth * kFrameHeight));
    ASSERT_TRUE(reader.DrawFrameTo(TargetOf(picture)));
    EXPECT_EQ(ReadNumber(picture), 37);
    reader.Close();
    EXPECT_FALSE(reader.DrawFrameTo(TargetOf(picture)));
}

INSTANTIATE_TEST_SUITE_P(Containers, FfmpegVideoReaderTest,
                         ::testing::Values(Format{"avi", "mjpeg", 0}, Format{"avi", "mpeg4", 0},
                                           Format{"mkv", "mpeg4", 0}, Format{"mp4", "mpeg4", 2}),
                         [](const auto& info) {
                             return std::string(info.param.extension) + "_" + info.param.codec;
                         });

TEST(FfmpegVideoReader, LargePicturesAreScaledDown) {
    // Left half red, right half blue: in 480 x 240 the halves meet at x = 240.
    const auto file = test::MakeTempDir() / "wide.avi";
    const VideoSettings hd{.width = 1280, .height = 720};
    ASSERT_TRUE(WriteTestVideo(file, hd, 3, [](int32_t, Picture& p) {
        for (int32_t y = 0; y < p.height; ++y) {
            for (int32_t x = 0; x < p.width; ++x) {
                p.pixels[static_cast<size_t>(y * p.width + x)] =
                    x < 640 ? 0xFFFF0000u : 0xFF0000FFu;
            }
        }
    }));
    FfmpegVideoReader reader;
    ASSERT_TRUE(reader.Open(file));
    EXPECT_EQ(reader.FrameCount(), 3);
    Picture picture;
    ASSERT_TRUE(reader.DecodeFrame(2, picture));
    ASSERT_EQ(picture.pixels.size(), 480u * 240u);
    const uint32_t left = picture.At(100, 120);
    const uint32_t right = picture.At(380, 120);
    EXPECT_GT((left >> 16) & 0xFF, 200u);
    EXPECT_LT(left & 0xFF, 60u);
    EXPECT_GT(right & 0xFF, 200u);
    EXPECT_LT((right >> 16) & 0xFF, 60u);
}

TEST(FfmpegVideoReader, MissingBrokenAndCutFilesAreHandled) {
    const auto dir = test::MakeTempDir();
    FfmpegVideoReader reader;
    EXPECT_FALSE(reader.Open(dir / "missing.avi"));
    EXPECT_EQ(reader.FrameCount(), -1);
    test::WriteFile(dir / "junk.avi", "RIFF\x20\0\0\0AVI LIST garbage garbage garbage");
    EXPECT_FALSE(reader.Open(dir / "junk.avi"));
    EXPECT_EQ(reader.FrameCount(), -1);

    // A video cut in half still claims its 60 frames: those it kept are
    // exact, and past the cut the last kept frame stays on show.
    const auto whole = dir / "whole.avi";
    ASSERT_TRUE(WriteTestVideo(whole, Small("mpeg4"), kFrames, DrawNumber));
    std::ifstream in(whole, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    test::WriteFile(dir / "cut.avi", bytes.substr(0, bytes.size() / 2));
    ASSERT_TRUE(reader.Open(dir / "cut.avi"));
    Picture picture;
    ASSERT_TRUE(reader.DecodeFrame(59, picture));
    const int32_t lastKept = ReadNumber(picture);
    EXPECT_GT(lastKept, 5);
    EXPECT_LT(lastKept, 50);
    ASSERT_TRUE(reader.DecodeFrame(5, picture));
    EXPECT_EQ(ReadNumber(picture), 5);
    ASSERT_TRUE(reader.DecodeFrame(lastKept + 1, picture));
    EXPECT_EQ(ReadNumber(picture), lastKept);

    // Damaged bytes anywhere: opening and decoding in any order never crash
    // (the sanitizer build watches the memory).
    std::mt19937 random(3);
    for (int trial = 0; trial < 12; ++trial) {
        std::string damaged = bytes;
        for (int i = 0; i < 20; ++i) {
            damaged[random() % damaged.size()] = static_cast<char>(random());
        }
        test::WriteFile(dir / "damaged.avi", damaged);
        if (!reader.Open(dir / "damaged.avi")) continue;
        for (int32_t n : {40, 3, 59, 4, 30}) reader.DecodeFrame(n, picture);
    }

    VideoWriter writer;
    EXPECT_FALSE(writer.Open(dir / "x.avi", Small("no-such-codec")));
    EXPECT_FALSE(writer.Open(dir / "x.avi", VideoSettings{.width = 0, .height = 120}));
}

TEST(FfmpegVideoReader, TheOpeningTimeLimitDoesNotCutDecodingLater) {
    // A run reads its video for as long as it lasts; only the opening is
    // bounded. 240 frames are far more than one read of the file buffers.
    const auto file = test::MakeTempDir() / "long.avi";
    ASSERT_TRUE(WriteTestVideo(file, Small("mjpeg"), 240, DrawNumber));
    FfmpegVideoReader reader(std::chrono::milliseconds(200));
    ASSERT_TRUE(reader.Open(file));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (const int32_t n : {239, 120, 121}) {
        Picture picture;
        ASSERT_TRUE(reader.DecodeFrame(n, picture)) << n;
        EXPECT_EQ(ReadNumber(picture), n);
    }
}

TEST(FfmpegVideoReader, OnlyAVideoFileItselfIsOpened) {
    const auto dir = test::MakeTempDir();
    ASSERT_TRUE(WriteTestVideo(dir / "whole.avi", Small("mjpeg"), kFrames, DrawNumber));
    FfmpegVideoReader reader;
    ASSERT_TRUE(reader.Open(dir / "whole.avi"));
    // Playlists and concatenation lists name other files, anywhere; a live
    // playlist is waited on for ever. Neither is a video.
    test::WriteFile(dir / "playlist.avi",
                    "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nwhole.avi\n#EXT-X-ENDLIST\n");
    test::WriteFile(dir / "live.avi", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nwhole.avi\n");
    test::WriteFile(dir / "list.avi", "ffconcat version 1.0\nfile 'whole.avi'\n");
    test::WriteFile(dir / "text.avi", "a text file is no video\n");
    ASSERT_EQ(::mkfifo((dir / "pipe.avi").c_str(), 0600), 0);  // would block the opening
    for (const char* name : {"playlist.avi", "live.avi", "list.avi", "text.avi", "pipe.avi"}) {
        EXPECT_FALSE(reader.Open(dir / name)) << name;
        EXPECT_EQ(reader.FrameCount(), -1) << name;
    }
}

}  // namespace
}  // namespace kelvaron
