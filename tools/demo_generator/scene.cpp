#include "scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace kelvaron::demo {

namespace {

// The camera: the driver sits left of the centre of the cab's track, about
// 2.7 m above the rails. The other track lies 3.8 m to the right.
constexpr double kEye = 2.7;
constexpr double kCamAcross = -0.55;
constexpr double kOtherTrack = 3.8;
constexpr double kMidTracks = kOtherTrack / 2;
constexpr double kHalfGauge = 0.5335;
constexpr double kNear = 0.8;
constexpr double kFar = 1500;
constexpr double kFogDistance = 900;
constexpr double kMastSpacing = 45;
constexpr double kSleeperSpacing = 0.625;
constexpr double kSleeperWidth = 0.24;

const uint32_t kHaze = Rgb(196, 212, 228);
const uint32_t kSkyTop = Rgb(78, 126, 196);
const uint32_t kRailHead = Rgb(206, 206, 212);
const uint32_t kRailFoot = Rgb(92, 76, 64);
const uint32_t kSleeper = Rgb(172, 170, 162);
const uint32_t kBallast = Rgb(132, 126, 118);
const uint32_t kRoadbed = Rgb(146, 136, 118);
const uint32_t kConcrete = Rgb(168, 168, 162);
const uint32_t kWire = Rgb(38, 38, 44);
const uint32_t kWater = Rgb(64, 98, 128);
const uint32_t kAsphalt = Rgb(78, 78, 82);

uint32_t Hash(int64_t a, int64_t b) {
    uint64_t h = static_cast<uint64_t>(a) * 0x9E3779B97F4A7C15ull ^
                 (static_cast<uint64_t>(b) + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 31;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 29;
    return static_cast<uint32_t>(h);
}

float Noise(int64_t a, int64_t b) {
    return static_cast<float>(Hash(a, b) & 0xFFFF) / 65535.0f;
}

// Share of [a, b] that lies in [lo, hi].
float Cover(double a, double b, double lo, double hi) {
    const double overlap = std::min(b, hi) - std::max(a, lo);
    return overlap > 0 ? static_cast<float>(overlap / (b - a)) : 0.0f;
}

// Share of the stretch [a, b] along the track that sleepers cover.
float SleeperCover(double a, double b) {
    const auto integral = [](double t) {
        const double n = std::floor(t / kSleeperSpacing);
        return n * kSleeperWidth + std::min(t - n * kSleeperSpacing, kSleeperWidth);
    };
    if (b - a < 1e-6) return 0.0f;
    return static_cast<float>((integral(b) - integral(a)) / (b - a));
}

struct House {
    double near = 0, far = 0;     // metres along the line
    double inner = 0, outer = 0;  // across; inner is the side facing the track
    double wall = 0, roof = 0;
    uint32_t wallColour = 0, roofColour = 0;
    bool block = false;  // a flat-roofed block of flats
};

struct Tree {
    double metres = 0, across = 0, height = 0, radius = 0;
    uint32_t colour = 0;
};

struct Person {
    double metres = 0, across = 0, height = 0;
    uint32_t colour = 0;
};

// The tunnel's cross-section (across, height), walls to the crown.
std::vector<std::array<double, 2>> TunnelSection() {
    std::vector<std::array<double, 2>> section{{-2.7, -0.3}, {-2.7, 4.6}};
    for (int a = 150; a >= 30; a -= 30) {
        const double rad = a * std::numbers::pi / 180.0;
        section.push_back({kMidTracks + 4.6 * std::cos(rad), 4.6 + 4.6 * std::sin(rad)});
    }
    section.push_back({6.5, 4.6});
    section.push_back({6.5, -0.3});
    return section;
}

struct Item {
    enum class Kind : uint8_t { Polygon, Line, Sprite, Ellipse };
    float depth = 0;
    Kind kind = Kind::Polygon;
    uint8_t count = 0;
    std::array<Point, 6> p{};
    uint32_t colour = 0;
    float alpha = 1;
    float width = 1;
    const Picture* sprite = nullptr;
    float tint = 0;
};

}  // namespace

struct SceneRenderer::World {
    const Route& route;
    std::vector<Board> boards;
    int32_t width;
    int32_t height;
    double focal;
    double centreX;
    double horizon;
    Picture panorama;
    std::vector<double> heading;  // radians at each whole metre of the line
    std::vector<House> houses;
    std::vector<Tree> trees;
    std::vector<Person> people;
    std::vector<std::array<double, 2>> tunnelSection = TunnelSection();

    // Per frame.
    double camera = 0;
    int32_t frame = 0;
    std::vector<double> bend;  // across offset of the track at each whole metre ahead
    std::vector<Item> items;
    std::vector<Point> polygon;

    World(const Route& r, std::vector<Board> b, int32_t w, int32_t h)
        : route(r), boards(std::move(b)), width(w), height(h) {
        focal = 0.82 * w;
        centreX = 0.5 * w;
        horizon = 0.44 * h;
        BuildHeading();
        BuildPanorama();
        PlaceScenery();
    }

    // ---- set-up -------------------------------------------------------

    void BuildHeading() {
        const int32_t length = static_cast<int32_t>(route.LengthMetres()) + 2;
        heading.assign(static_cast<size_t>(length) + 1, 0.0);
        for (int32_t m = 1; m <= length; ++m) {
            heading[static_cast<size_t>(m)] =
                heading[static_cast<size_t>(m) - 1] + route.CurvatureAt(m - 0.5);
        }
    }

