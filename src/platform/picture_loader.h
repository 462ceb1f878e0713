#pragma once

#include <filesystem>
#include <optional>

#include "common/picture.h"

namespace kelvaron {

enum class PictureFormats {
    BitmapOrJpeg,  // panel pictures, lamps, signs, timetable card, title pictures
    BitmapOnly,    // needles and image-list entries
};

// Decodes picture files. Empty result when the file is missing or cannot be decoded.
class PictureLoader {
  public:
    virtual ~PictureLoader() = default;
    virtual std::optional<Picture> Load(const std::filesystem::path& file,
                                        PictureFormats formats) = 0;
};

}  // namespace kelvaron
