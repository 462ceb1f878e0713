#include "common/data_path.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

namespace kelvaron {

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::filesystem::path ResolveDataPath(const std::filesystem::path& dataDir, std::string_view name) {
    std::string normalised(name);
    std::replace(normalised.begin(), normalised.end(), '\\', '/');
    std::filesystem::path relative(normalised);
    std::filesystem::path written = relative.is_absolute() ? relative : dataDir / relative;

    std::error_code ec;
    if (std::filesystem::exists(written, ec)) return written;

    // Walk the components, matching each one case-insensitively where needed.
    std::filesystem::path current = relative.is_absolute() ? relative.root_path() : dataDir;
    for (const auto& part : relative.relative_path()) {
        std::filesystem::path candidate = current / part;
        if (part == "." || part == ".." || std::filesystem::exists(candidate, ec)) {
            current = candidate;
            continue;
        }
        bool found = false;
        for (std::filesystem::directory_iterator it(current, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (EqualsIgnoringCase(it->path().filename().string(), part.string())) {
                current = it->path();
                found = true;
                break;
            }
        }
        if (!found) return written;
    }
    return current;
}

}  // namespace kelvaron
