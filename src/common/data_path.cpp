#include "common/data_path.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

namespace kelvaron {

namespace fs = std::filesystem;

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// True when `path` is `folder` or lies below it, component by component.
bool IsWithin(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        // A trailing separator gives an empty last component.
        if (f->empty() && std::next(f) == folder.end()) break;
        if (p == path.end() || *p != *f) return false;
    }
    return true;
}

// The name's components below `root`, matched case-insensitively where the
// name as written does not exist; the path as written when one does not match.
fs::path MatchIgnoringCase(const fs::path& root, const fs::path& relative) {
    std::error_code ec;
    fs::path current = root;
    for (const auto& part : relative) {
        fs::path candidate = current / part;
        if (fs::exists(candidate, ec)) {
            current = std::move(candidate);
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            if (EqualsIgnoringCase(it->path().filename().string(), part.string())) {
                current = it->path();
                found = true;
                break;
            }
        }
        if (!found) return root / relative;
    }
    return current;
}

}  // namespace

bool HasControlCharacter(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

DataFile ResolveDataPath(const fs::path& root, std::string_view name) {
    DataFile file;
    if (HasControlCharacter(name)) {
        file.refusal = kControlCharacterInName;
        return file;
    }
    std::string normalised(name);
    std::replace(normalised.begin(), normalised.end(), '\\', '/');
    const fs::path written(normalised);
    const fs::path relative = written.lexically_normal();
    if (written.has_root_path() || (!relative.empty() && *relative.begin() == "..")) {
        file.refusal = kOutsideDataFolder;
        return file;
    }

    std::error_code ec;
    file.path = root / relative;
    if (!fs::exists(file.path, ec)) file.path = MatchIgnoringCase(root, relative);
    if (!fs::exists(file.path, ec)) return file;

    // A link inside the folder may still point out of it.
    const fs::path real = fs::canonical(file.path, ec);
    const fs::path realRoot = fs::canonical(root, ec);
    if (ec || !IsWithin(real, realRoot)) {
        file.refusal = kOutsideDataFolder;
        return file;
    }
    if (!fs::is_regular_file(real, ec)) file.refusal = kNotARegularFile;
    return file;
}

}  // namespace kelvaron
