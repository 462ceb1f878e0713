#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvaron {

// Why a name in a data file may not be opened; these words end the file's message.
inline constexpr std::string_view kOutsideDataFolder = "outside the data folder";
inline constexpr std::string_view kControlCharacterInName = "control character in the name";
inline constexpr std::string_view kNotARegularFile = "not a regular file";

// Where a file name written in a data file leads.
struct DataFile {
    // The file to open. When no file matches the name, the path as written, so
    // that opening it reports the file as missing.
    std::filesystem::path path;
    // Why the name may not be opened at all; empty when it may.
    std::string refusal;

    bool Refused() const { return !refusal.empty(); }
};

// True when the name holds a character below 0x20 or DEL.
bool HasControlCharacter(std::string_view name);

// Resolves a file name as the data files write it against the folder it must
// stay in (the data folder, or the video folder of the labels and paths file):
// "\" separates folders, and when a name does not exist as written the
// case-insensitive match in its folder is used (the files were made on a
// case-insensitive system).
//
// Data folders come from strangers, so a name is refused when it leads out of
// `root` (an absolute name, "..", or a link pointing elsewhere), when it holds
// a control character (a NUL would cut the name short and open another file),
// or when it names anything but a regular file (a device or a pipe would block
// the program).
DataFile ResolveDataPath(const std::filesystem::path& root, std::string_view name);

}  // namespace kelvaron
