#include "shell/line_folders.h"

#include <algorithm>

#include "common/data_path.h"

namespace kelvaron {

bool HoldsLine(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(ResolveDataPath(folder, "kelvaron.dat").path, error);
}

std::string FolderKey(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::weakly_canonical(folder, error);
    if (error) absolute = std::filesystem::absolute(folder).lexically_normal();
    return absolute.string();
}

RecentFolders::RecentFolders(std::vector<std::string> stored) : folders_(std::move(stored)) {
    std::erase(folders_, std::string());
    if (folders_.size() > kMax) folders_.resize(kMax);
}

void RecentFolders::Use(const std::filesystem::path& folder) {
    const std::string name = FolderKey(folder);
    std::erase(folders_, name);
    folders_.insert(folders_.begin(), name);
    if (folders_.size() > kMax) folders_.resize(kMax);
}

std::vector<std::filesystem::path> RecentFolders::Existing() const {
    std::vector<std::filesystem::path> existing;
    for (const std::string& folder : folders_) {
        if (HoldsLine(folder)) existing.emplace_back(folder);
    }
    return existing;
}

std::filesystem::path DefaultLineFolder(const RecentFolders& recent,
                                        const std::vector<std::filesystem::path>& dataFolders) {
    if (auto existing = recent.Existing(); !existing.empty()) return existing.front();
    for (const std::filesystem::path& base : dataFolders) {
        const std::filesystem::path folder = base / "kelvaron";
        if (HoldsLine(folder)) return folder;
        std::error_code error;
        std::vector<std::filesystem::path> lines;
        // A folder that cannot be read is passed over, never an error.
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_directory(error) && HoldsLine(it->path())) lines.push_back(it->path());
        }
        if (!lines.empty()) return *std::min_element(lines.begin(), lines.end());
    }
    return ".";
}

}  // namespace kelvaron
