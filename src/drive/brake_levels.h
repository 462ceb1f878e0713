#pragma once

#include <cstdint>

#include "data/train_config.h"
#include "drive/handle_keys.h"
#include "sim/run_state.h"

namespace kelvaron {

// The driver's scale of braking, the same for every brake system: level 0 is
// released, the top level the strongest service braking. A stepped brake has
// one level per service step; the automatic air brake, whose handle only
// applies, laps or releases, has levels of cylinder pressure that the driver
// holds by applying and lapping.
class BrakeLevels {
  public:
    explicit BrakeLevels(const TrainConfig& train);

    int32_t Top() const { return top_; }
    // The level a driver brakes with when nothing presses: a little over half.
    int32_t Planned() const { return planned_; }

    // Deceleration the level gives on level track above the speed where the
    // electric brake fades (m/s²), by the train file's rates.
    long double NominalDeceleration(int32_t level) const;

    // The brake handle for a level now: a step for a stepped brake; apply,
    // lap or release toward the level's cylinder pressure for the automatic
    // air brake.
    int32_t BrakeNotchFor(int32_t level, const RunState& state) const;

    // The handle that holds a train standing at a platform.
    int32_t StandingNotch() const;

  private:
    bool automatic_ = false;
    int32_t top_ = 1;
    int32_t planned_ = 1;
    long double fullRate_ = 0;  // m/s² at the top level
    long double ebPress_ = 0;   // kPa
};

}  // namespace kelvaron
