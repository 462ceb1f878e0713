#include "common/user_folders.h"

#include <cstdlib>

namespace kelvaron {

std::filesystem::path UserFolder(const char* variable, const std::filesystem::path& underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / underHome;
}

}  // namespace kelvaron
