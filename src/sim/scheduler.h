#pragma once

#include <cstdint>
#include <optional>

namespace kelvaron {

// Receives the two periodic events of a run in virtual time.
class SchedulerClient {
  public:
    virtual void OnTick(int64_t tMs) = 0;
    virtual void OnRefresh(int64_t tMs) = 0;

  protected:
    ~SchedulerClient() = default;
};

// The run's two timers in virtual milliseconds: the physics tick every 33 ms
// and the refresh every 100 ms, both counted from the moment they were
// (re)started. The core never reads a clock; front ends feed time in here, so
// the same calls always give the same sequence of events.
//
// Input is delivered by the caller between AdvanceBefore(t) and AdvanceTo(t),
// which puts input first at equal times; at equal times the tick precedes the
// refresh.
class Scheduler {
  public:
    static constexpr int64_t kTickPeriodMs = 33;
    static constexpr int64_t kRefreshPeriodMs = 100;

    // Both timers begin at t: ticks at t + 33k, refreshes at t + 100j (k, j >= 1).
    // Nothing happens when they are already running.
    void Start(int64_t tMs);
    // Stops both timers. Every event due before t must have been run.
    void Pause(int64_t tMs);
    // Restarts both phases from t, as Start does.
    void Resume(int64_t tMs) { Start(tMs); }

    bool Running() const { return running_; }

    // Time of the next tick or refresh; empty while stopped.
    std::optional<int64_t> NextDue() const;
    // Time of the next tick; empty while stopped.
    std::optional<int64_t> NextTick() const {
        return running_ ? std::optional<int64_t>(nextTick_) : std::nullopt;
    }
    // Time of the next refresh; empty while stopped.
    std::optional<int64_t> NextRefresh() const {
        return running_ ? std::optional<int64_t>(nextRefresh_) : std::nullopt;
    }

    // Runs, in time order, every tick and refresh due at or before t.
    void AdvanceTo(int64_t tMs, SchedulerClient& client);
    // Runs every tick and refresh due strictly before t.
    void AdvanceBefore(int64_t tMs, SchedulerClient& client);

    // The latest time the scheduler has been advanced to or told about.
    int64_t Now() const { return now_; }

  private:
    void RunThrough(int64_t lastMs, SchedulerClient& client);

    bool running_ = false;
    int64_t nextTick_ = 0;
    int64_t nextRefresh_ = 0;
    int64_t now_ = 0;
};

}  // namespace kelvaron
