#include "gui/review_module.h"

#include <type_traits>

#include "gui/review_picture.h"

// The module's one entry point.
extern "C" bool KelvaronWriteReviewPicture(const kelvaron::ReviewPlot& plot,
                                           const std::filesystem::path& file, std::string* error) {
    return kelvaron::WriteReviewPicture(plot, file, error);
}

static_assert(std::is_same_v<decltype(&KelvaronWriteReviewPicture), kelvaron::ReviewModuleWriter>);
