#include "studio/line_video.h"

#include "data/labels_file_reader.h"
#include "data/sound_setup.h"

namespace kelvaron {

std::filesystem::path LineVideoPath(const std::filesystem::path& dataDir,
                                    const std::string& dataName) {
    Labels labels;
    MenuCaptions captions;
    if (!ReadLabelsFile(dataDir, labels, captions, nullptr)) labels.Path.clear();
    // A refused name opens nothing: the studio then asks for the video.
    const DataFile video = ResolveVideoFile(dataDir, labels.Path, dataName);
    return video.Refused() ? std::filesystem::path() : video.path;
}

}  // namespace kelvaron
