#include "studio/cached_picture_loader.h"

namespace kelvaron {

std::optional<Picture> CachedPictureLoader::Load(const std::filesystem::path& file,
                                                 PictureFormats formats, std::string* why) {
    std::error_code e;
    const auto modified = std::filesystem::last_write_time(file, e);
    const auto size = e ? 0 : std::filesystem::file_size(file, e);
    if (e) return inner_.Load(file, formats, why);
    const auto key = std::pair{file.string(), static_cast<int>(formats)};
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second.modified == modified && it->second.size == size) {
        if (why && !it->second.picture) *why = it->second.why;
        return it->second.picture;
    }
    Entry entry{modified, size, {}, {}};
    entry.picture = inner_.Load(file, formats, &entry.why);
    if (why && !entry.picture) *why = entry.why;
    auto picture = entry.picture;
    entries_[key] = std::move(entry);
    return picture;
}

}  // namespace kelvaron
