// Data folders for the run benchmarks: a private copy of the sample data that a
// benchmark may add files to, or the demo data a user names.
//
// KELVARON_DEMO_DATA=<folder> makes the benchmarks that can run on real data
// use that folder (the demo data generator's output, with train_1000.dat and
// line_local.dat) instead of the sample files. The folder is only read.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace kelvaron::bench {

inline constexpr const char* kDemoDataVariable = "KELVARON_DEMO_DATA";
inline constexpr const char* kDemoTrain = "train_1000.dat";
inline constexpr const char* kDemoLine = "line_local.dat";
inline constexpr const char* kSampleTrain = "train_electric.dat";
inline constexpr const char* kSampleLine = "line_basic.dat";

// The demo data folder when KELVARON_DEMO_DATA names one.
inline std::optional<std::filesystem::path> DemoDataDir() {
    const char* dir = std::getenv(kDemoDataVariable);
    if (dir == nullptr || *dir == '\0') return std::nullopt;
    return std::filesystem::path(dir);
}

// A fresh folder holding a copy of the sample data; removed with the object.
class SampleDataCopy {
  public:
    SampleDataCopy() {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("kelvaron-bench-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::copy(std::filesystem::path(KELVARON_TEST_DATA) / "fixtures", dir_,
                              std::filesystem::copy_options::recursive);
    }
    ~SampleDataCopy() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    SampleDataCopy(const SampleDataCopy&) = delete;
    SampleDataCopy& operator=(const SampleDataCopy&) = delete;

    const std::filesystem::path& Path() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

}  // namespace kelvaron::bench
