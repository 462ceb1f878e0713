#pragma once

#include <cstdint>

#include "drive/driving_policy.h"
#include "drive/planning_run.h"
#include "input/input_dispatcher.h"
#include "run/run_context.h"
#include "sim/scheduler.h"

namespace kelvaron {

// The automatic driver: drives any train on any line the way a player must,
// through the same keys, and reports what the line made impossible. It
// decides with the simulation itself, running a silent copy of the run
// forward to see where a brake step would stop the train.
//
// The front end calls Act at the driver's moments (ActTime), between the
// timers as it delivers input: everything the driver types then goes through
// the run's input dispatcher like the player's keys.
class AutoDriver {
  public:
    AutoDriver(RunContext& run, InputDispatcher& input);
    AutoDriver(const AutoDriver&) = delete;
    AutoDriver& operator=(const AutoDriver&) = delete;

    // The driver acts every 100 ms, halfway between two refreshes: the first
    // moment after `now` for timers that refresh next at `nextRefresh`.
    static int64_t ActTime(int64_t now, int64_t nextRefresh);

    void Act(int64_t tMs, const Scheduler& timers);

    // At the terminus with the doors open: the run is over.
    bool Finished() const { return policy_.Finished(); }
    const DriveReport& Report() const { return policy_.Report(); }

  private:
    class Planner;
    void Observe();

    RunContext& run_;
    InputDispatcher& input_;
    DrivingPolicy policy_;
    PlanningRun copy_;
    bool forcedEB_ = false, speedCheckEB_ = false, alarm_ = false;
    int32_t pattern_ = 0;
};

}  // namespace kelvaron
