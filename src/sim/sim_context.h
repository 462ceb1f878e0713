#pragma once

#include "data/line_definition.h"
#include "data/train_config.h"
#include "platform/sound_mixer.h"
#include "sim/run_state.h"

namespace kelvaron {

// What the simulation core works on: the run state, the two data files' tables
// and the mixer for the few sounds the core itself plays (compressor, doors).
struct SimContext {
    RunState& state;
    const TrainConfig& train;
    const LineDefinition& line;
    SoundMixer& mixer;
};

}  // namespace kelvaron
