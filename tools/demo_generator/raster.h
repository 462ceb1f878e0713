#pragma once

#include <cstdint>
#include <vector>

#include "common/picture.h"

namespace kelvaron::demo {

struct Point {
    float x = 0;
    float y = 0;
};

// 0xAARRGGBB helpers.
constexpr uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (static_cast<uint32_t>(r & 255) << 16) |
           (static_cast<uint32_t>(g & 255) << 8) | static_cast<uint32_t>(b & 255);
}
// Mixes `b` into `a` by t in 0..1.
uint32_t Mix(uint32_t a, uint32_t b, float t);
// Scales the brightness of a colour by k (clamped).
uint32_t Shade(uint32_t colour, float k);

// A software canvas over a Picture: flat polygons, anti-aliased lines and
// scaled sprites, clipped to a rectangle. Drawing is plain painter's order.
class Canvas {
  public:
    explicit Canvas(Picture& target);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    uint32_t* Row(int32_t y) { return pixels_ + static_cast<size_t>(y) * width_; }

    void SetClip(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    void ResetClip();

    void Fill(uint32_t colour);
    void FillRect(float x0, float y0, float x1, float y1, uint32_t colour, float alpha = 1.0f);
    // Convex or simple polygon, even-odd scanline fill at pixel centres.
    void FillPolygon(const std::vector<Point>& points, uint32_t colour, float alpha = 1.0f);
    void FillQuad(Point a, Point b, Point c, Point d, uint32_t colour, float alpha = 1.0f);
    void FillEllipse(float cx, float cy, float rx, float ry, uint32_t colour, float alpha = 1.0f);
    // Anti-aliased line of about one pixel; wider lines are drawn as quads.
    void DrawLine(Point a, Point b, uint32_t colour, float width = 1.0f, float alpha = 1.0f);
    // Draws `sprite` into the rectangle (nearest sample). Pixels whose alpha is
    // below one half are skipped; `tint` is mixed in by `tintAmount`.
    void DrawSprite(const Picture& sprite, float x0, float y0, float x1, float y1,
                    uint32_t tint = 0, float tintAmount = 0.0f);

  private:
    void Blend(int32_t x, int32_t y, uint32_t colour, float alpha);
    void Span(int32_t y, float xa, float xb, uint32_t colour, float alpha);

    uint32_t* pixels_;
    int32_t width_;
    int32_t height_;
    int32_t clipX0_ = 0, clipY0_ = 0, clipX1_ = 0, clipY1_ = 0;
    std::vector<float> crossings_;
};

}  // namespace kelvaron::demo
