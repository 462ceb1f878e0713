#pragma once

#include <optional>
#include <string>

#include "data/train_config.h"

namespace kelvaron {

// The brake-step rule applied once all data files are read: the automatic air
// brake always has four positions ([Brake] is set to 4), a stepped brake needs
// at least three. Returns the message to show when the train cannot run.
std::optional<std::string> CheckBrakeSteps(TrainConfig& train);

}  // namespace kelvaron
