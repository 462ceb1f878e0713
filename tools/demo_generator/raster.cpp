#include "raster.h"

#include <algorithm>
#include <cmath>

namespace kelvaron::demo {

namespace {

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 255u);
}

}  // namespace

uint32_t Mix(uint32_t a, uint32_t b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    const auto mix = [&](int shift) {
        const float v = static_cast<float>(Channel(a, shift)) * (1.0f - t) +
                        static_cast<float>(Channel(b, shift)) * t;
        return static_cast<int>(v + 0.5f);
    };
    return Rgb(mix(16), mix(8), mix(0));
}

uint32_t Shade(uint32_t colour, float k) {
    const auto shade = [&](int shift) {
        return std::clamp(static_cast<int>(static_cast<float>(Channel(colour, shift)) * k + 0.5f),
                          0, 255);
    };
    return Rgb(shade(16), shade(8), shade(0));
}

Canvas::Canvas(Picture& target)
    : pixels_(target.pixels.data()), width_(target.width), height_(target.height) {
    ResetClip();
}

void Canvas::SetClip(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    clipX0_ = std::clamp(x0, 0, width_);
    clipY0_ = std::clamp(y0, 0, height_);
    clipX1_ = std::clamp(x1, clipX0_, width_);
    clipY1_ = std::clamp(y1, clipY0_, height_);
}

void Canvas::ResetClip() {
    SetClip(0, 0, width_, height_);
}

void Canvas::Fill(uint32_t colour) {
    std::fill(pixels_, pixels_ + static_cast<size_t>(width_) * height_, colour);
}

void Canvas::Blend(int32_t x, int32_t y, uint32_t colour, float alpha) {
    if (x < clipX0_ || x >= clipX1_ || y < clipY0_ || y >= clipY1_ || alpha <= 0.0f) return;
    uint32_t& p = Row(y)[x];
    p = alpha >= 1.0f ? colour : Mix(p, colour, alpha);
}

// Fills the pixels of row y whose centres lie in [xa, xb); the partly covered
// end pixels are blended by their coverage so slanted edges do not stair-step.
void Canvas::Span(int32_t y, float xa, float xb, uint32_t colour, float alpha) {
    if (y < clipY0_ || y >= clipY1_ || xb <= xa) return;
    xa = std::max(xa, static_cast<float>(clipX0_));
    xb = std::min(xb, static_cast<float>(clipX1_));
    if (xb <= xa) return;
    const int32_t first = static_cast<int32_t>(std::floor(xa));
    const int32_t last = static_cast<int32_t>(std::ceil(xb)) - 1;
    uint32_t* row = Row(y);
    if (first == last) {
        Blend(first, y, colour, alpha * (xb - xa));
        return;
    }
    Blend(first, y, colour, alpha * (static_cast<float>(first + 1) - xa));
    Blend(last, y, colour, alpha * (xb - static_cast<float>(last)));
    for (int32_t x = first + 1; x < last; ++x) {
        row[x] = alpha >= 1.0f ? colour : Mix(row[x], colour, alpha);
    }
}

void Canvas::FillRect(float x0, float y0, float x1, float y1, uint32_t colour, float alpha) {
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    const int32_t top = std::max(clipY0_, static_cast<int32_t>(std::floor(y0 + 0.5f)));
    const int32_t bottom = std::min(clipY1_, static_cast<int32_t>(std::floor(y1 + 0.5f)));
    for (int32_t y = top; y < bottom; ++y) Span(y, x0, x1, colour, alpha);
    // A rectangle thinner than a pixel still leaves a faint trace.
    if (top >= bottom && y1 > y0) {
        const int32_t y = static_cast<int32_t>(std::floor(y0));
        Span(y, x0, x1, colour, alpha * (y1 - y0));
    }
}

void Canvas::FillPolygon(const std::vector<Point>& points, uint32_t colour, float alpha) {
    if (points.size() < 3) return;
    float minY = points[0].y, maxY = points[0].y;
    for (const Point& p : points) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int32_t top = std::max(clipY0_, static_cast<int32_t>(std::ceil(minY - 0.5f)));
    const int32_t bottom = std::min(clipY1_ - 1, static_cast<int32_t>(std::floor(maxY - 0.5f)));
    const size_t n = points.size();
    for (int32_t y = top; y <= bottom; ++y) {
        const float sy = static_cast<float>(y) + 0.5f;
        crossings_.clear();
        for (size_t i = 0; i < n; ++i) {
            const Point& a = points[i];
            const Point& b = points[(i + 1) % n];
            if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy)) {
                crossings_.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
            }
        }
        std::sort(crossings_.begin(), crossings_.end());
        for (size_t i = 0; i + 1 < crossings_.size(); i += 2) {
            Span(y, crossings_[i], crossings_[i + 1], colour, alpha);
        }
    }
}

