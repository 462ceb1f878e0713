#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/optical_flow.h"
#include "studio/speed_fitting.h"

namespace kelvaron {

// What the speed estimate keeps of a video's optical flow: for every frame,
// the vertical motion of each horizontal band of the picture, in picture
// heights, over the frames its measurement covers (frame 0 has none; not a
// number where the flow could not tell). Motion well under a pixel reads low,
// so slow stretches are measured over several frames, each measurement kept
// with the last of them; the frames before it hold none.
//
// A camera at height h looking along a level track sees a point of the track
// bed at distance Z on the row y = yh + f h / Z below the horizon yh. Moving
// forward by d, the point moves down from r = y - yh to r' = f h / (Z - d),
// so d / (f h) = 1 / r - 1 / r' = (r' - r) / (r r'). Every band of the track
// bed gives the same distance over the constant f h: the camera's height, its
// lens and the track's texture do not enter, and one span of known length sets
// the scale.
struct FlowRecord {
    static constexpr int32_t kBands = 120;
    // The most frames one measurement covers: a second at 30 frames a second.
    static constexpr int32_t kMostCovered = 30;
    double framesPerSecond = 30;
    std::vector<float> bands;           // frame after frame, kBands each, top to bottom
    std::vector<uint8_t> measuredOver;  // per frame: the frames its measurement covers, or 0

    int32_t FrameCount() const { return static_cast<int32_t>(measuredOver.size()); }
    // Appends a frame: the median vertical motion of each band over the width
    // (the textured sides count as much as the track, whose sleepers repeat),
    // measured from `covered` frames before. An empty field appends a frame
    // without motion.
    void Append(const FlowField& field, int32_t covered = 1);
    // Appends a frame whose motion the measurement of a later frame covers.
    void AppendCovered();
};

// The motion of the camera along the track, frame by frame, up to a scale.
struct TrackMotion {
    double framesPerSecond = 30;
    double horizon = 0;           // picture heights from the top
    std::vector<double> forward;  // per frame, from the frame before; (y - yh)^2 units
    std::vector<bool> still;      // per frame: part of a stretch standing still
};

// Finds the horizon that makes the bands' motion fit the track-bed geometry
// best over the moving frames, then each frame's forward motion from the bands
// below it. Bands that never move (the cab's own parts, the sky) and bands whose
// motion does not fit (things standing beside the track, failed matches) do not
// count. Empty with a reason when the video shows too little motion.
std::optional<TrackMotion> EstimateTrackMotion(const FlowRecord& record, std::string& error);

// Two frames and the metres between them (kilometre posts, a platform's length).
struct KnownSpan {
    int32_t from = 0;
    int32_t to = 0;
    double metres = 0;
};

// The filming speed of every frame, its scale set by the spans (least squares
// over all of them). Empty with a reason when a span lies outside the video,
// does not run forwards, or the camera did not move along it.
std::optional<SpeedProfile> CalibratedSpeedProfile(const TrackMotion& motion,
                                                   const std::vector<KnownSpan>& spans,
                                                   std::string& error);

}  // namespace kelvaron
