#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gps_track.h"
#include "studio/speed_fitting.h"

namespace kelvaron {

// The video beside a GPS track: its length and rate, and which of its frames
// stand still (from the video's own motion), when known.
struct VideoTiming {
    int32_t frameCount = 0;
    double framesPerSecond = 30;
    std::vector<bool> still;  // per frame; empty when not measured
};

// Points must be in time order, with no time twice: a track that was joined
// from several recordings or whose clock jumped is named by its file line.
std::optional<std::string> CheckGpsTrack(const GpsTrack& track);

// The offset, in seconds from the track's first point to the video's first
// frame, that best lines up the track's standstills with the video's still
// frames. Empty with a reason when the video has no still frames measured or
// the track has no standstill to line up with.
std::optional<double> FindGpsOffset(const GpsTrack& track, const VideoTiming& video,
                                    std::string& error);

// The filming speed of every frame from the track, the video's first frame
// being `offset` seconds after the track's first point. Frames the video
// shows standing are standing. Empty with a reason when the track does not
// cover the video or has a gap of more than `maxGapSeconds` while it runs.
std::optional<SpeedProfile> GpsSpeedProfile(const GpsTrack& track, double offset,
                                            const VideoTiming& video, std::string& error,
                                            double maxGapSeconds = 10);

}  // namespace kelvaron
