#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "common/text_decoding.h"

namespace kelvaron::test {

namespace {

struct TempDirs {
    std::vector<std::filesystem::path> made;
    ~TempDirs() {
        std::error_code ec;
        for (auto& p : made) std::filesystem::remove_all(p, ec);
    }
};

TempDirs& Dirs() {
    static TempDirs dirs;
    return dirs;
}

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::filesystem::path MakeTempDir() {
    static std::atomic<int> counter{0};
    auto dir = std::filesystem::temp_directory_path() /
               ("kelvaron-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Dirs().made.push_back(dir);
    return dir;
}

ProgramRun RunKelvaron(const std::string& args) {
    auto dir = MakeTempDir();
    std::string command = std::string("'") + KELVARON_BINARY + "' " + args + " >" +
                          Quoted(dir / "out") + " 2>" + Quoted(dir / "err");
    const int status = std::system(command.c_str());
    ProgramRun run;
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = ReadAll(dir / "out");
    run.err = ReadAll(dir / "err");
    return run;
}

std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteCp932File(const std::filesystem::path& path, std::string_view utf8) {
    WriteFile(path, EncodeCp932(utf8));
}

void WriteBmp(const std::filesystem::path& path, int width, int height, uint32_t rgb) {
    const uint32_t rowSize = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageSize = rowSize * static_cast<uint32_t>(height);
    std::string out = "BM";
    PutLe(out, 54 + imageSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<uint32_t>(width), 4);
    PutLe(out, static_cast<uint32_t>(height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, imageSize, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row.push_back(static_cast<char>(rgb & 0xFF));
            row.push_back(static_cast<char>((rgb >> 8) & 0xFF));
            row.push_back(static_cast<char>((rgb >> 16) & 0xFF));
        }
        row.resize(rowSize, '\0');
        out += row;
    }
    WriteFile(path, out);
}

std::filesystem::path FixtureDir() {
    return KELVARON_TEST_DATA;
}

std::filesystem::path FuzzCorpusDir() {
    return KELVARON_FUZZ_CORPUS;
}

}  // namespace kelvaron::test
