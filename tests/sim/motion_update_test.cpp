#include "sim/motion_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "sim/sim_rig.h"

namespace kelvaron {
namespace {

using test::SimRig;

RunState& Update(SimRig& rig, Fixed4 speed) {
    rig.state.Speed = speed;
    rig.state.TractiveForce = rig.state.ResistForce = 0;
    MotionUpdate(rig.sim);
    return rig.state;
}

TEST(MotionUpdate, BrakeRateAndAdhesionFollowTheSpeed) {
    SimRig rig;
    rig.train.Lose_elec = 20;
    // 4 x f(v) / f(20), f(x) = 0.32 (1 + 0.01x) / (1 + 0.05x): x 1.2222 at 10 km/h,
    // x 1.6154 at 0.8 km/h (64 615) and halved below 1 km/h, 32 307.5 to even.
    for (auto [speed, rate] : {std::pair{100000, 48889},
                               {8000, 32308},
                               {300000, 40000},
                               {-100000, 40000},
                               {-8000, 20000}}) {
        EXPECT_EQ(Update(rig, speed).BrakeRateNow, rate) << speed;
    }
    // 0.345 (1 + 0.05v) / (1 + 0.1v): 2012.5 to even at 50 km/h, 1881.8 at 100.
    for (auto [speed, adhesion] : {std::pair{0, 3450}, {500000, 2012}, {1000000, 1882}}) {
        EXPECT_EQ(Update(rig, speed).Adhesion, adhesion) << speed;
    }
}

TEST(MotionUpdate, GradientLowSpeedTermAndRunningResistance) {
    SimRig rig;
    rig.train.Tons = 3000000;
    rig.train.Cars = 10;
    // (1.32 + 1.64) x 300 + (0.028 + 0.0702) x 100^2 = 1870 kgf = 18 326 N, against the motion.
    EXPECT_EQ(Update(rig, 1000000).ResistForce, -183260000);
    EXPECT_EQ(Update(rig, -1000000).ResistForce, 183260000);
    rig.state.Slope = 250000;  // 300 t x 9.8 x sin(atan 0.025) = 73 477.04 N back
    EXPECT_EQ(Update(rig, 0).ResistForce, -734770420);
    rig.state.Slope = -250000;
    // At 3 km/h downhill: (8 - 3) x 9.8 x 300 = 14 700 N of low-speed term, and
    // ((1.32 + 0.0492) x 300 + 0.0982 x 9) x 9.8 = 4 034.109 N of resistance.
    const Fixed4 standing = Update(rig, 0).ResistForce;
    EXPECT_EQ(standing - Update(rig, 30000).ResistForce, 147000000 + 40341092);
}

TEST(MotionUpdate, AdhesionLimitsSpinAndSkid) {
    SimRig rig;
    rig.state.PowerNotch = 4;  // 70 000 N over 0.345 x 18 t x 9.8 = 60 858 N: half of that
    rig.state.Speed = 0;
    rig.state.TractiveForce = 700000000;
    MotionUpdate(rig.sim);
    EXPECT_EQ(rig.state.TractiveForce, 304290000);
    EXPECT_EQ(rig.state.WheelState, "Racing");
    rig.state.BrakeNotch = -8;  // 8 km/h/s x 36 t = 80 000 N over 0.2012 x 36 t x 9.8
    rig.train.BrakeRate = 80000;
    rig.state.BcPressure = 4400000;
    EXPECT_EQ(Update(rig, 500000).TractiveForce, -709833600);
    EXPECT_EQ(rig.state.WheelState, "Sliding");
}

TEST(MotionUpdate, BrakedTrainStopsExactlyAndStaysStopped) {
    for (Fixed4 slope : {0, 250000}) {
        SimRig rig;  // emergency brake settled at 440 kPa
        rig.state.EffectiveBrake = rig.state.BrakeNotch = -8;
        rig.state.BcPressure = 4400000;
        rig.state.Slope = slope;
        // Level: the update that stops starts at 0.2 km/h, where resistance acts.
        rig.state.Speed = slope == 0 ? 201000 : 0;
        Fixed4 lowest = 0, highest = 0;
        for (int i = 0; i < 100 && rig.state.Speed != 0; ++i) rig.Tenths(1);
        EXPECT_EQ(rig.state.Speed, 0) << slope;
        const long double distance = rig.state.Distance;
        for (int i = 0; i < 600; ++i) {
            rig.Tenths(1);
            lowest = std::min(lowest, rig.state.Speed);
            highest = std::max(highest, rig.state.Speed);
        }
        if (slope == 0) {  // a minute later: not a centimetre moved
            EXPECT_EQ(rig.state.Speed, 0);
            EXPECT_EQ(rig.state.Distance, distance);
        } else {  // up-grade: hovers within 0.1 km/h either side, the video stands
            EXPECT_LT(lowest, 0);
            EXPECT_GT(highest, 0);
            EXPECT_GT(lowest, -1000);
            EXPECT_LT(highest, 1000);
            EXPECT_EQ(rig.state.Frame, 0);
        }
    }
}

TEST(MotionUpdate, HoldBrakeCancelsTheDownhillPush) {
    SimRig rig;
    rig.state.Slope = -200000;  // the push (7 055 N) exceeds the resistance at 50 km/h (2 014 N)
    EXPECT_GT(Update(rig, 500000).Speed, 500000);
    rig.state.HoldPosition = true;
    EXPECT_EQ(Update(rig, 500000).Speed, 500000);
}

}  // namespace
}  // namespace kelvaron
