#pragma once

#include <filesystem>
#include <string>

#include "cab_design.h"

namespace kelvaron::demo {

// Draws every picture a cab panel names: the desk (plain and lit), its lamps,
// needles, notch and gear pictures, the read-out plate and the badge, and the
// stop-position marker. False with the file in `error` when one cannot be saved.
bool DrawCabPictures(const std::filesystem::path& outDir, const CabDesign& design,
                     std::string& error);

}  // namespace kelvaron::demo
