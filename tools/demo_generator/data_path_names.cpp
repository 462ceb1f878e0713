#include "data_path_names.h"

#include <string>

namespace kelvaron::demo {

std::filesystem::path DataFile(const std::filesystem::path& outDir, std::string_view name) {
    std::string relative(name);
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    return outDir / relative;
}

}  // namespace kelvaron::demo
