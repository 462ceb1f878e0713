#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/picture.h"
#include "platform/picture_loader.h"

namespace kelvaron {

// The picture a data file names, resolved inside the data folder and decoded.
// Empty with the reason in `why` when the name is refused or the file cannot
// be decoded.
std::optional<Picture> LoadDataPicture(PictureLoader& pictures,
                                       const std::filesystem::path& dataDir, std::string_view name,
                                       PictureFormats formats, std::string& why);

// The message of a picture that cannot be loaded: its name followed by
// "が見つかりません", then the reason unless the file is simply missing.
std::string PictureNotFoundMessage(std::string_view name, std::string_view why);

// The pictures of one run, decoded through `loader` within one budget of
// pixels: each picture is bounded by its header, but a file may list the same
// large picture any number of times.
class PictureBudget : public PictureLoader {
  public:
    // Four pictures of the largest size, many times what any cab needs.
    static constexpr int64_t kRunPixels = int64_t{4} * kMaxPictureSide * kMaxPictureSide;

    explicit PictureBudget(PictureLoader& loader, int64_t pixels = kRunPixels)
        : loader_(loader), pixelsLeft_(pixels) {}

    std::optional<Picture> Load(const std::filesystem::path& file, PictureFormats formats,
                                std::string* why = nullptr) override;

  private:
    PictureLoader& loader_;
    int64_t pixelsLeft_;
};

}  // namespace kelvaron
