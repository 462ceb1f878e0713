#pragma once

#include <string>

#include "recording_mixer.h"
#include "run/run_context.h"

namespace kelvaron::test {

// One run's tables and state, built empty, with a test mixer: the common
// ground of the tests of refresh steps and input handlers.
template <class Mixer = RecordingMixer>
struct BasicTestRun {
    RunState state;
    TrainConfig train;
    LineDefinition line;
    CabImageLists images;
    PanelModel panel;
    Labels labels;
    SoundTables sounds;
    Mixer mixer;
    RunContext run{state, train, line, images, panel, labels, sounds, mixer};

    PanelControl& AddControl(const std::string& name, bool visible = true) {
        PanelControl c;
        c.name = name;
        c.visible = visible;
        return panel.At(panel.Add(std::move(c)));
    }
};

using TestRun = BasicTestRun<>;

}  // namespace kelvaron::test
