#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvaron {

// Whether a folder holds a line: its labels and paths file is there.
bool HoldsLine(const std::filesystem::path& folder);

// A folder as the recent list keeps it: absolute, with its links resolved.
std::string FolderKey(const std::filesystem::path& folder);

// The line folders opened lately, most recent first, as the settings keep them.
class RecentFolders {
  public:
    static constexpr size_t kMax = 8;

    explicit RecentFolders(std::vector<std::string> stored = {});
    // A folder was opened: it goes to the top (once), the oldest falls off.
    void Use(const std::filesystem::path& folder);
    // The ones that still hold a line, most recent first.
    std::vector<std::filesystem::path> Existing() const;
    const std::vector<std::string>& Stored() const { return folders_; }

  private:
    std::vector<std::string> folders_;
};

// The line folder the program opens when none is given: the most recent one
// that still holds a line; else the first line of the data folders (each
// "kelvaron" folder under `dataFolders`, in their order: the user's own
// first, then the system's, where the demo package puts "demo"), the folder
// itself or else its subfolders by name; else the current folder.
std::filesystem::path DefaultLineFolder(const RecentFolders& recent,
                                        const std::vector<std::filesystem::path>& dataFolders);

}  // namespace kelvaron