    // Sky, clouds and two ranges of distant hills, wide enough to wrap once
    // around the horizon so that the view can turn with the track.
    void BuildPanorama() {
        const int32_t pw = static_cast<int32_t>(std::lround(2 * std::numbers::pi * focal));
        const int32_t ph = static_cast<int32_t>(std::ceil(horizon)) + 1;
        panorama.width = pw;
        panorama.height = ph;
        panorama.pixels.assign(static_cast<size_t>(pw) * ph, 0);
        Canvas canvas(panorama);
        for (int32_t y = 0; y < ph; ++y) {
            const float t = static_cast<float>(y) / static_cast<float>(std::max(1, ph - 1));
            canvas.FillRect(0, static_cast<float>(y), static_cast<float>(pw),
                            static_cast<float>(y + 1), Mix(kSkyTop, kHaze, std::pow(t, 1.6f)));
        }
        std::mt19937 random(7);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const float scale = static_cast<float>(width) / 480.0f;
        for (int cloud = 0; cloud < 26; ++cloud) {
            const float cx = unit(random) * static_cast<float>(pw);
            const float cy = (0.12f + 0.5f * unit(random)) * static_cast<float>(horizon);
            const float size = (10 + 22 * unit(random)) * scale * (0.6f + cy / ph);
            for (int puff = 0; puff < 7; ++puff) {
                const float px = cx + (unit(random) - 0.5f) * size * 3.0f;
                const float py = cy + (unit(random) - 0.5f) * size * 0.5f;
                const float r = size * (0.45f + 0.4f * unit(random));
                for (float wrap : {-static_cast<float>(pw), 0.0f, static_cast<float>(pw)}) {
                    canvas.FillEllipse(px + wrap, py + r * 0.15f, r, r * 0.55f, Rgb(206, 212, 224),
                                       0.9f);
                    canvas.FillEllipse(px + wrap, py, r * 0.92f, r * 0.5f, Rgb(250, 250, 252),
                                       0.92f);
                }
            }
        }
        // Far range blue-grey, near hills green-grey, each a sum of slow waves.
        const double hz = horizon;
        for (int32_t x = 0; x < pw; ++x) {
            const double a = 2 * std::numbers::pi * x / pw;
            const double far = 0.045 + 0.02 * std::sin(3 * a + 1) + 0.012 * std::sin(7 * a + 2) +
                               0.006 * std::sin(19 * a);
            const double near = 0.018 + 0.012 * std::sin(5 * a + 4) + 0.007 * std::sin(13 * a + 1) +
                                0.004 * std::sin(31 * a + 3);
            const float farTop = static_cast<float>(hz - std::max(0.0, far) * focal);
            const float nearTop = static_cast<float>(hz - std::max(0.0, near) * focal);
            canvas.FillRect(static_cast<float>(x), farTop, static_cast<float>(x + 1),
                            static_cast<float>(ph), Mix(Rgb(112, 132, 160), kHaze, 0.35f));
            canvas.FillRect(static_cast<float>(x), nearTop, static_cast<float>(x + 1),
                            static_cast<float>(ph), Mix(Rgb(88, 118, 96), kHaze, 0.3f));
        }
    }

    bool KeepClear(double metres, double across) const {
        if (route.InTunnel(metres) || route.InTunnel(metres + 60) || route.InTunnel(metres - 20)) {
            return false;
        }
        if (metres > route.bridge.start - 15 && metres < route.bridge.end + 15) return false;
        for (const PointSite& c : route.crossings) {
            if (std::fabs(metres - c.metres) < 14) return false;
        }
        for (const StationSite& s : route.stations) {
            if (across < 0 && metres > s.stopMetres - 125 && metres < s.stopMetres + 30 &&
                across > -22) {
                return false;
            }
            if (across > 0 && metres > s.stopMetres - 115 && metres < s.stopMetres + 25 &&
                across < 14) {
                return false;
            }
        }
        return true;
    }

    // Houses and blocks of flats along both sides, denser near the stations;
    // trees between them; people waiting on the platforms.
    void PlaceScenery() {
        std::mt19937 random(20240611);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const double length = route.LengthMetres();
        const uint32_t walls[] = {Rgb(226, 222, 210), Rgb(212, 196, 166), Rgb(176, 174, 168),
                                  Rgb(186, 194, 198), Rgb(222, 210, 190)};
        const uint32_t roofs[] = {Rgb(66, 76, 94), Rgb(112, 76, 58), Rgb(84, 84, 88),
                                  Rgb(146, 82, 62)};
        for (int side : {-1, 1}) {
            double m = -20;
            while (m < length + 400) {
                double nearest = 1e9;
                for (const StationSite& s : route.stations) {
                    nearest = std::min(nearest, std::fabs(m - s.stopMetres));
                }
                const bool town = nearest < 220;
                m += town ? 9 + 10 * unit(random) : 16 + 30 * unit(random);
                const double offset = (side < 0 ? 9.0 : 12.0) + unit(random) * (town ? 22 : 60);
                const double across = side < 0 ? -offset : kOtherTrack + offset;
                if (!KeepClear(m, across)) continue;
                if (!town && unit(random) < 0.45) {
                    trees.push_back({m, across, 5 + 6 * unit(random), 2 + 2 * unit(random),
                                     Shade(Rgb(58, 96, 52), 0.8 + 0.4 * unit(random))});
                    continue;
                }
                House h;
                h.block = town && unit(random) < 0.22;
                const double width = h.block ? 14 + 8 * unit(random) : 6 + 3 * unit(random);
                const double depth = h.block ? 10 + 6 * unit(random) : 7 + 3 * unit(random);
                h.near = m;
                h.far = m + depth;
                h.inner = across;
                h.outer = across + side * width;
                h.wall = h.block ? 9 + 3 * std::floor(unit(random) * 4) : 5 + 1.5 * unit(random);
                h.roof = h.block ? 0 : 1.8 + 0.8 * unit(random);
                h.wallColour = walls[static_cast<size_t>(unit(random) * 5) % 5];
                h.roofColour = roofs[static_cast<size_t>(unit(random) * 4) % 4];
                houses.push_back(h);
                m += depth;
                if (unit(random) < 0.5) {
                    trees.push_back({m + 2, across + side * (width + 2), 4 + 4 * unit(random),
                                     1.5 + 1.5 * unit(random), Rgb(64, 104, 58)});
                }
            }
        }
        const uint32_t clothes[] = {Rgb(40, 44, 60),  Rgb(200, 200, 196), Rgb(150, 60, 50),
                                    Rgb(60, 90, 140), Rgb(90, 90, 92),    Rgb(180, 160, 110)};
        for (const StationSite& s : route.stations) {
            for (int i = 0; i < 7; ++i) {
                people.push_back({s.stopMetres - 95 + 90 * unit(random), -2.9 - 2.2 * unit(random),
                                  1.55 + 0.25 * unit(random),
                                  clothes[static_cast<size_t>(unit(random) * 6) % 6]});
            }
            for (int i = 0; i < 3; ++i) {
                people.push_back({s.stopMetres - 95 + 90 * unit(random),
                                  kOtherTrack + 2.9 + 2.0 * unit(random), 1.6 + 0.2 * unit(random),
                                  clothes[static_cast<size_t>(unit(random) * 6) % 6]});
            }
        }
    }

