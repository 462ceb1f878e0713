#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvaron {

// One recorded position of a GPS track.
struct GpsPoint {
    double time = 0;  // seconds since 1970-01-01 UTC
    double latitude = 0;
    double longitude = 0;
    int64_t sourceLine = 0;  // line of the file it came from, for messages
};

struct GpsTrack {
    std::vector<GpsPoint> points;  // in file order
};

// Reads the track points of a GPS exchange file (GPX 1.1: every trkpt of every
// track segment, with its time). Empty with a message naming the file's line
// when the file is not well-formed or a point lacks a position or a time.
class GpsTrackReader {
  public:
    virtual ~GpsTrackReader() = default;
    virtual std::optional<GpsTrack> Read(const std::filesystem::path& file, std::string& error) = 0;
};

}  // namespace kelvaron
