#include "run/stations.h"

#include <gtest/gtest.h>

#include "run/gradients.h"
#include "run/track_signs.h"
#include "test_run.h"

namespace kelvaron {
namespace {

struct Fixture : test::TestRun {
    Fixture() {
        train.DriveSound.assign(2, "band.wav");  // line sound n plays on channel 2 + n
        train.Sound_DoorOpen = 50;
        train.Sound_DoorClose = 51;
        train.DepSign = 52;
        train.Cars = 4;
        for (const char* name : {"Label4", "stop", "Lamp_Door", "SlopeImage", "SlopeText",
                                 "SpeedLimitImage", "OtherImage", "stopline"}) {
            AddControl(name);
        }
        for (int i = 0; i < 3; ++i) {
            Picture p;
            p.width = p.height = 2;
            p.pixels.assign(4, 0xFF000000u + static_cast<uint32_t>(i));
            images.SignImageList.Append(p);
            images.OtherImageList.Append(p);
        }
        labels.Stop = "停車";
        labels.Pass = "通過";
        // Station 0 stops (zone 100-200), station 1 is passed, station 2 stops.
        line.Station = {{0, "甲", 100, 200, 1, 3000, 3600, 0},
                        {1, "乙", 400, 500, 2, 0, 0, 0},
                        {0, "丙", 800, 900, 3, 9000, 9600, 123456}};
    }
    void Refresh() {
        DoorClosingAndDepartureSignal(run);
        Stations(run);
    }
};

TEST(Stations, ConductorOpensDepartsAndClosesAtAStop) {
    Fixture f;
    f.state.Frame = 150;
    f.state.ClockTicks = 2000;
    f.Refresh();
    EXPECT_EQ(f.panel.Text("Label4"), "甲");
    EXPECT_TRUE(f.state.DoorsOpen);  // standing in the zone: the conductor opened them
    EXPECT_EQ(f.mixer.Count("play", 50), 1);

    f.state.ClockTicks = 3001;  // departure time passed: melody and the next stop target
    f.Refresh();
    EXPECT_EQ(f.mixer.Count("play", 3), 1);
    EXPECT_EQ(f.state.TargetDistance, 123456);  // the passed station 1 is skipped

    f.state.ClockTicks = 3601;  // door-close time, but the melody still plays
    f.Refresh();
    EXPECT_EQ(f.mixer.Count("play", 51), 0);
    f.mixer.FinishPlaying(3);
    f.mixer.FinishPlaying(50);
    f.Refresh();
    EXPECT_EQ(f.mixer.Count("play", 51), 1);
    EXPECT_TRUE(f.state.StationFlag[0].doorsClosed);
    EXPECT_TRUE(f.state.DoorsOpen);  // open until the closing sound ends
    f.mixer.FinishPlaying(51);
    f.Refresh();
    EXPECT_FALSE(f.state.DoorsOpen);
    EXPECT_TRUE(f.panel.IsVisible("Lamp_Door"));
    EXPECT_EQ(f.mixer.Count("play", 52), 1);  // the departure signal, once
    f.Refresh();
    EXPECT_EQ(f.mixer.Count("play", 52), 1);
}

TEST(Stations, PassedStationShowsNoMarkerAndOpensNothing) {
    Fixture f;
    f.state.Frame = 300;  // between station 0 and 1
    f.Refresh();
    EXPECT_EQ(f.panel.Text("Label4"), "乙通過");
    f.state.Frame = 450;
    f.state.DoorsOpen = false;
    f.Refresh();
    EXPECT_FALSE(f.state.StationFlag[1].markerShown);
    EXPECT_EQ(f.panel.Find("stop")->picture, nullptr);
    EXPECT_FALSE(f.state.DoorsOpen);
}

TEST(Stations, NoDoorsBeyondTheLastPlatform) {
    Fixture f;
    f.state.DoorsOpen = false;
    f.state.DoorCommand = false;
    f.state.Frame = 850;  // in the last zone, still moving
    f.state.Speed = 200000;
    f.Refresh();
    EXPECT_TRUE(f.state.StationFlag[2].markerShown);
    f.state.Frame = 960;  // overran the platform and stopped
    f.state.Speed = 0;
    f.Refresh();
    EXPECT_FALSE(f.state.DoorsOpen);
    EXPECT_EQ(f.mixer.Count("play", 50), 0);
}

TEST(Stations, KindTwoDepartsWithDoorsClosed) {
    Fixture f;
    f.line.Station[0].Kind = 2;
    f.state.Frame = 150;
    f.state.DoorsOpen = false;
    f.state.DoorCommand = false;
    f.state.ClockTicks = 3001;
    Stations(f.run);
    EXPECT_FALSE(f.state.DoorsOpen);
    EXPECT_EQ(f.mixer.Count("play", 3), 1);
}

TEST(Stations, OneManOperationLeavesTheDoorsToTheDriver) {
    Fixture f;
    f.line.OneMan = 2;  // any non-zero value is one-man operation
    f.state.Frame = 150;
    f.state.DoorsOpen = false;
    f.Refresh();
    EXPECT_FALSE(f.state.DoorsOpen);
}

TEST(DepartureSignal, SoundsOnceEvenWithoutTheDoorLamp) {
    Fixture f;
    f.panel = PanelModel();  // a panel without "Lamp_Door"
    f.state.DoorsOpen = true;
    f.state.DoorCommand = false;
    for (int i = 0; i < 5; ++i) DoorClosingAndDepartureSignal(f.run);
    EXPECT_EQ(f.mixer.Count("play", 52), 1);
}

TEST(Gradients, FeltGradientFollowsTheTrainsLength) {
    Fixture f;
    f.line.Slope = {{100, 1000, 250000}};  // 25 per mille up from frame 100
    f.state.Frame = 150;
    GradientSections(f.run);
    EXPECT_EQ(f.state.CurrentGradient, 250000);
    EXPECT_EQ(f.panel.Text("SlopeText"), "25.0");
    // Four cars: one sample per 20 m; after 1, 2, 3, 4 samples the mean is 6.25, 12.5 ... 25.
    std::vector<Fixed4> felt;
    for (int i = 1; i <= 5; ++i) {
        f.state.Distance = 2001.0L * i;
        GradientSampling(f.run);
        felt.push_back(f.state.Slope);
    }
    EXPECT_EQ(felt, (std::vector<Fixed4>{62500, 125000, 187500, 250000, 250000}));
}

TEST(Gradients, SectionsWithoutPicturesStillEnd) {
    Fixture f;
    f.images.SignImageList.Clear();  // no up/down pictures at all
    f.line.Slope = {{100, 200, -100000}, {300, 400, 0}};
    f.state.Frame = 150;
    GradientSections(f.run);
    EXPECT_EQ(f.state.CurrentGradient, -100000);
    EXPECT_EQ(f.panel.Text("SlopeText"), "-10.0");
    f.state.Frame = 250;  // level stretch between the sections
    GradientSections(f.run);
    EXPECT_EQ(f.state.CurrentGradient, 0);
    EXPECT_EQ(f.panel.Text("SlopeText"), "");
    f.state.Frame = 350;  // a 0 per mille section: text, no sign
    GradientSections(f.run);
    EXPECT_EQ(f.panel.Text("SlopeText"), "0.0");
    EXPECT_EQ(f.panel.Find("SlopeImage")->picture, nullptr);
}

TEST(SpeedLimits, WarningStartsAtTheBrakingDistanceAndBlinks) {
    Fixture f;
    f.train.BrakeRate = 30000;  // 3 km/h/s
    f.line.SpeedLimit = {{45, 2, 0, 5000, 6000, 100000}};
    f.state.Speed = 900000;  // 90 km/h
    f.state.Frame = 1000;
    // b = (45 / 1.8) x (135 / 2 / 3.6) = 468.75 m: warns once d - 100 m < b, d < 568.75 m.
    f.state.Distance = 100000 - 56900;
    SpeedLimits(f.run);
    EXPECT_FALSE(f.state.LimitWarning);
    f.state.Distance = 100000 - 56800;
    SpeedLimits(f.run);
    EXPECT_TRUE(f.state.LimitWarning);
    EXPECT_EQ(f.state.ShownLimitImage, 2);
    f.state.RefreshCount = 15;
    SpeedLimitBlinking(f.run);
    EXPECT_FALSE(f.panel.IsVisible("SpeedLimitImage"));
    f.state.RefreshCount = 20;
    SpeedLimitBlinking(f.run);
    EXPECT_TRUE(f.panel.IsVisible("SpeedLimitImage"));
    f.state.Frame = 5500;  // inside: warning off, limit shown
    SpeedLimits(f.run);
    EXPECT_FALSE(f.state.LimitWarning);
    EXPECT_EQ(f.state.ShownLimit, 45);
}

TEST(SignsAndTimeChecks, PromptNotShownNearTheNextStop) {
    Fixture f;
    f.line.Time = {{1, 100, 200, 5000}};
    f.state.Frame = 150;
    f.state.Speed = 300000;
    f.state.RemainingDistance = 9000;  // 90 m to the stop
    SignsAndTimeChecks(f.run);
    EXPECT_EQ(f.state.PromptImage, kNone);
    f.state.RemainingDistance = 20000;
    SignsAndTimeChecks(f.run);
    EXPECT_EQ(f.state.PromptImage, 901);
}

TEST(StopLineMarker, FollowsTheRemainingDistance) {
    Fixture f;
    f.state.RemainingDistance = 5000;  // 50 m: 232 - 60
    StopLineMarker(f.run);
    EXPECT_EQ(f.panel.Find("stopline")->top, 172);
    f.state.RemainingDistance = 25000;
    StopLineMarker(f.run);
    EXPECT_EQ(f.panel.Find("stopline")->top, -20);
    f.state.RemainingDistance = -15000;
    StopLineMarker(f.run);
    EXPECT_EQ(f.panel.Find("stopline")->top, 366);
}

}  // namespace
}  // namespace kelvaron
