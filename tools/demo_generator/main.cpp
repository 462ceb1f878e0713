// kelvaron-demo-gen: writes the demo line, a complete data set to drive:
// two lines sharing one cab-view video, an electric and a diesel train with
// their cab panels, the sounds and voices, the labels, controller and help
// files, the title pictures and the opening movie.

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cab_design.h"
#include "cab_video.h"
#include "data_files.h"
#include "data_path_names.h"
#include "drive_scripts.h"
#include "line_art.h"
#include "line_content.h"
#include "panel_art.h"
#include "route.h"
#include "sound_synth.h"
#include "timetable.h"
#include "video_boards.h"
#include "voices.h"

namespace {

using namespace kelvaron::demo;

using Clock = std::chrono::steady_clock;

struct Options {
    std::filesystem::path outDir;
    bool hd = false;
    std::filesystem::path strip;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hd") {
            options.hd = true;
        } else if (arg == "--strip" && i + 1 < argc) {
            options.strip = argv[++i];
        } else if (!arg.starts_with("--") && options.outDir.empty()) {
            options.outDir = arg;
        } else {
            return false;
        }
    }
    return !options.outDir.empty();
}

class Progress {
  public:
    Progress() : start_(Clock::now()), step_(start_) {}
    void Done(const std::string& what) {
        const auto now = Clock::now();
        std::printf("  %-44s %6.1f s\n", what.c_str(), Seconds(step_, now));
        std::fflush(stdout);
        step_ = now;
    }
    double Total() const { return Seconds(start_, Clock::now()); }

  private:
    static double Seconds(Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    }
    Clock::time_point start_, step_;
};

uintmax_t FolderBytes(const std::filesystem::path& dir) {
    uintmax_t total = 0;
    std::error_code e;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, e)) {
        if (entry.is_regular_file(e)) total += entry.file_size(e);
    }
    return total;
}

int Fail(const std::string& what, const std::string& error) {
    std::fprintf(stderr, "kelvaron-demo-gen: %s: %s\n", what.c_str(), error.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: kelvaron-demo-gen OUTDIR [--hd] [--strip PNG]\n"
                     "  --hd     the cab video in 1280x720 (an HD demo line)\n"
                     "  --strip  also write a strip of sample cab-view frames\n");
        return 2;
    }
    // Pictures are drawn off screen; no display is needed.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);

    const std::filesystem::path out = options.outDir;
    std::error_code created;
    std::filesystem::create_directories(out, created);
    if (created) return Fail(out.string(), created.message());
    std::printf("Writing the demo line to %s\n", out.string().c_str());
    Progress progress;
    std::string error;

    const Route route = BuildRoute();
    Timetable local = MakeTimetable(route, RunKind::Local);
    Timetable express = MakeTimetable(route, RunKind::Express);
    const CabDesign electric = ElectricCab();
    const CabDesign diesel = DieselCab();
    if (!WriteTrainFile(out, "train_1000.dat", electric, error) ||
        !WriteTrainFile(out, "train_2000.dat", diesel, error) ||
        !WriteLineFile(out, "line_local.dat", route, local, error) ||
        !WriteLineFile(out, "line_exp.dat", route, express, error) ||
        !WriteSupportFiles(out, error)) {
        return Fail("data files", error);
    }
    progress.Done("train, line, labels and help files");

    // Sounds and voices need no display and little processor: they are made
    // beside the video.
    std::string soundError;
    int spoken = 0;
    std::thread sounds([&] {
        std::vector<Voice> voices = FixedCallouts();
        for (const Voice& v : NumberedCallouts()) voices.push_back(v);
        for (const SignPicture& s : SignPictures()) voices.push_back(s.voice);
        for (const Voice& v : Announcements()) voices.push_back(v);
        if (!WriteVoices(out, voices, spoken, soundError) || !WriteLineSounds(out, soundError) ||
            !WriteTrainSounds(out, TrainKind::Electric, soundError) ||
            !WriteTrainSounds(out, TrainKind::Diesel, soundError)) {
            if (soundError.empty()) soundError = "sounds";
        }
    });

    if (!DrawCabPictures(out, electric, error) || !DrawCabPictures(out, diesel, error) ||
        !DrawLinePictures(out, route, local, express, error)) {
        sounds.join();
        return Fail("pictures", error);
    }
    progress.Done("cab panels, signal and sign pictures");

    const std::vector<Board> boards = MakeVideoBoards(route);
    if (!WriteStillPicture(DataFile(out, kStillPicture), route, boards, error) ||
        !WriteTitlePictures(out, route, boards, error) ||
        !WriteOpeningMovie(out / "move" / "opening.avi", route, boards, error)) {
        sounds.join();
        return Fail("title pictures", error);
    }
    progress.Done("title pictures, still picture, opening movie");

    const std::filesystem::path movie = out / "movie" / (std::string(kDataName) + ".avi");
    const int32_t width = options.hd ? 1280 : 480, height = options.hd ? 720 : 240;
    if (!WriteCabVideo(movie, route, boards, width, height, route.lastFrame, error)) {
        sounds.join();
        return Fail("cab video", error);
    }
    progress.Done("cab video " + std::to_string(route.lastFrame) + " frames " +
                  std::to_string(width) + "x" + std::to_string(height));

    sounds.join();
    if (!soundError.empty()) return Fail("sounds", soundError);
    progress.Done("sounds and voices (" + std::to_string(spoken) + " spoken" +
                  (SpeechAvailable() ? "" : ", espeak-ng not installed: tones") + ")");

    if (!WriteDriveScripts(out, route, local, express, error) ||
        !DrawTimetableCards(out, route, local, express, error)) {
        return Fail("drive scripts", error);
    }
    progress.Done("drive scripts and the timetables they keep");

    if (!options.strip.empty()) {
        const std::vector<int32_t> samples = {
            route.stations[1].stopFrame - 280, route.crossings[0].frame - 120,
            route.tunnels[0].startFrame - 200, route.bridge.startFrame - 30};
        if (!WriteFrameStrip(options.strip, route, boards, samples, 120, error)) {
            return Fail("frame strip", error);
        }
        progress.Done("frame strip " + options.strip.string());
    }
    std::printf("Done in %.1f s, %.1f MB in %s\n", progress.Total(),
                static_cast<double>(FolderBytes(out)) / 1e6, out.string().c_str());
    return 0;
}
