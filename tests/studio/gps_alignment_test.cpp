#include "studio/gps_alignment.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/qt/qt_gpx_reader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

// A train that stands 20 s, runs at 20 m/s for 100 s, stands 30 s and runs 50 s more,
// starting at 12:00:00 UTC. One fix a second, due north along a meridian:
// 1 m is 1 / 111195 degree of latitude.
constexpr double kStart = 1700049600;  // 2023-11-15 12:00:00 UTC
double MetresAt(double t) {
    if (t < 20) return 0;
    if (t < 120) return 20 * (t - 20);
    if (t < 150) return 2000;
    return 2000 + 20 * (t - 150);
}
GpsTrack Track(double seconds = 200) {
    GpsTrack track;
    for (int s = 0; s <= seconds; ++s) {
        track.points.push_back({kStart + s, 35.0 + MetresAt(s) / 111195.0, 139.0, 10 + s});
    }
    return track;
}
// The video starts 37.3 s into the track and lasts 150 s at 30 frames a second; its still
// frames are those of the train standing.
VideoTiming Video(double offset) {
    VideoTiming video{.frameCount = 4500, .framesPerSecond = 30, .still = {}};
    for (int f = 0; f < video.frameCount; ++f) {
        const double t = offset + f / 30.0;
        video.still.push_back(t >= 120 && t < 150);
    }
    return video;
}

TEST(GpsAlignment, StandstillsLineUpAtTheOffsetAndGiveTheSpeed) {
    std::string error;
    auto offset = FindGpsOffset(Track(), Video(37.3), error);
    ASSERT_TRUE(offset) << error;
    // Fixes once a second place the standstill's ends to within a second.
    EXPECT_NEAR(*offset, 37.3, 0.5);

    auto profile = GpsSpeedProfile(Track(), 37.3, Video(37.3), error);
    ASSERT_TRUE(profile) << error;
    ASSERT_EQ(profile->kmh.size(), 4500u);
    // At 30 frames a second the file's speed is the real one: 20 m/s is 72 km/h.
    EXPECT_NEAR(profile->kmh[600], 72, 0.5);   // 57.3 s: running
    EXPECT_EQ(profile->kmh[3000], 0);          // 137.3 s: standing
    EXPECT_NEAR(profile->kmh[4400], 72, 0.5);  // 184 s: running again
    double metres = 0;
    for (double kmh : profile->kmh) metres += kmh / 108;
    // From 37.3 s to 187.3 s: 20 x (120 - 37.3) + 20 x (187.3 - 150) = 1654 + 746 = 2400 m.
    EXPECT_NEAR(metres, 2400, 25);
}

TEST(GpsAlignment, GapsAndBadTimesAreNamed) {
    std::string error;
    GpsTrack gap = Track();
    gap.points.erase(gap.points.begin() + 60, gap.points.begin() + 75);  // 15 s without a fix
    EXPECT_FALSE(GpsSpeedProfile(gap, 37.3, Video(37.3), error));
    EXPECT_EQ(error,
              "GPX line 85: the track has no position for 16 s after 12:00:59 UTC, "
              "while the video runs");

    GpsTrack back = Track();
    back.points[50].time = back.points[49].time;
    ASSERT_TRUE(CheckGpsTrack(back));
    EXPECT_EQ(*CheckGpsTrack(back),
              "GPX line 60: the time 12:00:49 UTC does not come after 12:00:49 UTC of the point "
              "before; the track's times must run forwards");
    EXPECT_FALSE(FindGpsOffset(back, Video(37.3), error));

    // The video running past the track's end has no speed there.
    EXPECT_FALSE(GpsSpeedProfile(Track(100), 37.3, Video(37.3), error));
    EXPECT_NE(error.find("does not cover the video"), std::string::npos) << error;
}

TEST(GpxReader, ReadsTrackPointsAndNamesTheLineOfAFault) {
    const auto dir = test::MakeTempDir();
    test::WriteFile(
        dir / "ride.gpx",
        "<?xml version=\"1.0\"?>\n"
        "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "<trk><trkseg>\n"
        "<trkpt lat=\"35.5\" lon=\"139.25\"><ele>3</ele><time>2023-11-15T12:00:00Z</time></trkpt>\n"
        "<trkpt lat=\"35.5001\" lon=\"139.25\"><time>2023-11-15T21:00:01.500+09:00</time></trkpt>\n"
        "</trkseg></trk></gpx>\n");
    QtGpxReader reader;
    std::string error;
    auto track = reader.Read(dir / "ride.gpx", error);
    ASSERT_TRUE(track) << error;
    ASSERT_EQ(track->points.size(), 2u);
    EXPECT_DOUBLE_EQ(track->points[0].time, kStart);
    EXPECT_DOUBLE_EQ(track->points[1].time, kStart + 1.5);  // 21:00 at +09:00 is 12:00 UTC
    EXPECT_DOUBLE_EQ(track->points[1].latitude, 35.5001);
    EXPECT_EQ(track->points[1].sourceLine, 5);

    test::WriteFile(dir / "untimed.gpx",
                    "<gpx version=\"1.1\"><trk><trkseg>\n<trkpt lat=\"1\" lon=\"2\"></trkpt>\n"
                    "</trkseg></trk></gpx>\n");
    EXPECT_FALSE(reader.Read(dir / "untimed.gpx", error));
    EXPECT_EQ(error, "untimed.gpx line 2: a track point without a time");

    test::WriteFile(dir / "cut.gpx", "<gpx version=\"1.1\"><trk><trkseg>\n<trkpt lat=\"1\"");
    EXPECT_FALSE(reader.Read(dir / "cut.gpx", error));
    EXPECT_NE(error.find("cut.gpx line 2: "), std::string::npos) << error;
}

}  // namespace
}  // namespace kelvaron
