#pragma once

#include <ostream>

#include "data/cab_image_lists.h"
#include "data/train_config.h"

namespace kelvaron {

// A few lines that tell a train apart at a glance: traction, handles, brakes,
// mass, sounds and what its cab panel holds.
void PrintTrainSummary(const TrainConfig& train, const CabImageLists& images, std::ostream& out);

}  // namespace kelvaron