void Canvas::FillQuad(Point a, Point b, Point c, Point d, uint32_t colour, float alpha) {
    FillPolygon({a, b, c, d}, colour, alpha);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, uint32_t colour, float alpha) {
    if (rx <= 0 || ry <= 0) return;
    const int32_t top = std::max(clipY0_, static_cast<int32_t>(std::ceil(cy - ry - 0.5f)));
    const int32_t bottom = std::min(clipY1_ - 1, static_cast<int32_t>(std::floor(cy + ry - 0.5f)));
    for (int32_t y = top; y <= bottom; ++y) {
        const float dy = (static_cast<float>(y) + 0.5f - cy) / ry;
        const float half = rx * std::sqrt(std::max(0.0f, 1.0f - dy * dy));
        Span(y, cx - half, cx + half, colour, alpha);
    }
}

void Canvas::DrawLine(Point a, Point b, uint32_t colour, float width, float alpha) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length < 1e-3f) return;
    if (width > 1.5f) {
        const float nx = -dy / length * width * 0.5f;
        const float ny = dx / length * width * 0.5f;
        FillQuad({a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny},
                 {a.x - nx, a.y - ny}, colour, alpha);
        return;
    }
    alpha *= std::max(width, 0.3f);
    // Sampled along the major axis; each sample lights the two nearest pixels.
    if (std::fabs(dx) >= std::fabs(dy)) {
        if (a.x > b.x) std::swap(a, b);
        const float slope = (b.y - a.y) / (b.x - a.x);
        const int32_t x0 = std::max(clipX0_, static_cast<int32_t>(std::floor(a.x)));
        const int32_t x1 = std::min(clipX1_ - 1, static_cast<int32_t>(std::floor(b.x)));
        for (int32_t x = x0; x <= x1; ++x) {
            const float y = a.y + (static_cast<float>(x) + 0.5f - a.x) * slope - 0.5f;
            const float fy = std::floor(y);
            const float t = y - fy;
            Blend(x, static_cast<int32_t>(fy), colour, alpha * (1.0f - t));
            Blend(x, static_cast<int32_t>(fy) + 1, colour, alpha * t);
        }
    } else {
        if (a.y > b.y) std::swap(a, b);
        const float slope = (b.x - a.x) / (b.y - a.y);
        const int32_t y0 = std::max(clipY0_, static_cast<int32_t>(std::floor(a.y)));
        const int32_t y1 = std::min(clipY1_ - 1, static_cast<int32_t>(std::floor(b.y)));
        for (int32_t y = y0; y <= y1; ++y) {
            const float x = a.x + (static_cast<float>(y) + 0.5f - a.y) * slope - 0.5f;
            const float fx = std::floor(x);
            const float t = x - fx;
            Blend(static_cast<int32_t>(fx), y, colour, alpha * (1.0f - t));
            Blend(static_cast<int32_t>(fx) + 1, y, colour, alpha * t);
        }
    }
}

void Canvas::DrawSprite(const Picture& sprite, float x0, float y0, float x1, float y1,
                        uint32_t tint, float tintAmount) {
    if (sprite.Empty() || x1 - x0 < 0.5f || y1 - y0 < 0.5f) return;
    const int32_t left = std::max(clipX0_, static_cast<int32_t>(std::floor(x0 + 0.5f)));
    const int32_t right = std::min(clipX1_, static_cast<int32_t>(std::floor(x1 + 0.5f)));
    const int32_t top = std::max(clipY0_, static_cast<int32_t>(std::floor(y0 + 0.5f)));
    const int32_t bottom = std::min(clipY1_, static_cast<int32_t>(std::floor(y1 + 0.5f)));
    const float sx = static_cast<float>(sprite.width) / (x1 - x0);
    const float sy = static_cast<float>(sprite.height) / (y1 - y0);
    for (int32_t y = top; y < bottom; ++y) {
        const int32_t v = std::clamp(static_cast<int32_t>((static_cast<float>(y) + 0.5f - y0) * sy),
                                     0, sprite.height - 1);
        uint32_t* row = Row(y);
        for (int32_t x = left; x < right; ++x) {
            const int32_t u =
                std::clamp(static_cast<int32_t>((static_cast<float>(x) + 0.5f - x0) * sx), 0,
                           sprite.width - 1);
            const uint32_t p = sprite.At(u, v);
            if ((p >> 24) < 128u) continue;
            row[x] = tintAmount > 0.0f ? Mix(p, tint, tintAmount) : (p | 0xFF000000u);
        }
    }
}

}  // namespace kelvaron::demo
