#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/line_definition.h"
#include "data/train_config.h"
#include "drive/brake_levels.h"
#include "drive/drive_report.h"
#include "drive/handle_keys.h"
#include "drive/line_ahead.h"
#include "platform/sound_mixer.h"
#include "sim/run_state.h"

namespace kelvaron {

// What the driver looks at: the run as it stands.
struct DriveView {
    const RunState& state;
    const TrainConfig& train;
    const LineDefinition& line;
    const SoundMixer& mixer;
};

// A place to reach at a speed: the start of a restriction, a signal at
// danger, the stop mark of a station.
struct DriveTarget {
    long double at = 0;        // 1/100 m
    long double speed = 0;     // km/h; 0: stand still before `at`
    bool station = false;      // a stop mark to stop at, not short of
    int32_t restriction = -1;  // index into the restrictions of the moment
    bool operator==(const DriveTarget&) const = default;
};

// How a look ahead ended.
struct Outcome {
    bool reached = false;   // the target speed (or standstill) was reached
    bool violated = false;  // something the driver must never do happened
    std::string violation;
    long double where = 0;     // distance where it was reached (1/100 m)
    int32_t arrivalClock = 0;  // clock when the train stood in the next stop zone
    bool arrived = false;
    long double speedAtTarget = 0;  // km/h when the target was passed without reaching it
    int64_t when = 0;               // virtual time it was reached
    long double maxSpeed = 0;       // km/h, the highest on the way
};

class DrivingPolicy;

// Runs the policy forward on a copy of the run: the driver's way of seeing
// what an action would do.
class LookAhead {
  public:
    virtual ~LookAhead() = default;
    // Runs `policy` (a copy, with its program set) from now until the target
    // is reached or missed, or the time runs out.
    virtual Outcome Try(const DrivingPolicy& policy, const DriveTarget& target, int64_t maxMs) = 0;
    // Runs `policy` until the train stands in the stop zone of `station`.
    virtual Outcome Arrive(const DrivingPolicy& policy, int32_t station, int64_t maxMs) = 0;
};

// What the driver does at one moment.
struct DriverAction {
    std::optional<HandleTarget> handles;  // empty: leave them
    std::string keys;                     // typed after the handles
};

// The driver's mind: where it is in the run (standing at a station, running
// to the next), what it brakes for, how fast it may go to keep time. It can
// be copied and run forward on a copy of the run, where it decides by the
// train's known braking instead of looking ahead again.
class DrivingPolicy {
  public:
    static constexpr int64_t kNever = INT64_MAX;

    DrivingPolicy(const TrainConfig& train, const LineDefinition& line);

    // Decides at virtual time t. `look` is null on a copy of the run.
    DriverAction Decide(const DriveView& view, int64_t t, LookAhead* look);

    bool Finished() const { return phase_ == Phase::Finished; }
    const DriveReport& Report() const { return report_; }
    DriveReport& Report() { return report_; }

    // A fixed programme for a look ahead: keep the handles as they are until
    // `holdUntil`, then brake at `level` (power off) whatever comes.
    // From `switchAt` on it brakes at `later` instead.
    void Program(int64_t holdUntil, int32_t level, int64_t switchAt = kNever, int32_t later = 0) {
        programmed_ = true;
        programHoldUntil_ = holdUntil;
        programLevel_ = level;
        programSwitchAt_ = switchAt;
        programLater_ = later;
    }
    // The station the run is heading for, or -1.
    int32_t NextStop() const { return nextStop_; }
    const LineAhead& Ahead() const { return ahead_; }
    const BrakeLevels& Levels() const { return levels_; }
    // Learns from a look ahead how hard a level really brakes here.
    void LearnDeceleration(int32_t level, long double fromKmh, long double toKmh,
                           long double metres);

  private:
    enum class Phase { Dwell, Run, Finished };

    void Reflexes(const DriveView& view, DriverAction& action, HandleTarget& want);
    void Dwell(const DriveView& view, int64_t t, LookAhead* look, DriverAction& action,
               HandleTarget& want);
    void Run(const DriveView& view, int64_t t, LookAhead* look, HandleTarget& want);
    std::vector<DriveTarget> Targets(const DriveView& view,
                                     const std::vector<Restriction>& restrictions) const;
    long double CapHere(const DriveView& view, const std::vector<Restriction>& restrictions) const;
    long double Envelope(const DriveView& view, const DriveTarget& target) const;
    // True when braking for the target must begin now; else `again` is
    // when to look again.
    bool NeedsBraking(const DriveView& view, int64_t t, LookAhead* look, const DriveTarget& target,
                      int64_t& again);
    // How to brake for a target from now: a level, changed to another at a
    // moment when one level alone does not meet it.
    struct BrakePlan {
        int32_t level = 0;
        int64_t switchAt = kNever;
        int32_t later = 0;
        bool settled = false;  // it meets the target: the copy is exact, so
                               // it needs no second look
    };
    BrakePlan ChooseLevel(const DriveView& view, int64_t t, LookAhead* look,
                          const DriveTarget& target);
    int32_t KinematicLevel(const DriveView& view, const DriveTarget& target) const;
    void PlanTimetable(const DriveView& view, int64_t t, LookAhead* look);
    void ArriveAt(const DriveView& view, int32_t station);
    std::string Place(const DriveView& view) const;

    LineAhead ahead_;
    BrakeLevels levels_;
    int32_t topPower_ = 0;
    std::vector<long double> deceleration_;  // learned, per level (m/s²)

    Phase phase_ = Phase::Dwell;
    int32_t station_ = -1;   // the station standing at (Dwell), or the last left
    int32_t nextStop_ = -1;  // the station the run heads for
    bool doorsOpened_ = false;
    bool doorsClosing_ = false;
    int64_t finishAt_ = -1;

    std::optional<DriveTarget> braking_;  // the target braking for
    int32_t level_ = 0;                   // brake level in use
    int64_t switchAt_ = kNever;           // ... until then, and from then on:
    int32_t laterLevel_ = 0;
    // When each target ahead needs looking at again.
    std::vector<std::pair<DriveTarget, int64_t>> nextLook_;
    int64_t nextRefine_ = 0;
    bool levelSettled_ = false;
    long double speedCap_ = 1e9;  // to keep time (km/h)
    int64_t nextTimetablePlan_ = 0;
    bool timetablePlanned_ = false;
    int32_t power_ = 0;      // power notch in use while cruising
    int64_t restSince_ = 0;  // at rest since, while running between stations

    bool programmed_ = false;
    int64_t programHoldUntil_ = 0;
    int32_t programLevel_ = 0;
    int64_t programSwitchAt_ = kNever;
    int32_t programLater_ = 0;

    DriveReport report_;
};

}  // namespace kelvaron
