#include "studio/line_video.h"

#include "common/data_path.h"
#include "data/labels_file_reader.h"

namespace kelvaron {

std::filesystem::path LineVideoPath(const std::filesystem::path& dataDir,
                                    const std::string& dataName) {
    Labels labels;
    MenuCaptions captions;
    if (!ReadLabelsFile(ResolveDataPath(dataDir, "kelvaron.dat"), labels, captions, nullptr)) {
        labels.Path.clear();
    }
    return ResolveDataPath(dataDir, labels.Path + dataName + ".avi");
}

}  // namespace kelvaron
