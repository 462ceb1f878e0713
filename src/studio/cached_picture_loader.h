#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/picture_loader.h"

namespace kelvaron {

// Keeps each picture a line names once it is decoded, so that reading the line
// again after every edit does not decode its image lists again. A file that
// changes on disk (or appears) is decoded anew.
class CachedPictureLoader : public PictureLoader {
  public:
    explicit CachedPictureLoader(PictureLoader& inner) : inner_(inner) {}
    std::optional<Picture> Load(const std::filesystem::path& file, PictureFormats formats,
                                std::string* why = nullptr) override;

  private:
    struct Entry {
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        std::optional<Picture> picture;
        std::string why;  // when there is no picture
    };
    PictureLoader& inner_;
    std::map<std::pair<std::string, int>, Entry> entries_;
};

}  // namespace kelvaron