    // ---- projection ---------------------------------------------------

    void PrepareBend() {
        const size_t n = static_cast<size_t>(kFar) + 2;
        bend.assign(n, 0.0);
        double slope = 0;
        for (size_t i = 1; i < n; ++i) {
            slope += route.CurvatureAt(camera + static_cast<double>(i) - 0.5);
            bend[i] = bend[i - 1] + slope;
        }
    }

    double BendAt(double z) const {
        if (z <= 0) return 0;
        const double clamped = std::min(z, kFar);
        const size_t i = static_cast<size_t>(clamped);
        const double t = clamped - static_cast<double>(i);
        return bend[i] * (1 - t) + bend[std::min(i + 1, bend.size() - 1)] * t;
    }

    Point Project(double z, double across, double h) const {
        return {static_cast<float>(centreX + focal * (across - kCamAcross + BendAt(z)) / z),
                static_cast<float>(horizon + focal * (kEye - h) / z)};
    }

    uint32_t Fog(uint32_t colour, double z) const {
        return Mix(colour, kHaze, static_cast<float>(1 - std::exp(-z / kFogDistance)));
    }

    // ---- items ----------------------------------------------------------

    bool OnScreen(const Item& item) const {
        float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
        for (uint8_t i = 0; i < item.count; ++i) {
            x0 = std::min(x0, item.p[i].x);
            x1 = std::max(x1, item.p[i].x);
            y0 = std::min(y0, item.p[i].y);
            y1 = std::max(y1, item.p[i].y);
        }
        return x1 >= -2 && x0 <= width + 2 && y1 >= -2 && y0 <= height + 2;
    }

    void Push(Item item) {
        if (OnScreen(item)) items.push_back(item);
    }

    void Polygon(float depth, std::initializer_list<Point> points, uint32_t colour,
                 float alpha = 1) {
        Item item;
        item.depth = depth;
        item.kind = Item::Kind::Polygon;
        for (const Point& p : points) item.p[item.count++] = p;
        item.colour = colour;
        item.alpha = alpha;
        Push(item);
    }

    // A face running along the track between the lines (a0, h0) and (a1, h1)
    // of the cross-section, from z0 to z1 ahead; cut into short pieces so that
    // it follows the curve of the track.
    void AlongFace(double z0, double z1, double a0, double h0, double a1, double h1,
                   uint32_t colour, double depthBias = 0, double piece = 8) {
        z0 = std::max(z0, kNear);
        z1 = std::min(z1, kFar);
        if (z1 <= z0) return;
        const int pieces = std::max(1, static_cast<int>(std::ceil((z1 - z0) / piece)));
        for (int i = 0; i < pieces; ++i) {
            const double za = z0 + (z1 - z0) * i / pieces;
            const double zb = z0 + (z1 - z0) * (i + 1) / pieces;
            Polygon(static_cast<float>(0.5 * (za + zb) + depthBias),
                    {Project(za, a0, h0), Project(za, a1, h1), Project(zb, a1, h1),
                     Project(zb, a0, h0)},
                    Fog(colour, 0.5 * (za + zb)));
        }
    }

    // A flat rectangle across the track at distance z, facing the cab.
    void FrontFace(double z, double a0, double a1, double h0, double h1, uint32_t colour,
                   double depthBias = 0) {
        if (z < kNear || z > kFar) return;
        const Point p0 = Project(z, a0, h1);
        const Point p1 = Project(z, a1, h0);
        Polygon(static_cast<float>(z + depthBias), {p0, {p1.x, p0.y}, p1, {p0.x, p1.y}},
                Fog(colour, z));
    }

    void Line(double z0, double a0, double h0, double z1, double a1, double h1, uint32_t colour,
              float widthMetres, double depthBias = 0) {
        z0 = std::max(z0, kNear);
        z1 = std::max(z1, kNear);
        const double z = 0.5 * (z0 + z1);
        if (z > kFar) return;
        Item item;
        item.kind = Item::Kind::Line;
        item.depth = static_cast<float>(std::max(z0, z1) + depthBias);
        item.p[0] = Project(z0, a0, h0);
        item.p[1] = Project(z1, a1, h1);
        item.count = 2;
        item.width = std::max(0.35f, static_cast<float>(widthMetres * focal / z));
        item.alpha = std::min(1.0f, item.width);
        item.colour = Fog(colour, z);
        Push(item);
    }

    void Ellipse(double z, double across, double h, double radius, uint32_t colour, float alpha,
                 double minPixels = 0, double depthBias = 0) {
        if (z < kNear || z > kFar) return;
        Item item;
        item.kind = Item::Kind::Ellipse;
        item.depth = static_cast<float>(z + depthBias);
        item.p[0] = Project(z, across, h);
        const float r = static_cast<float>(std::max(minPixels, radius * focal / z));
        item.p[1] = {r, r};
        item.count = 2;
        item.colour = colour;
        item.alpha = alpha;
        if (item.p[0].x + r >= 0 && item.p[0].x - r <= width && item.p[0].y + r >= 0 &&
            item.p[0].y - r <= height) {
            items.push_back(item);
        }
    }

    void Sprite(double z, double a0, double a1, double h0, double h1, const Picture& picture,
                double depthBias = 0) {
        if (z < kNear || z > kFar) return;
        Item item;
        item.kind = Item::Kind::Sprite;
        item.depth = static_cast<float>(z + depthBias);
        item.p[0] = Project(z, a0, h1);
        item.p[1] = Project(z, a1, h0);
        item.count = 2;
        item.sprite = &picture;
        item.colour = kHaze;
        item.tint = static_cast<float>(1 - std::exp(-z / kFogDistance));
        Push(item);
    }

