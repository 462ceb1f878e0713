#pragma once

#include <cstdint>
#include <functional>

#include "data/train_config.h"
#include "sim/run_state.h"

namespace kelvaron {

// Where the driver wants the handles: a power notch and a brake notch (0
// released, -k brake step k). The hold position is never wanted: a released
// brake is released.
struct HandleTarget {
    int32_t power = 0;
    int32_t brake = 0;
    bool operator==(const HandleTarget&) const = default;
};

// The handles as they stand.
HandleTarget HandlesOf(const RunState& state);

// Types the next driving key toward `target`, as a driver moves a handle
// notch by notch: power off before braking, brake off before power; none
// when the handles stand there. The brake goes no deeper than the last
// service step (the keys cannot reach EB). One notch per call, the next at
// the next call: passengers feel every notch of a train that moves at all,
// and a brake released at rest may set it rolling, so the handles never jerk
// the train.
void TypeHandleKey(const RunState& state, const TrainConfig& train, HandleTarget target,
                   const std::function<void(char)>& type);

}  // namespace kelvaron
