#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "sim/scheduler.h"

namespace kelvaron {

// Lays the run's virtual time over the wall clock. Every tick and refresh that
// the wall clock has reached runs when the pacer is advanced; after a stall
// (a suspended machine, a slow disk) at most one second is caught up and the
// rest is skipped, so the run never races through a long backlog.
class RunPacer {
  public:
    static constexpr int64_t kMaxCatchUpMs = 1000;

    explicit RunPacer(SchedulerClient& client) : client_(client) {}
    RunPacer(const RunPacer&) = delete;
    RunPacer& operator=(const RunPacer&) = delete;

    // Input that comes at moments of its own in virtual time (the automatic
    // driver): `next` names its first moment after a time, `act` acts then.
    // It runs between the timers as the player's keys do.
    struct TimedInput {
        std::function<std::optional<int64_t>(int64_t after)> next;
        std::function<void(int64_t t)> act;
    };
    void SetTimedInput(TimedInput input) { timed_ = std::move(input); }

    // Runs every tick and refresh due by this wall time.
    void Advance(int64_t wallMs);
    // Runs what is due strictly before this wall time: input that arrives now
    // then acts before a tick or refresh of the same moment. Returns the
    // input's moment in virtual time.
    int64_t BeforeInput(int64_t wallMs);

    // Virtual time begins again at 0, as for a run just built: a replay
    // starts its recording's time afresh. Only before the timers ever ran.
    void Restart() {
        scheduler_ = Scheduler();
        client_.last = -1;
        synced_ = false;
        lastTimed_ = -1;
    }

    // Both timers start (or resume) now.
    void Start(int64_t wallMs);
    // Both timers stop now.
    void Pause(int64_t wallMs);
    // The same at a moment of virtual time that everything due before has
    // reached (an input's moment).
    void StartAt(int64_t tMs) { scheduler_.Start(tMs); }
    void PauseAt(int64_t tMs) { scheduler_.Pause(tMs); }
    bool Running() const { return scheduler_.Running(); }

    // Wall time to wake at next: the next tick's. A refresh or timed input
    // due before it waits for it, so that one wake-up runs them all and the
    // panel reaches the screen with the tick's video frame, at most a tick
    // late; their order in virtual time stays as it is. While the timers are
    // stopped, the next timed input's; empty when there is none.
    std::optional<int64_t> NextWakeWall() const;

    // The wall time a virtual time stands for.
    int64_t ToWall(int64_t virtualMs) const { return virtualMs + offset_; }

    // Virtual time reached so far.
    int64_t Now() const { return scheduler_.Now(); }
    const Scheduler& Timers() const { return scheduler_; }

  private:
    int64_t ToVirtual(int64_t wallMs);
    std::optional<int64_t> NextTimed() const;
    // Runs the timed input due up to t, each after the timers due before it.
    void RunTimedUntil(int64_t t);

    // Passes the timers on, keeping the moment of the last one delivered.
    class Delivered : public SchedulerClient {
      public:
        explicit Delivered(SchedulerClient& to) : to_(to) {}
        void OnTick(int64_t tMs) override {
            last = tMs;
            to_.OnTick(tMs);
        }
        void OnRefresh(int64_t tMs) override {
            last = tMs;
            to_.OnRefresh(tMs);
        }
        int64_t last = -1;

      private:
        SchedulerClient& to_;
    };

    Delivered client_;
    Scheduler scheduler_;
    int64_t offset_ = 0;  // wall minus virtual time
    bool synced_ = false;
    TimedInput timed_;
    int64_t lastTimed_ = -1;
};

}  // namespace kelvaron