    // ---- the ground -----------------------------------------------------

    void DrawSky(Canvas& canvas) {
        const double turn =
            camera <= 0 ? 0 : heading[std::min(heading.size() - 1, static_cast<size_t>(camera))];
        const int32_t offset = static_cast<int32_t>(std::lround(turn * focal));
        const int32_t rows = std::min(panorama.height, height);
        for (int32_t y = 0; y < rows; ++y) {
            uint32_t* row = canvas.Row(y);
            const uint32_t* source =
                panorama.pixels.data() + static_cast<size_t>(y) * panorama.width;
            for (int32_t x = 0; x < width; ++x) {
                int32_t u = (x + offset) % panorama.width;
                if (u < 0) u += panorama.width;
                row[x] = source[u];
            }
        }
    }

    uint32_t FieldColour(double across, double along, double blur) const {
        static const uint32_t kFields[] = {Rgb(96, 142, 62), Rgb(82, 122, 56), Rgb(150, 138, 92),
                                           Rgb(104, 134, 72), Rgb(120, 150, 70)};
        const uint32_t average = Rgb(104, 136, 68);
        const int64_t px = static_cast<int64_t>(std::floor((across + 3000) / 20));
        const int64_t pz = static_cast<int64_t>(std::floor(along / 26));
        uint32_t c = kFields[Hash(px, pz) % 5];
        const float fine = Noise(static_cast<int64_t>(std::floor(across * 0.8)),
                                 static_cast<int64_t>(std::floor(along * 0.8)));
        c = Shade(c, 0.92f + 0.16f * fine * static_cast<float>(std::max(0.0, 1 - blur)));
        return Mix(c, average, static_cast<float>(std::clamp((blur - 0.3) / 2.0, 0.0, 1.0)));
    }

    void DrawGround(Canvas& canvas) {
        const int32_t first = std::max(0, static_cast<int32_t>(std::floor(horizon)));
        for (int32_t y = first; y < height; ++y) {
            const double dy = y + 0.5 - horizon;
            if (dy <= 0) continue;
            const double z = focal * kEye / dy;
            uint32_t* row = canvas.Row(y);
            if (z > kFar) {
                const uint32_t far = Mix(Rgb(110, 136, 88), kHaze, 0.82f);
                std::fill(row, row + width, far);
                continue;
            }
            const double rowDepth = z - focal * kEye / (dy + 1);
            const double along = camera + z;
            const double perPixel = z / focal;
            const double left = (0.5 - centreX) * perPixel + kCamAcross - BendAt(z);
            const bool tunnel = route.InTunnel(along);
            const bool bridge = route.OnBridge(along);
            bool crossing = false;
            for (const PointSite& c : route.crossings) {
                if (std::fabs(along - c.metres) < 3.0) crossing = true;
            }
            const float sleepers =
                bridge ? std::min(1.0f, 1.6f * SleeperCover(along - rowDepth, along))
                       : SleeperCover(along - rowDepth, along);
            const float fog = static_cast<float>(1 - std::exp(-z / kFogDistance));
            const float dark =
                tunnel ? static_cast<float>(std::exp(-std::min(along - TunnelStart(along),
                                                               TunnelEnd(along) - along) /
                                                     40.0) *
                                                0.7 +
                                            0.18)
                       : 1.0f;
            const double blur = std::max(perPixel, rowDepth) / 1.5;
            const int64_t alongCell = static_cast<int64_t>(std::floor(along * 9));
            for (int32_t x = 0; x < width; ++x) {
                const double a = left + x * perPixel;  // across at the pixel's centre
                const double a0 = a - perPixel * 0.5;
                const double a1 = a + perPixel * 0.5;
                const double fromMid = std::fabs(a - kMidTracks);
                uint32_t c;
                if (tunnel) {
                    c = Rgb(70, 68, 64);
                } else if (crossing) {
                    c = kAsphalt;
                } else if (bridge && fromMid > 3.0) {
                    c = Shade(kWater,
                              0.9f + 0.2f * Noise(static_cast<int64_t>(a * 2), alongCell / 4));
                } else if (fromMid < 4.6) {
                    c = kRoadbed;
                    if (a > -3.3 && a < -2.9) c = kConcrete;  // the cable trough
                } else {
                    c = FieldColour(a, along, blur);
                }
                for (double track : {0.0, kOtherTrack}) {
                    const double d = a - track;
                    if (std::fabs(d) < 1.45 && !crossing) {
                        uint32_t ballast = bridge ? Shade(kWater, 0.55f) : kBallast;
                        if (blur < 0.6) {
                            const float n =
                                Noise(static_cast<int64_t>(std::floor(a * 9)), alongCell);
                            ballast = Shade(ballast, 0.85f + 0.3f * n);
                        }
                        c = ballast;
                        if (std::fabs(d) < 1.0) {
                            c = Mix(c, bridge ? Rgb(92, 66, 46) : kSleeper, sleepers);
                        }
                    }
                    if (crossing && std::fabs(d) < 0.9) c = Rgb(58, 58, 60);
                    for (double rail : {track - kHalfGauge, track + kHalfGauge}) {
                        const float foot = Cover(a0, a1, rail - 0.07, rail + 0.07);
                        if (foot > 0) c = Mix(c, kRailFoot, foot);
                        const float head = Cover(a0, a1, rail - 0.034, rail + 0.034);
                        if (head > 0) c = Mix(c, kRailHead, head);
                    }
                }
                row[x] = tunnel ? Shade(c, dark) : Mix(c, kHaze, fog);
            }
        }
    }

    double TunnelStart(double metres) const {
        for (const Stretch& t : route.tunnels) {
            if (metres >= t.start && metres <= t.end) return t.start;
        }
        return metres;
    }
    double TunnelEnd(double metres) const {
        for (const Stretch& t : route.tunnels) {
            if (metres >= t.start && metres <= t.end) return t.end;
        }
        return metres;
    }

    // ---- things along the line ------------------------------------------

