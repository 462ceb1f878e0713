#include "run/video_presenter.h"

#include <gtest/gtest.h>

#include "platform/headless/fake_video_reader.h"

namespace kelvaron {
namespace {

struct Fixture {
    RunState state;
    FakeVideoReader video;
    Picture picture{kFrameWidth, kFrameHeight,
                    std::vector<uint32_t>(static_cast<size_t>(kFrameWidth* kFrameHeight))};
    FrameTarget bitmap = TargetOf(picture);
    Fixture() {
        video.frameCountWhenOpen = 1000;
        video.Open("cab.avi");
    }
};

TEST(AppIdle, DrawsAtMostOneFramePerPeriodAndOnlyOnChange) {
    Fixture f;
    f.state.Frame = 10;
    EXPECT_TRUE(AppIdle(f.state, f.video, f.bitmap, 1000, true));
    f.state.Frame = 11;
    EXPECT_FALSE(AppIdle(f.state, f.video, f.bitmap, 1032, true));  // 32 ms later: too soon
    f.state.Frame = 12;                                             // frame 11 is skipped
    EXPECT_TRUE(AppIdle(f.state, f.video, f.bitmap, 1033, true));
    EXPECT_FALSE(AppIdle(f.state, f.video, f.bitmap, 2000, true));  // standing: nothing decoded
    EXPECT_EQ(f.video.decoded, (std::vector<int32_t>{10, 12}));
}

TEST(AppIdle, NothingWhilePausedOrBeforeTheLine) {
    Fixture f;
    f.state.Frame = 10;
    EXPECT_FALSE(AppIdle(f.state, f.video, f.bitmap, 1000, false));
    f.state.Frame = -5;
    EXPECT_FALSE(AppIdle(f.state, f.video, f.bitmap, 1000, true));
    f.video.Close();
    f.state.Frame = 10;
    EXPECT_FALSE(AppIdle(f.state, f.video, f.bitmap, 1000, true));
    EXPECT_TRUE(f.video.decoded.empty());
}

TEST(RedrawFrame, DrawsTheCurrentFrameAtOnce) {
    Fixture f;
    f.state.Frame = 20;
    f.state.DisplayedFrame = 20;
    EXPECT_TRUE(RedrawFrame(f.state, f.video, f.bitmap));
    f.state.Frame = 1000;  // beyond the video
    EXPECT_FALSE(RedrawFrame(f.state, f.video, f.bitmap));
    EXPECT_EQ(f.video.decoded, (std::vector<int32_t>{20}));
}

}  // namespace
}  // namespace kelvaron
