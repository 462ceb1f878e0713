#include "app/review_on_demand.h"

#include <dlfcn.h>

#include "app/program_handover.h"
#include "gui/review_module.h"

namespace kelvaron {

bool WriteReviewOnDemand(const RunReview& review, const RunSummary& summary,
                         const std::filesystem::path& file, std::string* error) {
    if (ReviewFileKindOf(file) == ReviewFileKind::Csv) return review.WriteCsvFile(file, error);
    const auto fail = [&](const std::string& why) {
        *error = std::string("kelvaron: cannot load the review module ") + why;
        return false;
    };
    const auto module = FindCompanionFile(kReviewModuleFile);
    if (!module) return fail(std::string(kReviewModuleFile) + ": not found");
    // Never closed: the program ends soon after the picture is written.
    void* handle = dlopen(module->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return fail(dlerror());
    auto write = reinterpret_cast<ReviewModuleWriter>(dlsym(handle, kReviewModuleWriter));
    if (write == nullptr) return fail(module->string() + ": no writer");
    return write(review.Plot(summary), file, error);
}

}  // namespace kelvaron
