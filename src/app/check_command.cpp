#include "app/check_command.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <string_view>

#include "app/train_summary.h"
#include "data/brake_step_check.h"
#include "data/cab_image_lists.h"
#include "data/train_config.h"
#include "data/train_file_reader.h"
#include "platform/qt/qt_picture_loader.h"

namespace kelvaron {

namespace {

// One kind of data file that `check` reads: the option that names the file,
// and how the file is read, checked and summarised. `check` returns the
// system's message when the file is faulty.
struct FileKind {
    std::string_view option;
    std::optional<std::string> (*check)(const std::filesystem::path& dataDir,
                                        const std::string& fileName, std::ostream& out);
};

std::optional<std::string> CheckTrain(const std::filesystem::path& dataDir,
                                      const std::string& fileName, std::ostream& out) {
    QtPictureLoader pictures;
    CabImageLists images;
    TrainConfig train;
    std::string error;
    if (!LoadTrainFile(dataDir, fileName, pictures, images, train, error)) return error;
    if (auto fault = CheckBrakeSteps(train)) return fault;
    PrintTrainSummary(train, images, out);
    return std::nullopt;
}

// In the order start-up reads the files.
constexpr std::array kFileKinds{
    FileKind{"--train", CheckTrain},
};

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args) {
    std::optional<std::filesystem::path> dataDir;
    std::array<std::optional<std::string>, kFileKinds.size()> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        if (option == "--data" && hasValue) {
            dataDir = args[++i];
            continue;
        }
        auto kind = std::find_if(kFileKinds.begin(), kFileKinds.end(),
                                 [&](const FileKind& k) { return k.option == option; });
        if (kind != kFileKinds.end() && hasValue) {
            files[static_cast<size_t>(kind - kFileKinds.begin())] = args[++i];
            continue;
        }
        std::cerr << "kelvaron check: '" << option << "' is not understood here\n";
        return kUsageExitCode;
    }
    const bool anyFile =
        std::any_of(files.begin(), files.end(), [](const auto& f) { return f.has_value(); });
    if (!dataDir || !anyFile) {
        std::cerr << "kelvaron check: give --data and a file to check\n";
        return kUsageExitCode;
    }

    for (size_t k = 0; k < kFileKinds.size(); ++k) {
        if (!files[k]) continue;
        if (auto fault = kFileKinds[k].check(*dataDir, *files[k], std::cout)) {
            std::cerr << *fault << '\n';
            return 1;
        }
    }
    return 0;
}

}  // namespace kelvaron
