#include "sim/scheduler.h"

#include <algorithm>
#include <stdexcept>

namespace kelvaron {

void Scheduler::Start(int64_t tMs) {
    if (running_) return;
    running_ = true;
    now_ = std::max(now_, tMs);
    nextTick_ = tMs + kTickPeriodMs;
    nextRefresh_ = tMs + kRefreshPeriodMs;
}

void Scheduler::Pause(int64_t tMs) {
    if (!running_) return;
    // Events left behind here would silently never run: the driver loop has a
    // bug, and a run that lost a tick would no longer be reproducible.
    if (std::min(nextTick_, nextRefresh_) < tMs) {
        throw std::logic_error("scheduler paused with events still due before the pause");
    }
    running_ = false;
    now_ = std::max(now_, tMs);
}

std::optional<int64_t> Scheduler::NextDue() const {
    if (!running_) return std::nullopt;
    return std::min(nextTick_, nextRefresh_);
}

void Scheduler::AdvanceTo(int64_t tMs, SchedulerClient& client) {
    RunThrough(tMs, client);
}

void Scheduler::AdvanceBefore(int64_t tMs, SchedulerClient& client) {
    RunThrough(tMs - 1, client);
}

void Scheduler::RunThrough(int64_t lastMs, SchedulerClient& client) {
    // A handler may pause the timers; the loop re-reads the state after each one.
    while (running_) {
        int64_t due = std::min(nextTick_, nextRefresh_);
        if (due > lastMs) break;
        now_ = std::max(now_, due);
        if (nextTick_ == due) {
            nextTick_ += kTickPeriodMs;
            client.OnTick(due);
        } else {
            nextRefresh_ += kRefreshPeriodMs;
            client.OnRefresh(due);
        }
    }
    now_ = std::max(now_, lastMs);
}

}  // namespace kelvaron
