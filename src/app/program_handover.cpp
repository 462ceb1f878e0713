#include "app/program_handover.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <system_error>

namespace kelvaron {

namespace {

bool IsRegularFile(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
}

}  // namespace

std::optional<std::filesystem::path> FindCompanionFile(const char* name) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::nullopt;
    const std::filesystem::path dir = self.parent_path();
    for (const std::filesystem::path& candidate :
         {dir / name, dir.parent_path() / "libexec" / "kelvaron" / name}) {
        if (IsRegularFile(candidate)) return candidate;
    }
    return std::nullopt;
}

int HandOverTo(const char* name, char** argv) {
    const auto program = FindCompanionFile(name);
    if (!program) {
        std::cerr << "kelvaron: " << name << " is not installed beside this program\n";
        return 1;
    }
    const std::string path = program->string();
    argv[0] = const_cast<char*>(path.c_str());
    execv(path.c_str(), argv);
    std::cerr << "kelvaron: cannot start " << path << ": " << std::strerror(errno) << '\n';
    return 1;
}

}  // namespace kelvaron
