#pragma once

#include "platform/gps_track.h"

namespace kelvaron {

// GPX through Qt's XML stream reader: entities, namespaces and encodings are
// the XML reader's business, not ours.
class QtGpxReader : public GpsTrackReader {
  public:
    std::optional<GpsTrack> Read(const std::filesystem::path& file, std::string& error) override;
};

}  // namespace kelvaron