    void AddMasts() {
        const double first = std::ceil((camera + kNear) / kMastSpacing) * kMastSpacing;
        for (double m = first - kMastSpacing; m < camera + 700; m += kMastSpacing) {
            const double z = m - camera;
            const int k = static_cast<int>(std::lround(m / kMastSpacing));
            const double z2 = z + kMastSpacing;
            // Wires of both tracks to the next support, in short pieces.
            for (double track : {0.0, kOtherTrack}) {
                const double stagger0 = (k % 2 == 0 ? -0.2 : 0.2);
                const double inside = route.InTunnel(m) ? -0.6 : 0.0;
                for (int piece = 0; piece < 4; ++piece) {
                    const double ta = piece / 4.0, tb = (piece + 1) / 4.0;
                    const double za = z + kMastSpacing * ta, zb = z + kMastSpacing * tb;
                    if (zb < kNear) continue;
                    const double sa = track + stagger0 * (1 - 2 * ta);
                    const double sb = track + stagger0 * (1 - 2 * tb);
                    Line(za, sa, 5.1, zb, sb, 5.1, kWire, 0.018, -0.2);
                    const double sagA = 6.3 + inside - 0.6 * 4 * ta * (1 - ta);
                    const double sagB = 6.3 + inside - 0.6 * 4 * tb * (1 - tb);
                    Line(za, track, sagA, zb, track, sagB, kWire, 0.02, -0.2);
                }
            }
            if (z2 > kNear && !route.InTunnel(m)) {
                Line(z, -2.9, 8.3, z2, -2.9, 8.3, kWire, 0.025, -0.2);
            }
            if (z < kNear || route.InTunnel(m)) continue;
            bool nearCrossing = false;
            for (const PointSite& c : route.crossings) {
                if (std::fabs(m - c.metres) < 8) nearCrossing = true;
            }
            if (nearCrossing) continue;
            FrontFace(z, -3.05, -2.75, 0, 8.5, kConcrete);
            FrontFace(z, 6.55, 6.85, 0, 8.5, kConcrete);
            FrontFace(z, -3.05, 6.85, 7.55, 7.85, Rgb(112, 118, 124), -0.01);
            for (double track : {0.0, kOtherTrack}) {
                Line(z, track, 7.55, z, track, 6.3, Rgb(90, 94, 98), 0.05, -0.02);
                Ellipse(z, track - 0.35, 7.0, 0.12, Rgb(150, 90, 70), 1.0f, 0.0, -0.02);
            }
        }
    }

    void AddPlatforms() {
        for (size_t i = 0; i < route.stations.size(); ++i) {
            const StationSite& s = route.stations[i];
            const double start = s.stopMetres - 110 - camera;
            const double end = s.stopMetres + 16 - camera;
            if (end < kNear || start > 900) continue;
            const uint32_t top = Rgb(186, 184, 176);
            // Cab side: top, edge face, tactile strip, white edge line.
            AlongFace(start, end, -5.8, 1.05, -1.55, 1.05, top, 1.0, 3);
            AlongFace(start, end, -1.55, 1.05, -1.55, 0.0, Rgb(128, 126, 120), 0.0, 3);
            AlongFace(start, end, -2.35, 1.06, -2.05, 1.06, Rgb(226, 196, 40), 0.9, 3);
            AlongFace(start, end, -1.72, 1.06, -1.6, 1.06, Rgb(238, 238, 232), 0.9, 3);
            // The other track's platform.
            AlongFace(start, end, kOtherTrack + 1.55, 1.05, kOtherTrack + 5.8, 1.05, top, 1.0, 3);
            AlongFace(start, end, kOtherTrack + 1.55, 0.0, kOtherTrack + 1.55, 1.05,
                      Rgb(128, 126, 120), 0.0, 3);
            AlongFace(start, end, kOtherTrack + 2.05, 1.06, kOtherTrack + 2.35, 1.06,
                      Rgb(226, 196, 40), 0.9, 3);
            // Near end faces of the platforms.
            FrontFace(start, -5.8, -1.55, 0, 1.05, Rgb(150, 148, 140));
            FrontFace(start, kOtherTrack + 1.55, kOtherTrack + 5.8, 0, 1.05, Rgb(150, 148, 140));
            // Canopies with their posts.
            const double roofStart = s.stopMetres - 85 - camera;
            const double roofEnd = s.stopMetres - 8 - camera;
            for (double side : {-1.0, 1.0}) {
                const double inner = side < 0 ? -2.0 : kOtherTrack + 2.0;
                const double outer = side < 0 ? -5.6 : kOtherTrack + 5.6;
                const double post = side < 0 ? -3.8 : kOtherTrack + 3.8;
                for (double m = roofStart; m < roofEnd; m += 9) {
                    FrontFace(m, post - 0.12, post + 0.12, 1.05, 3.9, Rgb(110, 112, 118));
                }
                AlongFace(roofStart, roofEnd, inner, 3.95, outer, 4.1, Rgb(96, 98, 104), -0.5);
                AlongFace(roofStart, roofEnd, inner, 3.95, inner, 4.35, Rgb(200, 202, 206), -0.6);
                FrontFace(roofStart, std::min(inner, outer), std::max(inner, outer), 3.9, 4.35,
                          Rgb(180, 182, 186), -0.7);
            }
            // The station building behind the cab-side platform.
            const double b0 = s.stopMetres - 75 - camera, b1 = s.stopMetres - 30 - camera;
            AlongFace(b0, b1, -6.2, 0, -6.2, 6.5, Rgb(210, 204, 188), 0.0, 6);
            AlongFace(b0, b1, -6.2, 6.5, -12, 6.9, Rgb(90, 96, 110), 0.0, 6);
            FrontFace(b0, -14, -6.2, 0, 6.5, Rgb(224, 218, 202));
            for (double w = b0 + 4; w < b1 - 3; w += 6) {
                AlongFace(w, w + 2.5, -6.15, 3.6, -6.15, 5.2, Rgb(96, 118, 140), -0.1, 6);
            }
        }
        for (const Person& p : people) {
            const double z = p.metres - camera;
            if (z < kNear || z > 400) continue;
            FrontFace(z, p.across - 0.22, p.across + 0.22, 1.05, 1.05 + p.height * 0.82, p.colour);
            Ellipse(z, p.across, 1.05 + p.height * 0.9, 0.12, Fog(Rgb(60, 44, 36), z), 1.0f);
        }
    }

