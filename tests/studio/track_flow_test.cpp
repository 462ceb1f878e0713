#include "studio/track_flow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/headless/fake_video_reader.h"
#include "platform/headless/known_flow.h"
#include "studio/flow_analysis.h"
#include "test_support.h"

namespace kelvaron {
namespace {

// A ride filmed at 30 frames a second, in metres per frame: standing 2 s, away at
// 0.8 m/s^2 to 25 m/s, on at that speed, braking at 1 m/s^2, standing 3 s, away again.
std::vector<double> Ride() {
    std::vector<double> perFrame;
    double v = 0;
    for (int f = 0; f < 2400; ++f) {
        const double t = f / 30.0;
        if (t < 2) {
            v = 0;
        } else if (t < 40) {
            v = std::min(25.0, v + 0.8 / 30);
        } else if (t < 65) {
            v = std::max(0.0, v - 1.0 / 30);
        } else if (t < 68) {
            v = 0;
        } else {
            v = std::min(25.0, v + 0.8 / 30);
        }
        perFrame.push_back(v / 30);
    }
    return perFrame;
}

// What a camera looking along a level track would see, picture heights: a row r below the
// horizon (0.42) sees the bed at f h / r (f h = 3, picture heights and metres); after d metres
// it shows on the row 1 / (1 / r - d / 3). Plus a bounce of the cab shared by all rows and
// some noise. Above the horizon things move at random; the bottom eighth is the cab's own
// dashboard. In the frames of `dark` (a tunnel) the bed shows only the noise.
struct Stretch {
    size_t from = 0;
    size_t to = 0;
};
class RideFlow {
  public:
    RideFlow(std::vector<double> ride, uint32_t seed, Stretch dark = {})
        : ride_(std::move(ride)), random_(seed), dark_(dark) {}
    void operator()(int32_t from, int32_t to, FlowField& field) {
        constexpr int32_t width = 96;
        constexpr int32_t height = 120;
        field.width = width;
        field.height = height;
        field.dx.assign(width * height, 0.0f);
        field.dy.assign(width * height, 0.0f);
        double travelled = 0;
        for (int32_t f = from + 1; f <= to; ++f) travelled += ride_[static_cast<size_t>(f)];
        auto bounce = [](int32_t k) { return 0.0008 * std::sin(k / 4.0); };
        std::normal_distribution<double> noise(0, 0.0006);
        std::uniform_real_distribution<double> clutter(-0.01, 0.01);
        for (int32_t y = 0; y < height; ++y) {
            const double row = (y + 0.5) / height;
            const double r = row - 0.42;
            for (int32_t x = 0; x < width; ++x) {
                double m = 0;
                if (row >= 0.875) {
                    m = 0;  // the cab does not move in its own picture
                } else if (r < 0) {
                    m = clutter(random_);
                } else if (static_cast<size_t>(to) > dark_.from &&
                           static_cast<size_t>(from) < dark_.to) {
                    m = noise(random_);
                } else {
                    m = 1 / (1 / r - travelled / 3) - r + bounce(to) - bounce(from) +
                        noise(random_);
                }
                field.dy[static_cast<size_t>(y * width + x)] = static_cast<float>(m * height);
            }
        }
    }

