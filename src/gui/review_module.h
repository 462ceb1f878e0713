#pragma once

#include <filesystem>
#include <string>

namespace kelvaron {

struct ReviewPlot;

// The review's pictures built as a module of their own (kelvaron-review.so),
// so that the headless runner loads Qt's SVG and painting code only when it
// is asked for a picture. The module takes plain values and calls nothing of
// the program's.
inline constexpr const char* kReviewModuleFile = "kelvaron-review.so";
inline constexpr const char* kReviewModuleWriter = "KelvaronWriteReviewPicture";
using ReviewModuleWriter = bool (*)(const ReviewPlot&, const std::filesystem::path&, std::string*);

}  // namespace kelvaron
