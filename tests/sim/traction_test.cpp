#include "sim/traction.h"

#include <gtest/gtest.h>

#include "sim/sim_rig.h"

namespace kelvaron {
namespace {

using test::SimRig;

Fixed4 ForceAt(SimRig& rig, Fixed4 speed, void (*step)(SimContext&)) {
    rig.state.Speed = speed;
    rig.state.TractiveForce = 0;
    step(rig.sim);
    return rig.state.TractiveForce;
}

TEST(Traction, ElectricNotchCurve) {
    SimRig rig;
    rig.state.EffectivePower = 2;
    // 20 km/h: A0 (either way); 60: 3 x 40 / 60; 70: 120 / 70; 80: 1.5 x 0.98^10.
    for (auto [speed, force] : {std::pair{200000, 300000000},
                                {-200000, 300000000},
                                {600000, 200000000},
                                {700000, 171428571},
                                {800000, 122560921}}) {
        EXPECT_EQ(ForceAt(rig, speed, ElectricForce), force) << speed;
    }
    rig.train.Tons = 355000;  // 35.5 t at 3 km/h/s: 29 583.33 N
    EXPECT_EQ(ForceAt(rig, 0, ElectricForce), 295833333);
    rig.train.Notch[1] = {3.0, 3.0, 0, 0, 0.0};  // broken curves: no force, no crash
    EXPECT_EQ(ForceAt(rig, 0, ElectricForce), 0);
    EXPECT_EQ(ForceAt(rig, 800000, ElectricForce), 0);
    rig.state.EffectivePower = 5;
    EXPECT_EQ(ForceAt(rig, 0, ElectricForce), 0);
}

struct DieselRig : SimRig {
    DieselRig() {
        train.Engine_Type = 0;
        train.Engine = {{0, 20, 40, 2.0, 3.0, 1.0}, {30, 50, 70, 1.0, 1.0, 1.0}};
        state.EngineOutput = 100;
        state.EffectivePower = 4;
    }
};

TEST(Traction, DieselGearsShiftBySpeedAndPauseTraction) {
    DieselRig rig;
    rig.state.EffectivePower = 2;  // 10 km/h: 2 + 10 / 20 = 2.5 km/h/s at notch 2 of 4
    EXPECT_EQ(ForceAt(rig, 100000, DieselTractionStep), 125000000);
    rig.state.EffectivePower = 4;
    rig.state.Speed = 410000;  // over S2 = 40: up a gear, 80 ticks counting this one
    int completions = 0;
    for (int tick = 0; tick < 79; ++tick) completions += MMTimer1Timer(rig.sim);
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(rig.state.MotorForce, 0);
    EXPECT_TRUE(MMTimer1Timer(rig.sim));
    MMTimer1Timer(rig.sim);
    EXPECT_EQ(rig.state.MotorForce, 100000000);  // gear 1: 1 km/h/s

    // Gear 1 (S0 = 30) is left downward below 25 km/h.
    for (auto [speed, shifts] : {std::pair{250000, false}, {249000, true}}) {
        rig.state.GearShifted = false;
        rig.state.Gear = 1;
        ForceAt(rig, speed, DieselTractionStep);
        EXPECT_EQ(rig.state.GearShifted, shifts) << speed;
    }
    rig.state.GearShifted = false;  // no gear above the top one, none below gear 0
    rig.state.Gear = 1;
    ForceAt(rig, 710000, DieselTractionStep);
    rig.train.Engine[0].S0 = 10;
    rig.state.Gear = rig.state.EngagedGear = 0;
    ForceAt(rig, 0, DieselTractionStep);
    rig.train.Gear_Type = "MT";  // the driver's gearbox never shifts by itself
    ForceAt(rig, 410000, DieselTractionStep);
    EXPECT_FALSE(rig.state.GearShifted);
    EXPECT_EQ(rig.state.Gear, 0);
}

TEST(Traction, EngineOutputRampAndFall) {
    // Standing in the converter stage: +8 a step below 48, then +4 up to the
    // notch cap 50 + 50 / 4 x notch: notch 2 ends at 76, notch 4 at 96.
    for (auto [notch, end] : {std::pair{2, 76}, {4, 96}}) {
        DieselRig rig;
        rig.state.EngineOutput = 0;
        rig.state.EffectivePower = notch;
        for (int i = 0; i < 6; ++i) EngineOutputStep(rig.sim);
        EXPECT_EQ(rig.state.EngineOutput, 48);
        for (int i = 0; i < 30; ++i) EngineOutputStep(rig.sim);
        EXPECT_EQ(rig.state.EngineOutput, end);
        EXPECT_EQ(rig.state.EngineRev, 95);
        rig.state.EffectivePower = 0;  // power off: -2 down to 50, engine speed -3
        for (int i = 0; i < 40; ++i) EngineOutputStep(rig.sim);
        EXPECT_EQ(rig.state.EngineOutput, 50);
        EXPECT_EQ(rig.state.EngineRev, 2);
    }
}

}  // namespace
}  // namespace kelvaron
