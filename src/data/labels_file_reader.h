#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "data/labels.h"

namespace kelvaron {

// The message every failure of the labels and paths file ends the program with.
inline constexpr const char* kLabelsFileError = "stringファイルに誤りがあります";

// Menu captions the labels and paths file gives; a key the file lacks leaves
// its caption empty here and the menu item as designed.
struct MenuCaptions {
    std::optional<std::string> start1;
    std::optional<std::string> GoTo1;
    std::optional<std::string> Show1;
    std::optional<std::string> menu_d1;
    std::optional<std::string> menu_d2;
    std::optional<std::string> Controller1;
};

// Reads "kelvaron.dat": each key line's value is the line after it ([Display]
// takes three). False with kLabelsFileError in `error` when it cannot be read.
bool ReadLabelsFile(const std::filesystem::path& file, Labels& labels, MenuCaptions& captions,
                    std::string* error);

}  // namespace kelvaron
