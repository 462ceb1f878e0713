#pragma once

#include <cstdint>

#include "data/controller_file_reader.h"
#include "input/input_dispatcher.h"
#include "platform/headless/virtual_mixer.h"
#include "run/run_context.h"
#include "sim/scheduler.h"

namespace kelvaron {

// A silent copy of a run that the driver runs forward to see what an action
// would do: the same tick, the same refresh steps that move the train, the
// same handle keys, in the same virtual time. It shares nothing mutable with
// the real run: its own state, panel, signal aspects, timers, and a mixer that
// hears what the real one hears but plays nothing.
class PlanningRun : private SchedulerClient {
  public:
    // Copies the run's tables; they do not change during a run.
    explicit PlanningRun(const RunContext& real);
    PlanningRun(const PlanningRun&) = delete;
    PlanningRun& operator=(const PlanningRun&) = delete;

    // Takes over the run's present: state, signal aspects, panel, what the
    // mixer is playing and when the timers fire next.
    void CopyFrom(const RunContext& real, const Scheduler& timers);

    const RunState& State() const { return state_; }
    const LineDefinition& Line() const { return line_; }
    const TrainConfig& Train() const { return train_; }
    const SoundMixer& Mixer() const { return mixer_; }
    int64_t Now() const { return timers_.Now(); }

    // Keys typed into the copy, as the dispatcher types them into the run.
    InputDispatcher& Input() { return input_; }

    // Runs every tick and refresh due before / up to t; the mixer's time
    // follows, as it does in the run.
    void AdvanceBefore(int64_t tMs);
    void AdvanceTo(int64_t tMs);
    void SetInputTime(int64_t tMs) { mixer_.SetTime(tMs); }

  private:
    void OnTick(int64_t tMs) override;
    void OnRefresh(int64_t tMs) override;

    TrainConfig train_;
    LineDefinition line_;
    CabImageLists images_;
    Labels labels_;
    SoundTables sounds_;
    ControllerCodes codes_;

    RunState state_;
    PanelModel panel_;
    VirtualMixer mixer_{nullptr, false};
    Scheduler timers_;
    RunContext context_;
    InputDispatcher input_;
};

}  // namespace kelvaron
