#include "drive/planning_run.h"

#include "input/masconupdate.h"
#include "run/refresh.h"
#include "sim/tick.h"

namespace kelvaron {

PlanningRun::PlanningRun(const RunContext& real)
    : train_(real.train),
      line_(real.line),
      images_(real.images),
      labels_(real.labels),
      sounds_(real.sounds),
      context_{state_, train_, line_, images_, panel_, labels_, sounds_, mixer_},
      input_(context_, codes_) {}

void PlanningRun::CopyFrom(const RunContext& real, const Scheduler& timers) {
    state_ = real.state;
    panel_ = real.panel;
    // The vigilance device is switched off for good by an auto-run.
    train_.EB = real.train.EB;
    for (size_t i = 0; i < line_.Signal.size() && i < real.line.Signal.size(); ++i) {
        line_.Signal[i].Aspect = real.line.Signal[i].Aspect;
    }
    // Without a model of playback every channel reads as silent: doors then
    // close and bells restart at once, which only errs on the early side.
    if (const VirtualMixer* timing = real.mixer.Timing()) {
        mixer_.CopyPlaybackFrom(*timing);
    } else {
        mixer_.CopyPlaybackFrom(VirtualMixer(nullptr, false));
    }
    timers_ = timers;
}

void PlanningRun::AdvanceBefore(int64_t tMs) {
    timers_.AdvanceBefore(tMs, *this);
    mixer_.SetTime(tMs);
}

void PlanningRun::AdvanceTo(int64_t tMs) {
    timers_.AdvanceTo(tMs, *this);
    mixer_.SetTime(tMs);
}

void PlanningRun::OnTick(int64_t tMs) {
    mixer_.SetTime(tMs);
    SimContext sim = context_.Sim();
    if (MMTimer1Timer(sim)) masconupdate(context_);
}

void PlanningRun::OnRefresh(int64_t tMs) {
    mixer_.SetTime(tMs);
    TrainMotionRefresh(context_);
}

}  // namespace kelvaron
