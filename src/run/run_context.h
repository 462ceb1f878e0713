#pragma once

#include "data/cab_image_lists.h"
#include "data/labels.h"
#include "data/line_definition.h"
#include "data/panel_model.h"
#include "data/sound_tables.h"
#include "data/train_config.h"
#include "platform/sound_mixer.h"
#include "sim/run_state.h"
#include "sim/sim_context.h"

namespace kelvaron {

// Everything one run's refresh steps, input handlers and run control work on.
// One run owns one of each; nothing is global, so tests build as many runs as
// they like.
struct RunContext {
    RunState& state;
    TrainConfig& train;
    LineDefinition& line;
    CabImageLists& images;
    PanelModel& panel;
    const Labels& labels;
    SoundTables& sounds;
    SoundMixer& mixer;

    SimContext Sim() { return SimContext{state, train, line, mixer}; }

    // Channel of the line's sound n: after the train's drive sounds.
    int LineChannel(int32_t sound) const {
        return static_cast<int>(train.DriveSound.size()) + sound;
    }
};

}  // namespace kelvaron
