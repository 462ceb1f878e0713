#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/picture.h"

namespace kelvaron {

enum class PictureFormats {
    BitmapOrJpeg,  // panel pictures, lamps, signs, timetable card, title pictures
    BitmapOnly,    // needles and image-list entries
};

// Why a picture is refused, beyond the system's reasons for a file it cannot read.
inline constexpr std::string_view kPictureTooLarge = "larger than 4096 x 4096 pixels";
inline constexpr std::string_view kPictureOutOfMemory = "out of memory";

// Decodes picture files. Empty result when the file is missing, cannot be
// decoded, or would decode to more than kMaxPictureSide pixels a side; `why`
// then says why.
class PictureLoader {
  public:
    virtual ~PictureLoader() = default;
    virtual std::optional<Picture> Load(const std::filesystem::path& file, PictureFormats formats,
                                        std::string* why = nullptr) = 0;
};

}  // namespace kelvaron
