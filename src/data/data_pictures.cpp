#include "data/data_pictures.h"

#include <cerrno>
#include <cstring>

#include "common/data_path.h"

namespace kelvaron {

std::optional<Picture> LoadDataPicture(PictureLoader& pictures,
                                       const std::filesystem::path& dataDir, std::string_view name,
                                       PictureFormats formats, std::string& why) {
    const DataFile file = ResolveDataPath(dataDir, name);
    if (file.Refused()) {
        why = file.refusal;
        return std::nullopt;
    }
    return pictures.Load(file.path, formats, &why);
}

std::string PictureNotFoundMessage(std::string_view name, std::string_view why) {
    std::string message = std::string(name) + "が見つかりません";
    if (!why.empty() && why != std::strerror(ENOENT)) message += ": " + std::string(why);
    return message;
}

std::optional<Picture> PictureBudget::Load(const std::filesystem::path& file,
                                           PictureFormats formats, std::string* why) {
    auto picture = loader_.Load(file, formats, why);
    if (!picture) return picture;
    const int64_t pixels = int64_t{picture->width} * picture->height;
    if (pixels > pixelsLeft_) {
        if (why) *why = "the pictures of the run would take more than 256 MB";
        return std::nullopt;
    }
    pixelsLeft_ -= pixels;
    return picture;
}

}  // namespace kelvaron
