#include "app/desktop/studio_command.h"

#include <cstdio>
#include <iostream>
#include <optional>

#include "app/check_command.h"
#include "common/common_util.h"
#include "data/track_position_table.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/opencv/opencv_optical_flow.h"
#include "platform/qt/qt_gpx_reader.h"
#include "studio/flow_analysis.h"
#include "studio/gps_alignment.h"
#include "studio/speed_fitting.h"
#include "studio/track_flow.h"

namespace kelvaron {

namespace {

struct SpeedOptions {
    std::string video;
    std::optional<std::string> gpx;
    std::optional<double> offset;
    bool flow = false;
    std::vector<KnownSpan> spans;
    double tolerance = kDefaultSpeedTolerance;
};

std::optional<double> Number(const std::string& text) {
    try {
        size_t used = 0;
        const double value = std::stod(text, &used);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<KnownSpan> ParseSpan(const std::string& text) {
    const size_t a = text.find(':');
    const size_t b = a == std::string::npos ? a : text.find(':', a + 1);
    if (b == std::string::npos) return std::nullopt;
    auto first = ParseInt(text.substr(0, a));
    auto second = ParseInt(text.substr(a + 1, b - a - 1));
    auto metres = Number(text.substr(b + 1));
    if (!first || !second || !metres) return std::nullopt;
    return KnownSpan{*first, *second, *metres};
}

int Fail(const std::string& reason) {
    std::cerr << "kelvaron studio speed: " << reason << '\n';
    return 1;
}

// The video's motion, measured once and kept beside it, with progress on stderr.
std::optional<FlowRecord> MeasureMotion(const std::string& file, std::string& error) {
    FfmpegVideoReader reader;
    OpenCvOpticalFlow flow;
    int lastTenth = -1;
    return FlowOfVideo(
        file, reader, flow,
        [&](int32_t done, int32_t total) {
            const int tenth = static_cast<int>(int64_t{done} * 10 / total);
            if (tenth != lastTenth) {
                std::cerr << "measuring the video's motion: " << tenth * 10 << " % (" << done
                          << " of " << total << " frames)\n";
                lastTenth = tenth;
            }
            return true;
        },
        error);
}

int Run(const SpeedOptions& options) {
    std::string error;
    std::optional<SpeedProfile> profile;
    if (options.flow) {
        auto record = MeasureMotion(options.video, error);
        if (!record) return Fail(error);
        auto motion = EstimateTrackMotion(*record, error);
        if (!motion) return Fail(error);
        profile = CalibratedSpeedProfile(*motion, options.spans, error);
        if (!profile) return Fail(error);
    } else {
        QtGpxReader gpx;
        auto track = gpx.Read(*options.gpx, error);
        if (!track) return Fail(error);
        if (auto fault = CheckGpsTrack(*track)) return Fail(*fault);
        VideoTiming timing;
        double offset = 0;
        if (options.offset) {
            FfmpegVideoReader reader;
            if (!reader.Open(options.video)) {
                return Fail(options.video + ": no picture stream that can be read");
            }
            timing.frameCount = reader.FrameCount();
            timing.framesPerSecond = reader.FramesPerSecond();
            offset = *options.offset;
        } else {
            // The offset is found by lining the track's standstills up with the video's.
            auto record = MeasureMotion(options.video, error);
            if (!record) return Fail(error);
            auto motion = EstimateTrackMotion(*record, error);
            if (!motion) return Fail(error);
            timing.frameCount = record->FrameCount();
            timing.framesPerSecond = record->framesPerSecond;
            timing.still = motion->still;
            auto found = FindGpsOffset(*track, timing, error);
            if (!found) return Fail(error);
            offset = *found;
            std::fprintf(stderr, "the video starts %.2f s after the track's first point\n", offset);
        }
        profile = GpsSpeedProfile(*track, offset, timing, error);
        if (!profile) return Fail(error);
    }
    auto fit = FitSpeedUnits(*profile, options.tolerance, error);
    if (!fit) return Fail(error);
    double metres = 0;
    for (const auto& u : fit->units) metres += UnitLength(u).value_or(0) / 100.0;
    std::fprintf(stderr, "%zu filming-speed units within %.2f km/h, %.0f m of line\n",
                 fit->units.size(), fit->tolerance, metres);
    std::cout << SpeedUnitSection(fit->units);
    return 0;
}

}  // namespace

int RunStudioSpeedCommand(const std::vector<std::string>& args) {
    SpeedOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        if (option == "--video" && hasValue) {
            options.video = args[++i];
        } else if (option == "--gpx" && hasValue) {
            options.gpx = args[++i];
        } else if (option == "--offset" && hasValue) {
            options.offset = Number(args[++i]);
            if (!options.offset) return Fail("--offset takes seconds, such as 12.5");
        } else if (option == "--flow") {
            options.flow = true;
        } else if (option == "--span" && hasValue) {
            auto span = ParseSpan(args[++i]);
            if (!span) return Fail("--span takes FIRST:LAST:METRES, such as 120:840:500");
            options.spans.push_back(*span);
        } else if (option == "--tolerance" && hasValue) {
            auto tolerance = Number(args[++i]);
            if (!tolerance || !(*tolerance > 0)) return Fail("--tolerance takes km/h above 0");
            options.tolerance = *tolerance;
        } else {
            std::cerr << "kelvaron studio speed: '" << option << "' is not understood here\n";
            return kUsageExitCode;
        }
    }
    const bool gps = options.gpx.has_value();
    if (options.video.empty() || gps == options.flow || (options.offset && !gps) ||
        (!options.spans.empty() && !options.flow)) {
        std::cerr << "kelvaron studio speed: give --video and either --gpx (with --offset if "
                     "known) or --flow with --span\n";
        return kUsageExitCode;
    }
    return Run(options);
}

}  // namespace kelvaron
