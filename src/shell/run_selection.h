#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvaron {

// The two runs the title screen offers: a train and a line definition file each.
struct RunChoice {
    std::string trainFile;
    std::string lineFile;
};

inline std::optional<RunChoice> ChooseRun(std::string_view name) {
    if (name == "express") return RunChoice{"train_2000.dat", "line_exp.dat"};
    if (name == "local") return RunChoice{"train_1000.dat", "line_local.dat"};
    return std::nullopt;
}

}  // namespace kelvaron
