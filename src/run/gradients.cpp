#include "run/gradients.h"

#include <algorithm>
#include <cmath>

#include "common/common_util.h"
#include "data/panel_ops.h"

namespace kelvaron {

void GradientSampling(RunContext& run) {
    RunState& s = run.state;
    if (std::fabs(s.Distance - s.LastSampleDistance) <= 2000) return;
    s.LastSampleDistance = s.Distance;
    // The car count is checked when the train file is read; bound it again
    // here so a hand-made configuration can never index past the samples.
    const int cars = std::clamp<int32_t>(run.train.Cars, 1, kMaxGradientCars);
    for (int k = cars - 1; k >= 1; --k)
        s.GradientSample[static_cast<size_t>(k + 1)] = s.GradientSample[static_cast<size_t>(k)];
    s.GradientSample[1] =
        static_cast<int32_t>(Round(static_cast<long double>(s.CurrentGradient) / kFixed4Scale));
    long double sum = 0;
    for (int k = 1; k <= cars; ++k) sum += s.GradientSample[static_cast<size_t>(k)];
    s.Slope = Round(sum / cars * kFixed4Scale);
}

void GradientSections(RunContext& run) {
    RunState& s = run.state;
    const auto& slopes = run.line.Slope;
    const auto* image = run.panel.Find("SlopeImage");
    run.line.Lookups.Slopes.At(s.Frame, slopes.size()).ForEach(slopes.size(), [&](size_t i) {
        const SlopeData& e = slopes[i];
        if (e.StartFrame < s.Frame && s.Frame < e.EndFrame) {
            if (e.Gradient > 0 && e.Gradient != s.CurrentGradient) {
                DrawImageListEntry(run.panel, "SlopeImage", run.images.SignImageList, 1);
            }
            if (e.Gradient < 0 && e.Gradient != s.CurrentGradient) {
                DrawImageListEntry(run.panel, "SlopeImage", run.images.SignImageList, 2);
            }
            s.CurrentGradient = e.Gradient;
            run.panel.SetText("SlopeText", FormatFixed4(e.Gradient, 1));
        }
        const bool levelAfter = i + 1 < slopes.size()
                                    ? e.EndFrame < s.Frame && s.Frame < slopes[i + 1].StartFrame
                                    : s.Frame > e.EndFrame;
        // A line without gradient pictures must still leave the gradient
        // behind, so a section in force counts as shown whatever was drawn.
        const bool shown = (image && image->picture) || s.CurrentGradient != 0;
        if (levelAfter && shown) {
            run.panel.SetPicture("SlopeImage", nullptr);
            s.CurrentGradient = 0;
            run.panel.SetText("SlopeText", "");
        }
    });
}

}  // namespace kelvaron
