#include "run/track_signs.h"

#include <cmath>

#include "data/panel_ops.h"
#include "run/blink.h"

namespace kelvaron {

void SpeedLimitBlinking(RunContext& run) {
    if (run.state.LimitWarning) Blink(run.panel, "SpeedLimitImage", run.state.RefreshCount);
}

void Tunnels(RunContext& run) {
    bool inside = false;
    for (const auto& t : run.line.Tunnel) {
        if (t.StartFrame < run.state.Frame && run.state.Frame < t.EndFrame) inside = true;
    }
    run.panel.SetVisible("Panel2", inside);
}

void SpeedLimits(RunContext& run) {
    RunState& s = run.state;
    const long double v = SpeedKmh(s);
    const long double rate = static_cast<long double>(run.train.BrakeRate) / kFixed4Scale;
    bool active = false;
    const auto& limits = run.line.SpeedLimit;
    const TrackLookups& lookups = run.line.Lookups;
    const RecordSet near =
        RecordSet::Union(lookups.LimitApproaches.At(static_cast<double>(s.Distance), limits.size()),
                         lookups.LimitsInForce.At(s.Frame, limits.size()));
    near.ForEach(limits.size(), [&](size_t i) {
        const SpeedLimitData& e = limits[i];
        const long double d = e.LimitPosition - s.Distance;
        if (0 < d && d < kLimitApproachRange) {
            const long double limit = e.LimitSpeed;
            // Braking distance at 60 % of the brake rate; without a brake rate
            // only the frame window below warns.
            const long double braking = ((v - limit) / (0.6L * rate)) * ((v + limit) / 2 / 3.6L);
            const bool withinBraking = rate > 0 && d / 100 - 100 < braking;
            const bool justBefore = e.StartFrame - 100 < s.Frame && s.Frame < e.StartFrame;
            if (withinBraking || justBefore) {
                if (!s.LimitWarning) {
                    DrawImageListEntry(run.panel, "SpeedLimitImage", run.images.OtherImageList,
                                       e.Image);
                }
                s.ShownLimitImage = e.Image;
                s.LimitWarning = true;
                active = true;
            }
        }
        if (e.StartFrame < s.Frame && s.Frame < e.EndFrame) {
            s.LimitWarning = false;
            run.panel.SetVisible("SpeedLimitImage", true);
            if (e.LimitSpeed != s.ShownLimit) {
                DrawImageListEntry(run.panel, "SpeedLimitImage", run.images.OtherImageList,
                                   e.Image);
            }
            s.ShownLimit = e.LimitSpeed;
            active = true;
        }
    });
    if (!active) {
        run.panel.SetPicture("SpeedLimitImage", nullptr);
        s.ShownLimit = 0;
    }
}

void SignsAndTimeChecks(RunContext& run) {
    RunState& s = run.state;
    bool active = false;
    const auto& signs = run.line.Sign;
    run.line.Lookups.Signs.At(s.Frame, signs.size()).ForEach(signs.size(), [&](size_t i) {
        const SignData& sign = signs[i];
        if (sign.StartFrame <= s.Frame && s.Frame < sign.EndFrame) {
            active = true;
            if (s.PromptImage == kNone) {
                DrawImageListEntry(run.panel, "OtherImage", run.images.OtherImageList, sign.Image);
                s.PromptImage = sign.Image;
            }
        }
    });
    const auto& checks = run.line.Time;
    run.line.Lookups.TimeChecks.At(s.Frame, checks.size()).ForEach(checks.size(), [&](size_t i) {
        const TimeCheckData& check = checks[i];
        if (check.StartFrame < s.Frame && s.Frame < check.EndFrame && SpeedKmh(s) > 1 &&
            s.RemainingDistance > 10000) {
            active = true;
            if (s.PromptImage == kNone) {
                DrawImageListEntry(run.panel, "OtherImage", run.images.OtherImageList, 0);
                s.PromptImage = check.Kind == 0 ? kTimeCheckPrompt0 : kTimeCheckPrompt1;
            }
        }
    });
    if (!active) {
        run.panel.SetPicture("OtherImage", nullptr);
        s.PromptImage = kNone;
    }
}

void StopLineMarker(RunContext& run) {
    auto* marker = run.panel.Find("stopline");
    if (!marker) return;
    const long double r = run.state.RemainingDistance / 100;
    if (-100 < r && r < 200)
        marker->top = 232 - static_cast<int32_t>(Round(1.2L * r));
    else if (r < -100)
        marker->top = 366;
    else if (r >= 200)
        marker->top = -20;
}

}  // namespace kelvaron
