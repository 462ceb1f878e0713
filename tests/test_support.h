#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvaron::test {

// A fresh empty folder under the system's temporary folder, removed at exit.
std::filesystem::path MakeTempDir();

// The whole file as bytes; empty when it cannot be read.
std::string ReadAll(const std::filesystem::path& path);

// Writes bytes as they are.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);


// Writes UTF-8 text converted to Shift-JIS (CP932), as the data files are made.
void WriteCp932File(const std::filesystem::path& path, std::string_view utf8);

// Writes a 24-bit uncompressed BMP filled with one colour (0xRRGGBB).
void WriteBmp(const std::filesystem::path& path, int width, int height, uint32_t rgb);

// What a run of the built program printed, and how it ended.
struct ProgramRun {
    int exitCode = -1;
    std::string out, err;
};

// Runs the built program with `args` (quoted for the shell where needed).
ProgramRun RunKelvaron(const std::string& args);

// A path quoted for the shell.
std::string Quoted(const std::filesystem::path& path);

// Path of the fixture folder of the source tree.
std::filesystem::path FixtureDir();

// The fuzzers' seed corpora (fuzz/corpus): the reproducers of faults they found.
std::filesystem::path FuzzCorpusDir();

}  // namespace kelvaron::test
