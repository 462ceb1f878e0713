#include "data/brake_step_check.h"

namespace kelvaron {

std::optional<std::string> CheckBrakeSteps(TrainConfig& train) {
    if (train.BrakeType == 0) {
        train.Brake = 4;
        return std::nullopt;
    }
    if (train.Brake < 3) return "ブレーキの段数を3段以上に設定してください";
    return std::nullopt;
}

}  // namespace kelvaron
