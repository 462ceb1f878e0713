#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "route.h"
#include "scene.h"

namespace kelvaron::demo {

// Renders frames 0 .. frames-1 of the cab view at the given size and encodes
// them as MPEG-4 in AVI (small, and quick to decode in order), rendering the
// next frame while the last one is encoded. False with a reason in `error`.
bool WriteCabVideo(const std::filesystem::path& file, const Route& route,
                   const std::vector<Board>& boards, int32_t width, int32_t height, int32_t frames,
                   std::string& error);

// The still picture shown before the run starts: the view at the start.
bool WriteStillPicture(const std::filesystem::path& file, const Route& route,
                       const std::vector<Board>& boards, std::string& error);

// The six title pictures (640 x 480 scenes of the line with the title) and
// the short opening movie.
bool WriteTitlePictures(const std::filesystem::path& outDir, const Route& route,
                        const std::vector<Board>& boards, std::string& error);
bool WriteOpeningMovie(const std::filesystem::path& file, const Route& route,
                       const std::vector<Board>& boards, std::string& error);

// A strip of sample cab-view frames side by side, `height` pixels high.
bool WriteFrameStrip(const std::filesystem::path& file, const Route& route,
                     const std::vector<Board>& boards, const std::vector<int32_t>& frames,
                     int32_t height, std::string& error);

}  // namespace kelvaron::demo