    void AddTunnels() {
        for (const Stretch& t : route.tunnels) {
            const double za = t.start - camera;
            const double zb = t.end - camera;
            if (zb < kNear || za > kFar) continue;
            const bool inside = za < kNear;
            if (!inside) AddHill(za, zb);
            const double step = 8;
            for (double z0 = std::max(za, kNear - 0.01); z0 < zb; z0 += step) {
                const double z1 = std::min(z0 + step, zb);
                const double m = camera + 0.5 * (z0 + z1);
                const double light =
                    std::exp(-std::min(m - t.start, t.end - m) / 30.0) * 0.55 + 0.3;
                const int ring = static_cast<int>(std::floor((camera + z0) / step));
                const double joint = (ring % 2 == 0) ? 1.0 : 0.93;
                for (size_t k = 0; k + 1 < tunnelSection.size(); ++k) {
                    const auto& p = tunnelSection[k];
                    const auto& q = tunnelSection[k + 1];
                    const double upward = 0.5 * (p[1] + q[1]) / 9.2;
                    const uint32_t colour =
                        Shade(Rgb(112, 108, 100),
                              static_cast<float>(light * joint * (1.05 - 0.35 * upward)));
                    const double zFar = std::min(z1, kFar);
                    Polygon(
                        static_cast<float>(z1),
                        {Project(std::max(z0, kNear), p[0], p[1]),
                         Project(std::max(z0, kNear), q[0], q[1]), Project(zFar, q[0], q[1]),
                         Project(zFar, p[0], p[1])},
                        Shade(colour, static_cast<float>(inside ? std::exp(-z0 / 260.0) : 1.0)));
                }
            }
            // Lamps on the left wall, every 16 m.
            for (double m = std::ceil(t.start / 16) * 16; m < t.end; m += 16) {
                const double z = m - camera;
                if (z < kNear) continue;
                Ellipse(z, -2.6, 3.6, 0.7, Rgb(255, 226, 160), 0.22f, 0.0, -0.5);
                FrontFace(z, -2.68, -2.3, 3.5, 3.7, Rgb(255, 246, 214), -0.6);
            }
            if (!inside) AddPortal(za);
        }
    }

    // The hillside the tunnel runs into: three ridges rising behind each other,
    // drawn behind the whole tunnel, the nearest in upright strips that leave
    // the portal's place open.
    void AddHill(double za, double zb) {
        struct Ridge {
            double distance;
            std::vector<std::array<double, 2>> profile;
        };
        const Ridge ridges[] = {
            {140, {{-260, -1}, {-150, 20}, {-60, 42}, {20, 50}, {90, 40}, {200, 18}, {300, -1}}},
            {50, {{-150, -1}, {-80, 15}, {-30, 26}, {10, 30}, {50, 25}, {100, 12}, {170, -1}}},
            {0, {{-70, -1}, {-34, 9}, {-11, 14}, {14.5, 15}, {36, 10}, {75, -1}}},
        };
        float depth = static_cast<float>(zb + 8);
        for (const Ridge& ridge : ridges) {
            const double z = za + ridge.distance;
            const uint32_t green = Fog(Shade(Rgb(62, 96, 54), 0.85f + 0.001f * ridge.distance), z);
            for (size_t i = 0; i + 1 < ridge.profile.size(); ++i) {
                const auto& a = ridge.profile[i];
                const auto& b = ridge.profile[i + 1];
                const bool overPortal = ridge.distance == 0 && a[0] >= -11 && b[0] <= 14.5;
                const double bottom = overPortal ? 11.9 : -1;
                Polygon(depth,
                        {Project(z, a[0], bottom), Project(z, a[0], std::max(a[1], bottom)),
                         Project(z, b[0], std::max(b[1], bottom)), Project(z, b[0], bottom)},
                        green);
            }
            for (size_t i = 0; i + 1 < ridge.profile.size(); ++i) {
                const auto& a = ridge.profile[i];
                for (int k = 0; k < 4; ++k) {
                    const double t = (k + 0.5) / 4;
                    const auto& b = ridge.profile[i + 1];
                    const double x = a[0] + (b[0] - a[0]) * t;
                    const double h = a[1] + (b[1] - a[1]) * t;
                    if (h < 2) continue;
                    Ellipse(z, x, h - 0.5, 2.5 + ridge.distance * 0.02, Fog(Rgb(50, 82, 46), z),
                            1.0f, 0.0, depth - z);
                }
            }
            depth -= 1;
        }
    }

    void AddPortal(double za) {
        const uint32_t face = Rgb(156, 152, 142);
        FrontFace(za, -11, -2.7, -0.3, 12, face, -0.5);
        FrontFace(za, 6.5, 14.5, -0.3, 12, face, -0.5);
        for (size_t k = 1; k + 2 < tunnelSection.size(); ++k) {
            const auto& p = tunnelSection[k];
            const auto& q = tunnelSection[k + 1];
            Polygon(static_cast<float>(za - 0.5),
                    {Project(za, p[0], p[1]), Project(za, q[0], q[1]), Project(za, q[0], 12),
                     Project(za, p[0], 12)},
                    Fog(face, za));
        }
        FrontFace(za, -11, 14.5, 11.4, 12, Rgb(120, 118, 110), -0.55);
    }

