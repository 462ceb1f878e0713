#include "shell/data_folder.h"

#include <system_error>
#include <vector>

#include "common/data_path.h"
#include "data/controller_file_reader.h"
#include "data/labels_file_reader.h"
#include "shell/run_selection.h"

namespace kelvaron {

std::string CheckDataFolder(const std::filesystem::path& dataDir) {
    const std::string folder = "the data folder " + dataDir.string();
    std::error_code ec;
    if (!std::filesystem::exists(dataDir, ec)) return folder + " does not exist";
    if (!std::filesystem::is_directory(dataDir, ec)) return folder + " is not a folder";

    std::vector<std::string> names{kMasconFile, kLabelsFile};
    for (const char* run : {"local", "express"}) {
        const RunChoice choice = *ChooseRun(run);
        names.push_back(choice.trainFile);
        names.push_back(choice.lineFile);
    }
    std::string list;
    for (const std::string& name : names) {
        const DataFile file = ResolveDataPath(dataDir, name);
        if (!file.Refused() && std::filesystem::exists(file.path, ec)) return {};
        list += (list.empty() ? "" : ", ") + name;
    }
    return folder + " holds none of the files of a run (" + list + ")";
}

}  // namespace kelvaron
