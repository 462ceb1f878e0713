#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "data/labels.h"

namespace kelvaron {

// The message every failure of the labels and paths file ends the program with.
inline constexpr const char* kLabelsFileError = "stringファイルに誤りがあります";
inline constexpr const char* kLabelsFile = "kelvaron.dat";

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

// Reads "kelvaron.dat" of the data folder: each key line's value is the line
// after it ([Display] takes three). False when it cannot be read, with
// kLabelsFileError followed by the file name and the reason in `error`.
bool ReadLabelsFile(const std::filesystem::path& dataDir, Labels& labels, MenuCaptions& captions,
                    std::string* error);

}  // namespace kelvaron
