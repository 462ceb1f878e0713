#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kelvaron {

// The largest picture side any cab needs; a file whose header claims more is
// refused before it is decoded.
constexpr int32_t kMaxPictureSide = 4096;

inline constexpr std::string_view kImageListFull = "the image list already holds 100 pictures";

// A decoded picture: 32-bit ARGB pixels, rows top to bottom.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0; }
    uint32_t At(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    // The colour that a "transparent" control leaves undrawn: the bottom-left
    // pixel, the convention the panel pictures are made for.
    uint32_t TransparentColour() const { return Empty() ? 0 : At(0, height - 1); }
};

// An image list: all entries share one size. Setting a different size empties
// the list, so a picture of another size discards the entries before it.
class ImageList {
  public:
    // The most pictures a list holds: the line file's list of other signs has
    // room for 100, no other list needs as many.
    static constexpr int32_t kCapacity = 100;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Count() const { return static_cast<int32_t>(images_.size()); }

    void SetSize(int32_t width, int32_t height) {
        if (width != width_ || height != height_) {
            images_.clear();
            width_ = width;
            height_ = height;
        }
    }
    // False when appending `picture` would go beyond the capacity.
    bool CanAppend(const Picture& picture) const {
        return Count() < kCapacity || picture.width != width_ || picture.height != height_;
    }
    // Appends a picture, first taking its size as the list's size.
    void Append(Picture picture) {
        SetSize(picture.width, picture.height);
        images_.push_back(std::make_shared<const Picture>(std::move(picture)));
    }
    // Entry `index`, or null when the list does not hold it (drawing it draws nothing).
    std::shared_ptr<const Picture> Get(int32_t index) const {
        if (index < 0 || index >= Count()) return nullptr;
        return images_[static_cast<size_t>(index)];
    }
    void Clear() { images_.clear(); }

  private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<std::shared_ptr<const Picture>> images_;
};

}  // namespace kelvaron