    void AddBridge() {
        const double z0 = route.bridge.start - camera;
        const double z1 = route.bridge.end - camera;
        if (z1 < kNear || z0 > kFar) return;
        const uint32_t steel = Rgb(112, 58, 46);
        AlongFace(z0, z1, -2.0, -0.9, -2.0, 1.5, steel, -0.1, 5);
        AlongFace(z0, z1, -2.0, 1.5, -2.35, 1.5, Shade(steel, 1.25f), -0.15, 5);
        AlongFace(z0, z1, 5.8, -0.9, 5.8, 1.5, Shade(steel, 0.85f), -0.1, 5);
        FrontFace(z0, -2.35, -2.0, -0.9, 1.5, Shade(steel, 0.9f), -0.2);
        FrontFace(z0, 5.8, 6.15, -0.9, 1.5, Shade(steel, 0.9f), -0.2);
        for (double m = route.bridge.start + 2.5; m < route.bridge.end; m += 2.5) {
            const double z = m - camera;
            Line(z, -2.0, -0.8, z, -2.0, 1.45, Shade(steel, 0.7f), 0.06, -0.3);
            Line(z, 5.8, -0.8, z, 5.8, 1.45, Shade(steel, 0.6f), 0.06, -0.3);
        }
    }

    void AddCrossings() {
        const bool lit = (frame / 12) % 2 == 0;
        for (const PointSite& c : route.crossings) {
            const double z = c.metres - camera;
            if (z < -10 || z > 700) continue;
            // Barrier arms lowered along the road's edges, yellow and black.
            for (double across : {-4.6, kOtherTrack + 4.6}) {
                for (int stripe = 0; stripe < 8; ++stripe) {
                    const double za = z - 3.2 + 0.8 * stripe;
                    AlongFace(za, za + 0.8, across, 0.95, across, 1.08,
                              stripe % 2 == 0 ? Rgb(232, 196, 30) : Rgb(30, 30, 30), -0.3);
                }
            }
            for (auto [dz, across] : {std::pair{-4.2, -3.6}, std::pair{4.2, kOtherTrack + 3.6}}) {
                const double zp = z + dz;
                FrontFace(zp, across - 0.07, across + 0.07, 0, 3.3, Rgb(210, 210, 206));
                FrontFace(zp, across - 0.55, across + 0.55, 2.15, 2.45, Rgb(30, 30, 30), -0.01);
                for (int k = 0; k < 2; ++k) {
                    const double lamp = across + (k == 0 ? -0.4 : 0.4);
                    const bool on = (k == 0) == lit;
                    Ellipse(zp, lamp, 2.3, 0.13, on ? Rgb(255, 40, 30) : Rgb(90, 20, 20), 1.0f, 0.8,
                            -0.02);
                    if (on) Ellipse(zp, lamp, 2.3, 0.4, Rgb(255, 80, 60), 0.3f, 2.0, -0.03);
                }
            }
        }
    }

    void AddSignals() {
        for (size_t i = 0; i < route.signals.size(); ++i) {
            const SignalSite& s = route.signals[i];
            const double z = s.metres - camera;
            // The ATS transponder between the rails at the alarm point.
            const double za = s.alarmMetres - camera;
            if (s.type > 0)
                AlongFace(za - 0.3, za + 0.3, -0.25, 0.12, 0.25, 0.12, Rgb(220, 190, 40), 1.0, 1);
            if (z < kNear || z > 900) continue;
            const double across = -2.3;
            FrontFace(z, across - 0.08, across + 0.08, 0, 4.0, Rgb(150, 150, 148));
            if (s.type == 0) {
                Ellipse(z, across, 4.3, 0.45, Fog(Rgb(24, 24, 26), z), 1.0f, 0.0, -0.01);
                for (int k = -1; k <= 1; ++k) {
                    Ellipse(z, across, 4.3 + 0.27 * k, 0.08, Rgb(250, 250, 240), 1.0f, 0.7, -0.02);
                }
                continue;
            }
            const int lamps = s.type == 1 ? 2 : s.type == 2 ? 3 : s.type == 5 ? 5 : 4;
            const double pitch = 0.3;
            const double top = 4.0 + pitch * lamps + 0.1;
            FrontFace(z, across - 0.24, across + 0.24, 4.0, top, Rgb(22, 22, 24), -0.01);
            // Lamps from the top; the one lit shows what the signal showed when filmed.
            const bool caution = s.type == 1;
            const int litLamp = caution ? 0 : (lamps == 3 ? 0 : 1);
            for (int k = 0; k < lamps; ++k) {
                const double h = top - 0.05 - pitch * (k + 0.5);
                if (k == litLamp) {
                    const uint32_t glow = caution ? Rgb(255, 196, 40) : Rgb(60, 255, 150);
                    Ellipse(z, across, h, 0.1, glow, 1.0f, 0.9, -0.03);
                    Ellipse(z, across, h, 0.35, glow, 0.3f, 2.2, -0.04);
                } else {
                    Ellipse(z, across, h, 0.1, Rgb(50, 52, 50), 1.0f, 0.0, -0.02);
                }
            }
        }
    }

    void AddBoards() {
        for (const Board& b : boards) {
            const double z = b.metres - camera;
            if (z < kNear || z > 600 || !b.picture) continue;
            if (b.post) {
                FrontFace(z, b.across - 0.05, b.across + 0.05, 0, b.bottom, Rgb(220, 220, 216));
            }
            Sprite(z, b.across - b.width / 2, b.across + b.width / 2, b.bottom, b.top, *b.picture,
                   -0.01);
        }
    }

