#pragma once

#include <filesystem>
#include <string>

#include "shell/run_review.h"
#include "shell/run_summary.h"

namespace kelvaron {

// Writes a run's review file: CSV here; a PNG or SVG picture through the
// review module, loaded only then, so that a run without a picture never
// loads Qt's painting and SVG code. False with the reason in `error`.
bool WriteReviewOnDemand(const RunReview& review, const RunSummary& summary,
                         const std::filesystem::path& file, std::string* error);

}  // namespace kelvaron
