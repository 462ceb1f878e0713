#include "app/check_command.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <system_error>

#include "app/headless_runner.h"
#include "app/train_summary.h"
#include "data/brake_step_check.h"
#include "data/cab_image_lists.h"
#include "data/cab_panel_builder.h"
#include "data/controller_file_reader.h"
#include "data/data_pictures.h"
#include "data/labels_file_reader.h"
#include "data/line_definition.h"
#include "data/line_dump.h"
#include "data/line_file_reader.h"
#include "data/panel_dump.h"
#include "data/panel_model.h"
#include "data/sound_setup.h"
#include "data/track_position_table.h"
#include "data/train_config.h"
#include "data/train_file_reader.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/data_folder.h"

namespace kelvaron {

namespace {

struct CheckOptions {
    std::optional<std::filesystem::path> dataDir;
    std::optional<std::string> train;
    std::optional<std::string> line;
    bool dump = false;
    bool drive = false;
};

// The video is not needed for a run, so a video that cannot be opened is no
// fault; the summary still tells the author why a run would have no pictures.
std::string VideoNote(const std::filesystem::path& dataDir, const Labels& labels,
                      const LineDefinition& line) {
    const DataFile video = ResolveVideoFile(dataDir, labels.Path, line.DataName);
    if (video.Refused()) return " (not opened: " + video.refusal + ")";
    std::error_code ec;
    if (!std::filesystem::exists(video.path, ec)) return " (not found)";
    return {};
}

void PrintLineSummary(const LineDefinition& line, const std::string& videoNote, std::ostream& out) {
    const int32_t lastFrame = line.SpeedUnit.empty() ? 0 : line.SpeedUnit.back().EndFrame;
    const int32_t length = line.SpeedUnit.empty() ? 0 : line.SpeedUnit.back().CumulativeDistance;
    out << "line " << line.FileName << ": " << line.LineName << "\n"
        << "  video " << line.DataName << videoNote << ", frames up to " << lastFrame << ", "
        << length / 100 << " m\n"
        << "  " << line.Station.size() << " stations, " << line.Signal.size() << " signals, "
        << line.SpeedLimit.size() << " speed limits, " << line.EventCount << " events\n"
        << "  " << line.Slope.size() << " gradient sections, " << line.Tunnel.size() << " tunnels, "
        << line.SoundData.size() << " sounds\n";
}

// Reads the files in the order start-up does and applies its checks, so an
// author sees the message the run would give. Returns that message on a fault.
std::optional<std::string> Check(const CheckOptions& options, std::ostream& out) {
    QtPictureLoader loader;
    PictureBudget pictures(loader);
    CabImageLists images;
    TrainConfig train;
    LineDefinition line;
    Labels labels;
    MenuCaptions captions;
    MasconCodes codes;
    PanelModel panel;
    std::string error;
    const std::filesystem::path& dir = *options.dataDir;

    // The folder's own files are read as at every start-up, whichever file is checked.
    if (!ReadMasconFile(dir, codes, &error)) return error;
    if (options.train && !LoadTrainFile(dir, *options.train, pictures, images, train, error)) {
        return error;
    }
    if (options.line) {
        if (!LoadLineFile(dir, *options.line, pictures, images, line, error)) return error;
    }
    if (!ReadLabelsFile(dir, labels, captions, &error)) return error;
    if (options.train && !BuildCabPanel(dir, train, line.Staf[0], images, pictures, panel, error)) {
        return error;
    }
    if (options.line && !BuildTrackPositionTable(line, error)) return error;
    if (options.train) {
        if (auto fault = CheckBrakeSteps(train)) return fault;
    }

    if (options.dump) {
        out << "{\n";
        if (options.line) out << "\"line\": " << LineDefinitionToJson(line);
        if (options.line && options.train) out << ",\n";
        if (options.train) out << "\"panel\": " << PanelModelToJson(panel);
        out << "\n}\n";
        return std::nullopt;
    }
    if (options.train) PrintTrainSummary(train, images, out);
    if (options.line) PrintLineSummary(line, VideoNote(dir, labels, line), out);
    return std::nullopt;
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args) {
    CheckOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        if (option == "--data" && hasValue) {
            options.dataDir = args[++i];
        } else if (option == "--train" && hasValue) {
            options.train = args[++i];
        } else if (option == "--line" && hasValue) {
            options.line = args[++i];
        } else if (option == "--dump") {
            options.dump = true;
        } else if (option == "--drive") {
            options.drive = true;
        } else {
            std::cerr << "kelvaron check: '" << option << "' is not understood here\n";
            return kUsageExitCode;
        }
    }
    if (!options.dataDir || (!options.train && !options.line)) {
        std::cerr << "kelvaron check: give --data and a file to check\n";
        return kUsageExitCode;
    }
    if (options.drive && (!options.train || !options.line || options.dump)) {
        std::cerr << "kelvaron check: --drive needs --train and --line (and no --dump)\n";
        return kUsageExitCode;
    }
    if (const std::string fault = CheckDataFolder(*options.dataDir); !fault.empty()) {
        std::cerr << fault << '\n';
        return 1;
    }
    if (auto fault = Check(options, std::cout)) {
        std::cerr << *fault << '\n';
        return 1;
    }
    // The files are sound; the drive tells whether the line can be driven.
    if (options.drive)
        return DriveLineHeadless(*options.dataDir, *options.train, *options.line, std::cout);
    return 0;
}

}  // namespace kelvaron
