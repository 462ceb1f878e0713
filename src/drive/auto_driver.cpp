#include "drive/auto_driver.h"

#include <algorithm>
#include <cmath>

namespace kelvaron {

namespace {

constexpr int64_t kStepMs = 100;
constexpr long double kMetre = 100;
// A stop is looked at no further than this past its mark.
constexpr long double kPastStop = 50 * kMetre;

long double Kmh(const RunState& s) {
    return static_cast<long double>(s.Speed) / kFixed4Scale;
}

// Types what the driver decided into a run, through its input dispatcher.
void Type(const RunState& state, const TrainConfig& train, InputDispatcher& input,
          const DriverAction& action) {
    if (action.handles) {
        TypeHandleKey(state, train, *action.handles, [&](char c) { input.TypedChar(c); });
    }
    for (char c : action.keys) input.TypedChar(c);
}

// What a driver must never do, looked for while the copy runs.
class Watch {
  public:
    Watch(const RunState& s, std::vector<Restriction> restrictions)
        : restrictions_(std::move(restrictions)),
          forcedEB_(s.ForcedEB),
          speedCheckEB_(s.SpeedCheckEB),
          pattern_(s.PatternState),
          alarm_(s.AtsAlarm) {}

    // The first thing gone wrong, or empty.
    std::string Violation(const RunState& s) {
        if (s.ForcedEB && !forcedEB_) return "emergency brake";
        if (s.SpeedCheckEB && !speedCheckEB_) return "protection brake";
        if (s.PatternState != 0 && pattern_ == 0) return "pattern warning";
        // The bell of a signal at danger is expected; any other is not.
        if (s.AtsAlarm && !alarm_ && s.AtsLimit != kStopAlarm) return "alarm";
        alarm_ = s.AtsAlarm;
        const long double v = Kmh(s);
        for (const Restriction& r : restrictions_) {
            if (!r.Holds(s.Frame, s.Distance)) continue;
            if (r.speed <= 0) return "passed a place not to pass";
            if (v > r.speed) return "over a limit";
        }
        return {};
    }

  private:
    std::vector<Restriction> restrictions_;
    bool forcedEB_, speedCheckEB_;
    int32_t pattern_;
    bool alarm_;
};

}  // namespace

// Runs copies of the driver on copies of the run.
class AutoDriver::Planner : public LookAhead {
  public:
    Planner(AutoDriver& driver, const Scheduler& timers, int64_t now)
        : driver_(driver), timers_(timers), now_(now) {}

    Outcome Try(const DrivingPolicy& policy, const DriveTarget& target, int64_t maxMs) override {
        Outcome o;
        Run(
            policy, maxMs,
            [&](const RunState& s, bool first, DrivingPolicy&, int64_t t) {
                if (first) return false;
                const long double v = Kmh(s);
                const bool stopAim = target.speed <= 0;
                if (stopAim ? AtRest(s) : v <= target.speed) {
                    o.reached = true;
                    o.where = s.Distance;
                    o.when = t;
                    return true;
                }
                if (s.Distance > target.at + (target.station ? kPastStop : 0)) {
                    o.where = s.Distance;
                    o.speedAtTarget = v;
                    return true;
                }
                return false;
            },
            o);
        return o;
    }

    Outcome Arrive(const DrivingPolicy& policy, int32_t station, int64_t maxMs) override {
        Outcome o;
        Run(
            policy, maxMs,
            [&](const RunState& s, bool, DrivingPolicy& mind, int64_t) {
                o.maxSpeed = std::max(o.maxSpeed, Kmh(s));
                if (AtRest(s) && LineAhead::StopZoneAt(driver_.copy_.Line(), s.Frame) == station) {
                    o.arrived = true;
                    o.arrivalClock = s.ClockTicks;
                    return true;
                }
                return mind.Finished();
            },
            o, false);
        return o;
    }

  private:
    // A look at a braking stops at the first wrong step; a look at the
    // time to the next stop runs on regardless.
    template <class Done>
    void Run(const DrivingPolicy& policy, int64_t maxMs, Done done, Outcome& o,
             bool stopAtViolation = true) {
        PlanningRun& copy = driver_.copy_;
        copy.CopyFrom(driver_.run_, timers_);
        DrivingPolicy mind = policy;
        Watch watch(copy.State(), mind.Ahead().From(copy.State(), copy.Line()));
        for (int64_t t = now_; t <= now_ + maxMs; t += kStepMs) {
            copy.AdvanceBefore(t);
            const RunState& s = copy.State();
            if (t > now_ && stopAtViolation) {
                std::string wrong = watch.Violation(s);
                if (!wrong.empty()) {
                    o.violated = true;
                    o.violation = std::move(wrong);
                    o.where = s.Distance;
                    return;
                }
            }
            if (done(s, t == now_, mind, t)) return;
            const DriveView view{s, copy.Train(), copy.Line(), copy.Mixer()};
            Type(s, copy.Train(), copy.Input(), mind.Decide(view, t, nullptr));
            copy.AdvanceTo(t);
        }
    }

    AutoDriver& driver_;
    const Scheduler& timers_;
    int64_t now_;
};

AutoDriver::AutoDriver(RunContext& run, InputDispatcher& input)
    : run_(run), input_(input), policy_(run.train, run.line), copy_(run) {}

int64_t AutoDriver::ActTime(int64_t now, int64_t nextRefresh) {
    int64_t t = nextRefresh - kStepMs / 2;
    while (t < now) t += kStepMs;
    while (t - kStepMs >= now) t -= kStepMs;
    return t;
}

void AutoDriver::Act(int64_t tMs, const Scheduler& timers) {
    Observe();
    Planner planner(*this, timers, tMs);
    const DriveView view{run_.state, run_.train, run_.line, run_.mixer};
    Type(run_.state, run_.train, input_, policy_.Decide(view, tMs, &planner));
}

void AutoDriver::Observe() {
    const RunState& s = run_.state;
    auto note = [&](const char* key, const char* text) {
        policy_.Report().Add(
            std::string(key) + std::to_string(s.Frame),
            {s.ClockTicks, s.Distance / kMetre, PlaceOnLine(run_.line, s.Frame), text});
    };
    if (s.ForcedEB && !forcedEB_) note("eb", "the protection forced an emergency brake");
    if (s.SpeedCheckEB && !speedCheckEB_) note("check", "the protection braked the train");
    if (s.PatternState != 0 && pattern_ == 0) note("pattern", "the braking pattern warned");
    if (s.AtsAlarm && !alarm_ && s.AtsLimit != kStopAlarm) note("alarm", "the ATS bell rang");
    forcedEB_ = s.ForcedEB;
    speedCheckEB_ = s.SpeedCheckEB;
    pattern_ = s.PatternState;
    alarm_ = s.AtsAlarm;
}

}  // namespace kelvaron
