#include <gtest/gtest.h>

#include "sim/doors.h"
#include "sim/run_clock.h"
#include "sim/sim_rig.h"

namespace kelvaron {
namespace {

TEST(Doors, OpenAtStandstillThenOnlyTheClosingSound) {
    // 0.4 and 0.5 km/h round to 0 (ties to even) and count as standing; 0.6 does not.
    for (auto [speed, opens] : {std::pair{4000, true}, {5000, true}, {6000, false}}) {
        test::SimRig rig;
        rig.train.Sound_DoorOpen = 3;
        rig.train.Sound_DoorClose = 4;
        rig.state.Speed = speed;
        rig.state.DoorCommand = true;
        Door_operate(rig.sim);
        EXPECT_EQ(rig.state.DoorsOpen, opens) << speed;
        EXPECT_EQ(rig.state.DoorCommand, opens) << speed;
        EXPECT_EQ(rig.mixer.Count("play", 3), opens ? 1 : 0) << speed;
        Door_operate(rig.sim);  // the doors close once the station logic sees the sounds end
        EXPECT_EQ(rig.state.DoorsOpen, opens);
        EXPECT_FALSE(rig.state.DoorCommand);
        EXPECT_EQ(rig.mixer.Count("stop", 4) + rig.mixer.Count("play", 4), opens ? 2 : 0);
    }
}

TEST(RunClock, HoursMinutesSecondsFromThirtiethsOfASecond) {
    EXPECT_EQ(timecalc(2700000), "25:00:00");  // 90 000 s: past midnight, not wrapped
    EXPECT_EQ(timecalc(29), "00:00:00");       // under a second
    EXPECT_EQ(timecalc(1860), "00:01:02");     // 62 s
    EXPECT_EQ(timecalc(765270), "07:05:09");   // 25 509 s
}

}  // namespace
}  // namespace kelvaron
