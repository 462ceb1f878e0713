#include "studio/cached_picture_loader.h"

namespace kelvaron {

std::optional<Picture> CachedPictureLoader::Load(const std::filesystem::path& file,
                                                 PictureFormats formats) {
    std::error_code e;
    const auto modified = std::filesystem::last_write_time(file, e);
    const auto size = e ? 0 : std::filesystem::file_size(file, e);
    if (e) return inner_.Load(file, formats);
    const auto key = std::pair{file.string(), static_cast<int>(formats)};
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second.modified == modified && it->second.size == size) {
        return it->second.picture;
    }
    Entry entry{modified, size, inner_.Load(file, formats)};
    auto picture = entry.picture;
    entries_[key] = std::move(entry);
    return picture;
}

}  // namespace kelvaron
