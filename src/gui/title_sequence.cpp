#include "gui/title_sequence.h"

namespace kelvaron {

namespace {

// Ticks after which each button appears (0.3, 0.4, 0.7 and 0.8 s).
constexpr std::array<int32_t, 4> kRevealAfter{2, 3, 6, 7};

}  // namespace

bool TitleSequence::Tick() {
    if (!timerEnabled_) return false;
    bool skipped = false;
    if (movieShown_ && (!movieNamed_ || ticks_ == kMovieLimitTicks)) {
        Skip();
        skipped = true;
    }
    ticks_ += 1;
    for (size_t i = 0; i < shown_.size(); ++i) {
        if (ticks_ > kRevealAfter[i]) shown_[i] = true;
    }
    return skipped;
}

void TitleSequence::Skip() {
    shown_.fill(false);
    ticks_ = 0;
    movieShown_ = false;
}

void TitleSequence::Stop() {
    timerEnabled_ = false;
    shown_.fill(true);
}

}  // namespace kelvaron
