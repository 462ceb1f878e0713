#pragma once

#include "platform/picture_loader.h"

namespace kelvaron {

// Decodes BMP and JPEG with Qt's image readers; needs no display.
class QtPictureLoader : public PictureLoader {
  public:
    std::optional<Picture> Load(const std::filesystem::path& file, PictureFormats formats,
                                std::string* why = nullptr) override;
};

}  // namespace kelvaron
