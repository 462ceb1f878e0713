#pragma once

#include <cstdint>
#include <string>

#include "run/run_context.h"

namespace kelvaron {

// The handle display refresh: handle and reverser labels, notch pictures and
// gear label from the handle state. Also counts as driver action for the
// vigilance device.
void masconupdate(RunContext& run);

// Text of the gear label for a gear ("変" for the torque converter).
std::string GearText(int32_t gear);

}  // namespace kelvaron
