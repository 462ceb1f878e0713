#include "sim/doors.h"

#include "common/fixed4.h"

namespace kelvaron {

void Door_operate(SimContext& sim) {
    RunState& s = sim.state;
    s.DoorCommand = false;
    if (!SpeedRoundsToZero(s)) return;
    if (!s.DoorsOpen) {
        s.DoorCommand = true;
        Restart(sim.mixer, sim.train.Sound_DoorOpen);
    } else {
        Restart(sim.mixer, sim.train.Sound_DoorClose);
    }
    if (s.DoorCommand) s.DoorsOpen = true;
}

}  // namespace kelvaron
