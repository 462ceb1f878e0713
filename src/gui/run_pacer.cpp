#include "gui/run_pacer.h"

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

void RunPacer::Advance(int64_t wallMs) {
    scheduler_.AdvanceTo(ToVirtual(wallMs), client_);
}

void RunPacer::BeforeInput(int64_t wallMs) {
    scheduler_.AdvanceBefore(ToVirtual(wallMs), client_);
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

std::optional<int64_t> RunPacer::NextDueWall() const {
    const auto due = scheduler_.NextDue();
    if (!due) return std::nullopt;
    return *due + offset_;
}

}  // namespace kelvaron
