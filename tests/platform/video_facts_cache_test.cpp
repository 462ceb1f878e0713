// The cache of video facts is a file in the user's cache folder that anything
// may have touched: what it gives back must be exactly what was put in, for
// the video as it was, and a damaged file must cost nothing but the cache.
#include "platform/video_facts_cache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

TEST(VideoFactsCache, GivesBackExactFactsOfTheVideoAsItWas) {
    const fs::path dir = test::MakeTempDir();
    const VideoFactsCache cache(dir / "cache" / "videos.txt");
    const fs::path a = dir / "a.avi", b = dir / "b with spaces.avi";
    test::WriteFile(a, "aaaa");
    test::WriteFile(b, "bbbbbb");
    EXPECT_FALSE(cache.Find(a));

    // An NTSC rate has no short decimal form; it must come back bit for bit.
    cache.Remember(a, {4800, 30000.0 / 1001.0});
    cache.Remember(b, {120, 25});
    ASSERT_TRUE(cache.Find(a));
    EXPECT_EQ(cache.Find(a)->frameCount, 4800);
    EXPECT_EQ(cache.Find(a)->framesPerSecond, 30000.0 / 1001.0);
    EXPECT_EQ(cache.Find(b)->frameCount, 120);

    // Another file under the same name, or the same bytes at a later time, is another video.
    test::WriteFile(a, "aaaaa");
    EXPECT_FALSE(cache.Find(a));
    fs::last_write_time(b, fs::last_write_time(b) + std::chrono::seconds(1));
    EXPECT_FALSE(cache.Find(b));
    cache.Remember(b, {121, 25});
    EXPECT_EQ(cache.Find(b)->frameCount, 121);
    EXPECT_EQ(test::ReadAll(dir / "cache" / "videos.txt").find(" 120 "), std::string::npos);
}

TEST(VideoFactsCache, ADamagedOrOversizedFileIsNoCacheAndIsReplaced) {
    const fs::path dir = test::MakeTempDir();
    const fs::path file = dir / "videos.txt";
    const fs::path video = dir / "v.avi";
    test::WriteFile(video, "v");
    const VideoFactsCache cache(file);
    cache.Remember(video, {10, 30});
    const std::string good = test::ReadAll(file);

    // Half lines, negative counts, rates of no value, and a line for the video with none.
    test::WriteFile(file,
                    "12\n-5 0x1p+4 1 2 /x\n7 zz 1 2 /y\n\n" + good.substr(0, good.size() / 2));
    EXPECT_FALSE(cache.Find(video));
    test::WriteFile(file, std::string(300 * 1024, 'x') + "\n" + good);
    EXPECT_FALSE(cache.Find(video));
    cache.Remember(video, {10, 30});
    EXPECT_EQ(test::ReadAll(file), good);
}

}  // namespace
}  // namespace kelvaron
