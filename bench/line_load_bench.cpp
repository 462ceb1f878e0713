#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/line_file_reader.h"
#include "data/track_position_table.h"
#include "platform/qt/qt_picture_loader.h"

namespace kelvaron {
namespace {

// A long line at the table limits: 500 filming-speed units of 600 frames, a signal in every
// even unit and a speed limit in every odd one (500 events), and 100 stations.
std::string LongLine() {
    std::string text = "[LineName]\nbenchmark line\n[StartPos]\n0\n[FrameRate]\n30\n";
    text += "[Station]\n";
    for (int i = 0; i < 100; ++i) {
        const int zone = 3000 * i + 1000;
        text += "station" + std::to_string(i) + ",0," + std::to_string(zone) + "," +
                std::to_string(zone + 60) + ",0,1080000,1080300\n";
    }
    text += "#\n[Signal]\n";
    for (int i = 0; i < 250; ++i) {
        const int frame = 1200 * i + 300;
        text += "0,signal" + std::to_string(i) + ",0,3," + std::to_string(frame - 200) + "," +
                std::to_string(frame) + "," + std::to_string(frame - 100) + "," +
                std::to_string(frame) + ",4,0\n";
    }
    text += "#\n[SpeedLimit]\n";
    for (int i = 0; i < 250; ++i) {
        const int frame = 1200 * i + 900;
        text += std::to_string(40 + i % 5 * 10) + ",1,0," + std::to_string(frame) + "," +
                std::to_string(frame + 300) + "\n";
    }
    text += "#\n[SpeedUnit]\n";
    for (int i = 0; i < 500; ++i) {
        text += std::to_string(600 * i) + "," + std::to_string(600 * (i + 1)) + "," +
                std::to_string(40 + i % 5 * 10) + "," + std::to_string(40 + (i + 1) % 5 * 10) +
                "\n";
    }
    return text + "#\n";
}

void LoadLongLine(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kelvaron-line-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "line_long.dat", std::ios::binary) << LongLine();

    QtPictureLoader pictures;
    for (auto _ : state) {
        CabImageLists images;
        LineDefinition line;
        std::string error;
        if (!LoadLineFile(dir, "line_long.dat", pictures, images, line, error) ||
            !BuildTrackPositionTable(line, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.counters["events"] = line.EventCount;
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(LoadLongLine)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvaron
