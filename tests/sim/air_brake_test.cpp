#include "sim/air_brake.h"

#include <gtest/gtest.h>

#include "sim/sim_rig.h"

namespace kelvaron {
namespace {

using test::SimRig;

TEST(AirBrake, CylinderAndPipesOfTheThreeSystems) {
    // U/45 rounds to 66 667 a tick. Sheet: brake system, notch in effect,
    // starting BP and BC (kPa x 10^4), forced emergency, ticks -> BC (and SAP
    // where >= 0). With U = D = 300: type 2 EB 13 a tick; type 1 EB 30; type 0
    // apply 10 while the pipe falls 4, release 10 and the pipe recharges 4.
    struct Case {
        int type, notch;
        Fixed4 bp, bc;
        bool forced;
        int ticks;
        Fixed4 endBc, endSap;
    };
    const Case cases[] = {
        {2, -4, 0, 0, false, 100, 32 * 66667, -1},  // 220 asked: settles within 10 below
        {2, -8, 0, 0, false, 2, 260000, -1},
        {1, -1, 5000000, 0, false, 200, 8 * 66667, 5 * 66667},    // 62.857 and 42.857 asked
        {1, -7, 5000000, 0, false, 200, 65 * 66667, 44 * 66667},  // 440 and 300 asked
        {1, -8, 5000000, 0, false, 2, 600000, 0},
        {1, 0, 0, 4400000, false, 193, 4400000, -1},       // pipe +2 a tick: 384 < E - E/N = 385
        {1, 0, 0, 4400000, false, 194, 4300000, -1},       // then D/30 above 200
        {1, 0, 5000000, 2000000, false, 1, 1950000, -1},   // 200 is in the D/60 band
        {2, 0, 0, 2000000, false, 1, 1850000, -1},         // D/30 to 190, then D/60
        {0, -3, 4500000, 1000000, false, 1, 1000000, -1},  // limit (490 - 450) x 2.5 = 100
        {0, -3, 4500000, 1000000, false, 2, 1100000, -1},  // the limit grows as BP falls
        {0, 0, 2000000, 3000000, false, 26, 3000000, -1},  // released once BP exceeds BC
        {0, 0, 2000000, 3000000, false, 27, 2900000, -1},
        {0, 0, 0, 0, true, 1, 333333, -1},  // forced emergency: U/9, U/15, U x 1.3 / 30
        {1, 0, 0, 0, true, 1, 200000, -1},
        {2, 0, 0, 0, true, 1, 130000, -1},
    };
    for (const Case& c : cases) {
        SimRig rig;
        rig.train.BrakeType = c.type;
        rig.train.Brake = c.type == 0 ? 4 : 8;
        rig.state.EffectiveBrake = rig.state.SapNotch = c.notch;
        rig.state.BpPressure = c.bp;
        rig.state.BcPressure = c.bc;
        rig.state.ForcedEB = c.forced;
        for (int i = 0; i < c.ticks; ++i) AirBrakeStep(rig.sim);
        const auto where = testing::Message() << c.type << " " << c.notch << " " << c.ticks;
        EXPECT_EQ(rig.state.BcPressure, c.endBc) << where;
        if (c.endSap >= 0) {
            EXPECT_EQ(rig.state.SapPressure, c.endSap) << where;
        }
    }
}

TEST(AirBrake, MotorCarCylinderHeldByTheElectricBrake) {
    SimRig rig;
    rig.train.Mc = 1;
    rig.train.Lose_elec = 20;
    rig.state.BpPressure = 5000000;
    rig.state.EffectiveBrake = -4;
    rig.state.BcPressure = 32 * 66667;  // the settled B4 pressure
    rig.state.Speed = 700000;
    for (int i = 0; i < 30; ++i) AirBrakeStep(rig.sim);
    EXPECT_EQ(rig.state.McBcPressure, 7 * 66667);  // 7 steps up to 46.667, then up and back
    rig.state.Speed = 190000;                      // below [Lose_elec] it follows the cylinder
    for (int i = 0; i < 30; ++i) AirBrakeStep(rig.sim);
    EXPECT_EQ(rig.state.McBcPressure, 32 * 66667);
}

TEST(AirBrake, CompressorRunsFromBelowLowToHighWithItsSounds) {
    SimRig rig;  // low 440, high 490
    rig.train.CP_Start = 7;
    rig.train.CP_Cnt = 8;
    rig.train.CP_End = 9;
    rig.state.MrPressure = 4400000;
    CompressorStep(rig.sim);
    EXPECT_FALSE(rig.state.CompressorOn);
    rig.state.MrPressure = 4399000;  // 50.1 kPa at 0.3 a refresh: 167 refreshes
    for (int i = 0; i < 167; ++i) CompressorStep(rig.sim);
    EXPECT_TRUE(rig.state.CompressorOn);
    CompressorStep(rig.sim);
    EXPECT_FALSE(rig.state.CompressorOn);
    EXPECT_EQ(rig.state.MrPressure, 4900000);
    std::vector<std::string> ops;
    for (const auto& c : rig.mixer.commands) ops.push_back(c.op + std::to_string(c.channel));
    EXPECT_EQ(ops, (std::vector<std::string>{"stop7", "play7", "stop8", "loop8", "stop9", "play9",
                                             "stop8"}));
}

}  // namespace
}  // namespace kelvaron
