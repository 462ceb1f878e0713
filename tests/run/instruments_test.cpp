#include "run/instruments.h"

#include <gtest/gtest.h>

#include <vector>

#include "cab_fixture.h"

namespace kelvaron {
namespace {

struct InstrumentFixture : test::CabFixture {
    InstrumentFixture()
        : CabFixture{"digi_speed", "Lamp_Power", "Lamp_Gen", "Lamp_Ele",
                     "Lamp_Air",   "Others0",    "Others6",  "Lamp_Gear"} {}
    void AddNeedle(NeedleIndex index, int32_t zeroAngle, long double scale) {
        train.Needles[index].ZeroAngle = zeroAngle;
        train.Needles[index].Scale = scale;
        AddControl(std::string(kNeedleInfo[index].component.Text()));
    }
    int32_t Angle(NeedleIndex index) const {
        return panel.Find(kNeedleInfo[index].component)->angle;
    }
    std::vector<int32_t> Ammeter(int refreshes) {
        std::vector<int32_t> seen;
        for (int i = 0; i < refreshes; ++i) {
            SmoothMeters(run);
            seen.push_back(state.AmmeterValue);
        }
        return seen;
    }
};

TEST(Needles, SpeedNeedleRestsAt160AndWhileCreepingBackwards) {
    InstrumentFixture f;
    f.AddNeedle(kNeedleSpeed, 30, 1.5L);
    struct Step {
        Fixed4 speed;
        int32_t angle;
        const char* readout;
    };
    for (Step s : {Step{1000000, 180, "100km/h"},  // 30 + 1.5 x 100
                   Step{1600000, 180, "160km/h"},  // pinned: the needle stays
                   Step{-5000, 180, "0km/h"},      // -0.5 km/h: rests; -0.5 rounds to 0
                   Step{-20000, 33, "-2km/h"},     // shows 2: 30 + 3
                   Step{25000, 34, "2km/h"}}) {    // 33.75 -> 34; 2.5 -> even 2
        f.state.Speed = s.speed;
        UpdateNeedles(f.run);
        EXPECT_EQ(f.Angle(kNeedleSpeed), s.angle) << s.speed;
        EXPECT_EQ(f.panel.Text("digi_speed"), s.readout);
    }
}

TEST(Needles, PressureVoltageAndCurrentRoundTiesToEven) {
    InstrumentFixture f;
    f.AddNeedle(kNeedleBP, 10, 0.25L);
    f.AddNeedle(kNeedleV, -45, 0.5L);
    f.AddNeedle(kNeedleI, 0, 0.5L);
    f.state.BpPressure = 4900000;      // (0.25 x 4900000 + 100000) / 10000 = 132.5
    f.state.VoltmeterValue = 1010000;  // (0.5 x 1010000 - 450000) / 10000 = 5.5
    f.state.AmmeterValue = -61;        // 0.5 x 61 = 30.5
    UpdateNeedles(f.run);
    EXPECT_EQ(f.Angle(kNeedleBP), 132);
    EXPECT_EQ(f.Angle(kNeedleV), 6);
    EXPECT_EQ(f.Angle(kNeedleI), 30);
}

TEST(Meters, AmmeterFollowsTheMotorAndReturnsInSteps) {
    InstrumentFixture f;
    f.train.Tons = 3000000;           // 300 t
    f.state.MotorForce = 3000000000;  // 300 kN: 1 m/s^2 = 3.6 km/h/s, x 160 = 576
    f.state.EffectivePower = 1;
    EXPECT_EQ(f.Ammeter(1), std::vector<int32_t>{100});
    EXPECT_EQ(f.state.AmmeterTarget, 576);

    f.state.AmmeterValue = 275;
    f.state.EffectivePower = 0;
    EXPECT_EQ(f.Ammeter(7), (std::vector<int32_t>{175, 75, 25, 15, 5, -5, 5}));

    f.train.Tons = 0;  // no mass: the target is left as it was
    f.state.EffectivePower = 1;
    f.state.LineVoltage = 1500000;  // and the voltmeter stops at the line voltage
    f.Ammeter(2);
    EXPECT_EQ(f.state.AmmeterTarget, 0);
    EXPECT_EQ(f.state.VoltmeterValue, 1500000);
}

TEST(PanelLamps, PowerBrakeLampsAndOthers) {
    InstrumentFixture f;
    f.train.Lose_elec = 5;
    f.state.EffectivePower = 2;
    f.state.DoorsOpen = true;
    UpdatePanelLamps(f.run);
    EXPECT_FALSE(f.Visible("Lamp_Power") || f.Visible("Lamp_Ele"));
    EXPECT_TRUE(f.Visible("Others0") && f.Visible("Others6"));
    f.state.EffectivePower = 0;
    f.state.EffectiveBrake = f.state.BrakeNotch = -3;
    f.state.Speed = 50000;  // at [Lose_elec]: the air brake alone
    UpdatePanelLamps(f.run);
    EXPECT_TRUE(f.Visible("Lamp_Air") && !f.Visible("Lamp_Gen") && !f.Visible("Lamp_Ele"));
    f.state.Speed = 50001;
    UpdatePanelLamps(f.run);
    EXPECT_TRUE(f.Visible("Lamp_Gen") && f.Visible("Lamp_Ele"));
}

TEST(TimetableCard, SlidesThirtyPixelsUntilInViewAndBack) {
    InstrumentFixture f;
    PanelControl& card = f.AddControl("StaffImage");
    card.left = 640;
    card.width = 100;
    std::vector<int32_t> lefts;
    for (bool shown : {true, true, true, true, false, false, false, false}) {
        f.state.StaffShown = shown;
        SlideTimetableCard(f.run);
        lefts.push_back(f.panel.Find("StaffImage")->left);
    }
    EXPECT_EQ(lefts, (std::vector<int32_t>{610, 580, 550, 540, 570, 600, 630, 640}));
}

TEST(GearLamp, ShowsTheGearWhilePoweringAndFallsBackBelow25) {
    InstrumentFixture f;
    test::CabFixture::FillList(f.images.GearImageList, 4);
    f.state.EffectivePower = 1;
    f.state.EngagedGear = 2;
    f.state.Speed = 250000;  // 25 km/h: no fall-back yet
    UpdateGearLamp(f.run);
    EXPECT_EQ(f.Shown("Lamp_Gear"), 3);
    EXPECT_EQ(f.state.EngagedGear, 2);

    f.state.GearShifted = true;  // a shift in progress shows picture 0
    f.state.Speed = 249999;
    UpdateGearLamp(f.run);
    EXPECT_EQ(f.Shown("Lamp_Gear"), 0);
    EXPECT_EQ(f.state.ShownGear, -1);
    EXPECT_TRUE(f.state.EngagedGear == 0 && !f.state.GearShifted);

    f.state.EngagedGear = 5;  // beyond the list: nothing drawn, the gear still noted
    f.state.Speed = 400000;
    UpdateGearLamp(f.run);
    EXPECT_EQ(f.Shown("Lamp_Gear"), -1);
    EXPECT_EQ(f.state.ShownGear, 5);
}

}  // namespace
}  // namespace kelvaron