    void AddHouses() {
        for (const House& h : houses) {
            const double zn = h.near - camera;
            const double zf = h.far - camera;
            if (zf < kNear || zn > kFar) continue;
            const double lo = std::min(h.inner, h.outer), hi = std::max(h.inner, h.outer);
            const float bias = static_cast<float>(zn - 0.5 * (zn + zf));
            // Side facing the track, roof, then the face toward the cab.
            AlongFace(zn, zf, h.inner, 0, h.inner, h.wall, Shade(h.wallColour, 0.82f), bias, 10);
            if (zf - zn > 2) {
                const int floors = static_cast<int>(h.wall / 3);
                for (int f = 0; f < floors; ++f) {
                    const double wh = 1.0 + 3.0 * f;
                    AlongFace(zn + 1.5, zn + 3.5, h.inner, wh, h.inner, wh + 1.2, Rgb(92, 108, 126),
                              bias - 0.1, 10);
                    AlongFace(zf - 3.5, zf - 1.5, h.inner, wh, h.inner, wh + 1.2, Rgb(92, 108, 126),
                              bias - 0.1, 10);
                }
            }
            const double ridge = 0.5 * (h.inner + h.outer);
            if (h.block) {
                AlongFace(zn, zf, lo, h.wall, hi, h.wall, Rgb(150, 150, 150), bias - 0.2, 10);
            } else {
                AlongFace(zn, zf, h.inner, h.wall, ridge, h.wall + h.roof, h.roofColour, bias - 0.2,
                          10);
            }
            if (zn < kNear) continue;
            FrontFace(zn, lo, hi, 0, h.wall, h.wallColour, -0.3);
            if (!h.block) {
                Polygon(static_cast<float>(zn - 0.35),
                        {Project(zn, lo - 0.3, h.wall - 0.2), Project(zn, ridge, h.wall + h.roof),
                         Project(zn, hi + 0.3, h.wall - 0.2)},
                        Fog(h.roofColour, zn));
            }
            const int floors = std::max(1, static_cast<int>(h.wall / 3));
            const int columns = std::max(2, static_cast<int>((hi - lo) / 3.2));
            for (int f = 0; f < floors; ++f) {
                for (int k = 0; k < columns; ++k) {
                    const double x0 = lo + (hi - lo) * (k + 0.25) / columns;
                    const double x1 = lo + (hi - lo) * (k + 0.75) / columns;
                    FrontFace(zn, x0, x1, 1.0 + 3.0 * f, 2.2 + 3.0 * f, Rgb(92, 108, 126), -0.4);
                }
            }
        }
        for (const Tree& t : trees) {
            const double z = t.metres - camera;
            if (z < kNear || z > kFar) continue;
            FrontFace(z, t.across - 0.15, t.across + 0.15, 0, t.height * 0.5, Rgb(90, 70, 50));
            Ellipse(z, t.across, t.height * 0.62, t.radius, Fog(t.colour, z), 1.0f, 0.0, -0.01);
            Ellipse(z, t.across - t.radius * 0.3, t.height * 0.7, t.radius * 0.6,
                    Fog(Shade(t.colour, 1.15f), z), 1.0f, 0.0, -0.02);
        }
    }

    // The oncoming train on the other track, moving toward the cab.
    void AddOncomingTrain() {
        const PassingTrainSite& p = route.passingTrain;
        if (p.speedKmh <= 0) return;
        const double front = p.meet.metres + p.speedKmh / 3.6 * (p.meet.frame - frame) / 30.0;
        const double z0 = front - camera;
        const double z1 = z0 + 80;
        if (z1 < kNear || z0 > 700) return;
        const double inner = kOtherTrack - 1.45, outer = kOtherTrack + 1.45;
        const uint32_t body = Rgb(198, 202, 206);
        AlongFace(z0, z1, inner, 0.35, inner, 0.95, Rgb(44, 44, 46), -0.2, 10);
        AlongFace(z0, z1, inner, 0.95, inner, 3.9, Shade(body, 0.9f), -0.2, 10);
        AlongFace(z0, z1, inner - 0.01, 1.55, inner - 0.01, 1.8, Rgb(30, 120, 70), -0.3, 10);
        for (double car = 0; car < 80; car += 20) {
            for (double w = 2; w < 19; w += 3.4) {
                AlongFace(z0 + car + w, z0 + car + w + 2.2, inner - 0.02, 2.1, inner - 0.02, 3.0,
                          Rgb(50, 62, 76), -0.4, 10);
            }
        }
        if (z0 < kNear) return;
        FrontFace(z0, inner, outer, 0.35, 3.95, body, -0.5);
        FrontFace(z0, inner + 0.2, outer - 0.2, 2.1, 3.1, Rgb(40, 52, 66), -0.55);
        FrontFace(z0, inner, outer, 1.55, 1.8, Rgb(30, 120, 70), -0.55);
        for (double lamp : {inner + 0.45, outer - 0.45}) {
            Ellipse(z0, lamp, 1.2, 0.12, Rgb(255, 250, 220), 1.0f, 0.8, -0.6);
            Ellipse(z0, lamp, 1.2, 0.5, Rgb(255, 246, 200), 0.25f, 2.0, -0.61);
        }
    }

    // ---- a frame --------------------------------------------------------

    void Draw(Canvas& canvas) {
        std::stable_sort(items.begin(), items.end(),
                         [](const Item& a, const Item& b) { return a.depth > b.depth; });
        for (const Item& item : items) {
            switch (item.kind) {
                case Item::Kind::Polygon:
                    polygon.assign(item.p.begin(), item.p.begin() + item.count);
                    canvas.FillPolygon(polygon, item.colour, item.alpha);
                    break;
                case Item::Kind::Line:
                    canvas.DrawLine(item.p[0], item.p[1], item.colour, item.width,
                                    std::min(1.0f, item.alpha));
                    break;
                case Item::Kind::Ellipse:
                    canvas.FillEllipse(item.p[0].x, item.p[0].y, item.p[1].x, item.p[1].y,
                                       item.colour, item.alpha);
                    break;
                case Item::Kind::Sprite:
                    canvas.DrawSprite(*item.sprite, item.p[0].x, item.p[0].y, item.p[1].x,
                                      item.p[1].y, item.colour, item.tint);
                    break;
            }
        }
    }

    void Render(int32_t n, Picture& out) {
        frame = n;
        camera = route.MetresAt(n);
        PrepareBend();
        out.width = width;
        out.height = height;
        out.pixels.resize(static_cast<size_t>(width) * height);
        Canvas canvas(out);
        DrawSky(canvas);
        DrawGround(canvas);
        items.clear();
        AddHouses();
        AddMasts();
        AddPlatforms();
        AddBridge();
        AddCrossings();
        AddSignals();
        AddBoards();
        AddTunnels();
        AddOncomingTrain();
        Draw(canvas);
    }
};

SceneRenderer::SceneRenderer(const Route& route, std::vector<Board> boards, int32_t width,
                             int32_t height)
    : world_(std::make_unique<World>(route, std::move(boards), width, height)) {}

SceneRenderer::~SceneRenderer() = default;

void SceneRenderer::Render(int32_t frame, Picture& out) {
    world_->Render(frame, out);
}

}  // namespace kelvaron::demo
