#include "drive/brake_levels.h"

#include <algorithm>
#include <cmath>

namespace kelvaron {

namespace {

// Automatic air brake handle positions.
constexpr int32_t kRelease = 0;
constexpr int32_t kMaintain = -1;
constexpr int32_t kLap = -2;
constexpr int32_t kApply = -3;
constexpr int32_t kAutomaticLevels = 6;
// The cylinder is held within this of the level's pressure (kPa).
constexpr long double kApplyBelow = 8;
constexpr long double kReleaseAbove = 25;

}  // namespace

BrakeLevels::BrakeLevels(const TrainConfig& train)
    : automatic_(train.BrakeType == 0), ebPress_(std::max(train.EBPress, 1)) {
    const long double rate = static_cast<long double>(train.BrakeRate) / kFixed4Scale / 3.6L;
    if (automatic_) {
        top_ = kAutomaticLevels;
        fullRate_ = rate;
    } else {
        top_ = std::max(train.Brake - 1, 1);
        // A stepped brake of type 1 reaches the full cylinder pressure at its
        // last service step; type 2 one step short of it.
        const long double share =
            train.BrakeType == 1 ? 1.0L : static_cast<long double>(top_) / std::max(train.Brake, 1);
        fullRate_ = rate * share;
    }
    planned_ = std::clamp<int32_t>(static_cast<int32_t>(std::lround(0.6 * top_)), 1, top_);
}

long double BrakeLevels::NominalDeceleration(int32_t level) const {
    return fullRate_ * std::clamp(level, 0, top_) / top_;
}

int32_t BrakeLevels::BrakeNotchFor(int32_t level, const RunState& state) const {
    level = std::clamp(level, 0, top_);
    if (!automatic_) return -level;
    if (level == 0) return kRelease;
    const long double wanted = ebPress_ * level / top_;
    const long double bc = static_cast<long double>(state.BcPressure) / kFixed4Scale;
    if (bc < wanted - kApplyBelow) return kApply;
    if (bc > wanted + kReleaseAbove) return kRelease;
    return kLap;
}

int32_t BrakeLevels::StandingNotch() const {
    // The automatic brake keeps its cylinder and charges the pipe in the
    // maintaining position, ready to release at once.
    if (automatic_) return kMaintain;
    return -std::max<int32_t>(1, (top_ + 1) / 2);
}

}  // namespace kelvaron
