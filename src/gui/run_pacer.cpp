#include "gui/run_pacer.h"

#include <algorithm>

namespace kelvaron {

int64_t RunPacer::ToVirtual(int64_t wallMs) {
    if (!synced_) {
        offset_ = wallMs - scheduler_.Now();
        synced_ = true;
    }
    const int64_t now = scheduler_.Now();
    int64_t t = wallMs - offset_;
    if (t < now) {
        // The wall clock never runs back; virtual time must not either.
        offset_ = wallMs - now;
        t = now;
    } else if (t - now > kMaxCatchUpMs) {
        offset_ += t - now - kMaxCatchUpMs;
        t = now + kMaxCatchUpMs;
    }
    return t;
}

std::optional<int64_t> RunPacer::NextTimed() const {
    if (!timed_.next) return std::nullopt;
    return timed_.next(std::max(lastTimed_ + 1, scheduler_.Now()));
}

void RunPacer::RunTimedUntil(int64_t t) {
    for (auto next = NextTimed(); next && *next <= t; next = NextTimed()) {
        scheduler_.AdvanceBefore(*next, client_);
        lastTimed_ = *next;
        timed_.act(*next);
    }
}

void RunPacer::Advance(int64_t wallMs) {
    const int64_t t = ToVirtual(wallMs);
    RunTimedUntil(t);
    scheduler_.AdvanceTo(t, client_);
}

int64_t RunPacer::BeforeInput(int64_t wallMs) {
    // When a timer of this moment has run already, the input comes after it:
    // it takes the next millisecond, or a replay would put it first.
    const int64_t t = std::max(ToVirtual(wallMs), client_.last + 1);
    RunTimedUntil(t - 1);
    scheduler_.AdvanceBefore(t, client_);
    return t;
}

void RunPacer::Start(int64_t wallMs) {
    const int64_t t = ToVirtual(wallMs);
    scheduler_.AdvanceBefore(t, client_);
    scheduler_.Start(t);
}

void RunPacer::Pause(int64_t wallMs) {
    const int64_t t = ToVirtual(wallMs);
    scheduler_.AdvanceBefore(t, client_);
    scheduler_.Pause(t);
}

std::optional<int64_t> RunPacer::NextWakeWall() const {
    auto wake = scheduler_.NextTick();
    if (!wake) wake = NextTimed();
    if (!wake) return std::nullopt;
    return *wake + offset_;
}

}  // namespace kelvaron