  private:
    std::vector<double> ride_;
    std::mt19937 random_;
    Stretch dark_;
};

FlowRecord Analysed(const std::vector<double>& ride, Stretch dark = {}) {
    FakeVideoReader video;
    video.frameCountWhenOpen = static_cast<int32_t>(ride.size());
    video.Open("ride.avi");
    KnownFlow flow(RideFlow(ride, 3, dark));
    std::string error;
    auto record = AnalyseFlow(video, flow, nullptr, error);
    EXPECT_TRUE(record) << error;
    return record ? *record : FlowRecord{};
}

// Calibrated with about 500 m, from frame 600 (20 s) to frame 1200 (40 s), every point past
// 50 m lies within 1 % of its distance.
void ExpectEveryPointWithinOnePercent(const std::vector<double>& ride, const TrackMotion& motion) {
    std::vector<double> truth(ride.size() + 1, 0);  // metres up to each frame
    for (size_t f = 1; f < ride.size(); ++f) truth[f] = truth[f - 1] + ride[f];
    const KnownSpan span{600, 1200, truth[1200] - truth[600]};
    std::string error;
    auto profile = CalibratedSpeedProfile(motion, {span}, error);
    ASSERT_TRUE(profile) << error;
    double metres = 0;
    for (size_t f = 1; f < ride.size(); ++f) {
        metres += profile->kmh[f] / 108;
        if (truth[f] > 50) {
            ASSERT_NEAR(metres, truth[f], truth[f] * 0.01) << "frame " << f;
        }
    }
}

TEST(TrackFlow, OneSpanSetsTheScaleOfTheWholeRide) {
    const auto ride = Ride();
    const FlowRecord record = Analysed(ride);
    ASSERT_EQ(record.FrameCount(), 2400);
    std::string error;
    auto motion = EstimateTrackMotion(record, error);
    ASSERT_TRUE(motion) << error;
    EXPECT_NEAR(motion->horizon, 0.42, 0.01);
    // Standing from 0 to 2 s and from 65 to 68 s (frames 1950..2039).
    EXPECT_TRUE(motion->still[30]);
    EXPECT_TRUE(motion->still[2000]);
    EXPECT_FALSE(motion->still[1000]);

    ExpectEveryPointWithinOnePercent(ride, *motion);
}

// A dark tunnel passed at 25 m/s (frames 1010 to 1190, 6 s): the picture shows nothing to
// follow, which would read as a standstill; no train stops from 25 m/s in a frame, so the
// speed either side carries through and the distances stay within 1 %.
TEST(TrackFlow, ADarkTunnelIsCrossedAtTheSpeedEitherSide) {
    const auto ride = Ride();
    const FlowRecord record = Analysed(ride, {1010, 1190});
    std::string error;
    auto motion = EstimateTrackMotion(record, error);
    ASSERT_TRUE(motion) << error;
    ExpectEveryPointWithinOnePercent(ride, *motion);
}

TEST(TrackFlow, MotionIsKeptBesideTheVideoAndMeasuringCanBeStopped) {
    const auto dir = test::MakeTempDir();
    const auto file = dir / "ride.avi";
    test::WriteFile(file, "a video");
    const auto ride = Ride();
    FakeVideoReader video;
    video.frameCountWhenOpen = 300;
    KnownFlow flow(RideFlow(ride, 5));
    std::string error;
    int32_t lastDone = 0;
    auto stopHalfWay = [&](int32_t done, int32_t total) {
        lastDone = done;
        return done * 2 < total;
    };
    EXPECT_FALSE(FlowOfVideo(file, video, flow, stopHalfWay, error));
    EXPECT_EQ(error, "stopped");
    EXPECT_LT(lastDone, 300);
    EXPECT_FALSE(std::filesystem::exists(FlowCachePath(file)));

    auto first = FlowOfVideo(file, video, flow, nullptr, error);
    ASSERT_TRUE(first) << error;
    // The second time nothing is decoded: the video need not even open.
    FakeVideoReader closed;
    closed.opens = false;
    auto second = FlowOfVideo(file, closed, flow, nullptr, error);
    ASSERT_TRUE(second) << error;
    ASSERT_EQ(second->bands.size(), first->bands.size());
    for (size_t i = 0; i < first->bands.size(); ++i) {
        if (std::isnan(first->bands[i])) {
            ASSERT_TRUE(std::isnan(second->bands[i])) << i;
        } else {
            ASSERT_NEAR(second->bands[i], first->bands[i], 1e-5) << i;
        }
    }
    EXPECT_EQ(second->measuredOver, first->measuredOver);
    // A changed video is measured again.
    test::WriteFile(file, "another video");
    EXPECT_FALSE(FlowOfVideo(file, closed, flow, nullptr, error));
}

}  // namespace
}  // namespace kelvaron
