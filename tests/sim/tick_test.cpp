#include "sim/tick.h"

#include <gtest/gtest.h>

#include "sim/sim_rig.h"

namespace kelvaron {
namespace {

using test::SimRig;

TEST(Tick, FramesFollowTheWholeKmhSpeedSum) {
    // speed, filming speed, ticks -> frames moved, sum left. 0.4 and 0.5 km/h
    // round to 0, 1.5 and 2.5 to 2; 90 km/h at 60 leaves 30, then moves 2;
    // a filming speed of 0 counts as 1.
    struct Case {
        Fixed4 speed;
        int32_t filming, ticks, frames, sum;
    };
    for (auto c : {Case{4000, 99, 1, 0, 0},
                   {5000, 99, 1, 0, 0},
                   {15000, 99, 1, 0, 2},
                   {-25000, 99, 1, 0, 2},
                   {900000, 60, 2, 3, 0},
                   {-600000, 60, 5, -5, 0},
                   {100000, 0, 1, 10, 0}}) {
        SimRig rig;
        rig.state.Frame = 1000;
        rig.state.Speed = c.speed;
        rig.state.FilmingSpeed = c.filming;
        rig.Ticks(c.ticks);
        EXPECT_EQ(rig.state.Frame - 1000, c.frames) << c.speed;
        EXPECT_EQ(rig.state.FrameAccum, c.sum) << c.speed;
    }
    SimRig rig;  // the line ends at frame 55 162 unless the run may pass it
    rig.state.Frame = 55161;
    rig.state.Speed = 1200000;
    rig.Ticks(1);
    EXPECT_EQ(rig.state.Frame, 55162);
    EXPECT_EQ(rig.state.Speed, 0);
    rig.state.PastEndAllowed = 1;
    rig.state.Speed = 1200000;
    rig.Ticks(1);
    EXPECT_EQ(rig.state.Frame, 55164);
}

TEST(Tick, DistanceSnapsToTheStartOfEachFilmingSpeedRecord) {
    // Six records of 100 frames, record i ending at distance 1000 (i + 1).
    // (frame, record index, distance before) -> distance after three ticks.
    for (auto [frame, index, before, after] :
         {std::tuple{10, 0, 0, 0}, {510, 0, 0, 5000}, {510, -1, 777, 777}, {299, 2, 2990, 3000}}) {
        SimRig rig;
        for (int i = 0; i < 6; ++i)
            rig.line.SpeedUnit.push_back({i * 100, i * 100 + 100, 60, 65, 1000 * (i + 1)});
        rig.state.Frame = frame;
        rig.state.SpeedUnitIndex = index;
        rig.state.Distance = before;
        rig.state.TargetDistance = 9000;
        rig.state.Speed = frame == 299 ? 600000 : 0;  // one frame into record 3
        rig.Ticks(frame == 299 ? 1 : 3);
        const double step = frame == 299 ? 55.555 : 0;  // 60 km/h for 1/30 s, in cm
        EXPECT_NEAR(static_cast<double>(rig.state.Distance), after + step, 1e-9) << frame;
        EXPECT_NEAR(static_cast<double>(rig.state.RemainingDistance), 9000 - after - step, 1e-9);
    }
    SimRig rig;  // frame 50 of 100 from 60 to 65 km/h: 62.5, to even
    rig.line.SpeedUnit.push_back({300, 400, 60, 65, 0});
    rig.state.Frame = 350;
    rig.Ticks(1);
    EXPECT_EQ(rig.state.FilmingSpeed, 62);
}

TEST(Tick, HandleDelaysAndTheTractionGate) {
    SimRig rig;
    rig.train.PowerDelay = 3;
    rig.state.PowerNotch = 2;
    rig.state.PowerMoved = true;
    rig.Ticks(2);
    rig.state.PowerNotch = 3;  // a second movement does not restart the count
    EXPECT_EQ(rig.state.EffectivePower, 0);
    rig.Ticks(1);
    EXPECT_EQ(rig.state.EffectivePower, 3);
    rig.Ticks(1);
    EXPECT_EQ(rig.state.MotorForce, 300000000);

    rig.state.DoorsOpen = true;  // open doors cut traction and hold the power handle only
    rig.state.PowerNotch = 1;
    rig.state.BrakeNotch = -3;
    rig.state.PowerMoved = rig.state.BrakeMoved = true;
    rig.Ticks(4);
    EXPECT_EQ(rig.state.MotorForce, 0);
    EXPECT_EQ(rig.state.EffectivePower, 3);
    EXPECT_EQ(rig.state.EffectiveBrake, -3);

    rig.state.DoorsOpen = false;  // at [MaxSpeed] likewise, and the ammeter keeps its value
    rig.state.Speed = 1200000;
    rig.state.MotorForce = 123;
    rig.Ticks(4);
    EXPECT_EQ(rig.state.EffectivePower, 3);
    EXPECT_EQ(rig.state.MotorForce, 123);
    rig.state.Speed = -1200000;  // a reverse speed always passes
    rig.state.Reverser = -1;
    rig.Ticks(3);
    EXPECT_EQ(rig.state.EffectivePower, 1);
    EXPECT_EQ(rig.state.MotorForce, -36416968);  // 120 km/h: 0.98^50 km/h/s, reversed
}

TEST(Tick, ClockAutoRunAndPrecedingTrain) {
    // Frame rate 15: every second tick; 30 every tick; 0 and 45 are broken data.
    for (auto [rate, frames] : {std::pair{15, 2}, {30, 4}, {0, 4}, {45, 4}}) {
        SimRig rig;
        rig.line.FrameRate = rate;
        rig.state.VideoFrameCount = 5000;
        rig.state.LeaderFrame = 100;
        rig.state.ClockTicks = 1000;
        rig.Ticks(4);
        EXPECT_EQ(rig.state.LeaderFrame, 100 + frames) << rate;
        EXPECT_EQ(rig.state.ClockTicks, 1004);
    }
    SimRig rig;
    rig.state.VideoFrameCount = 100;
    rig.state.LeaderFrame = 100;  // past the end of the video it leaves the line
    rig.state.AutoRun = true;
    rig.Ticks(1);
    EXPECT_EQ(rig.state.LeaderFrame, 0);
    EXPECT_EQ(rig.state.Speed, 600000);
}

}  // namespace
}  // namespace kelvaron
