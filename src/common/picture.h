#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvaron {

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
