#pragma once

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "run/run_context.h"
#include "shell/run_summary.h"

namespace kelvaron {

// What a review is exported as, by the file name's extension.
enum class ReviewFileKind { Csv, Png, Svg, Unknown };
inline ReviewFileKind ReviewFileKindOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".csv") return ReviewFileKind::Csv;
    if (extension == ".png") return ReviewFileKind::Png;
    if (extension == ".svg") return ReviewFileKind::Svg;
    return ReviewFileKind::Unknown;
}

struct ReviewPlot;

// A look back at one run over the distance driven: what the train did at
// every refresh, what it met on the way, and a score with how it was
// counted. Gathered refresh by refresh beside the run summary, whose station
// and protection results it places along the line.
class RunReview {
  public:
    // The run at one refresh. Distances are metres along the line.
    struct Sample {
        int64_t tMs = 0;
        int32_t clockTicks = 0;
        double distanceM = 0;
        double speedKmh = 0;
        int32_t limitKmh = 0;              // the speed limit in force, 0 none
        std::optional<double> patternKmh;  // braking pattern: brakes above this
        std::optional<double> warningKmh;  // ... and warns above this
        int32_t powerNotch = 0;
        int32_t brakeNotch = 0;      // 0 … -[Brake], the emergency position last
        bool forcedBraking = false;  // the protection holds the brake
    };
    // A signal with the aspect it showed when the train reached it.
    struct SignalMark {
        std::string name;
        double distanceM = 0;
        std::string aspect;  // R, YY, Y, YG, G, or C for a repeater's caution
    };
    // A station of the summary at its stop position.
    struct StationMark {
        std::string name;
        double distanceM = 0;
        std::string result;  // e.g. "+0.42 m, +11.7 s"; empty when not reached
    };
    // An alarm or a forced braking where it began.
    struct ProtectionMark {
        std::string what;
        double distanceM = 0;
        int32_t clockTicks = 0;
    };
    // One part of the score: points out of 25 and how they were counted.
    struct ScorePart {
        std::string name;
        int points = 0;
        std::string counted;
    };

    // Called after every refresh, after the summary has seen it.
    void Observe(int64_t tMs, const RunContext& run);

    const std::string& LineName() const { return lineName_; }
    int32_t PowerNotches() const { return powerNotches_; }
    int32_t BrakeNotches() const { return brakeNotches_; }
    const std::vector<Sample>& Samples() const { return samples_; }
    const std::vector<SignalMark>& Signals() const { return signals_; }
    std::vector<StationMark> Stations(const RunSummary& summary) const;
    std::vector<ProtectionMark> Protection(const RunSummary& summary) const;

    std::vector<ScorePart> Score(const RunSummary& summary) const;
    // The score as text, its total first: what the window and the runner show.
    std::vector<std::string> ScoreLines(const RunSummary& summary) const;

    // Everything a drawing of the review shows, as plain values.
    ReviewPlot Plot(const RunSummary& summary) const;

    // One row per refresh, for spreadsheets.
    void WriteCsv(std::ostream& out) const;
    // The same into a file; false with the reason in `error` when it cannot.
    bool WriteCsvFile(const std::filesystem::path& file, std::string* error) const;

  private:
    void ObserveSignals(const RunContext& run, double distanceM);

    std::string lineName_;
    int32_t powerNotches_ = 0, brakeNotches_ = 0;
    std::vector<double> stopPositionsM_;
    std::vector<Sample> samples_;
    std::vector<SignalMark> signals_;
    // Per signal: the aspect last shown (-1 not yet seen) and whether it is marked.
    std::vector<int32_t> signalAspect_;
    std::vector<bool> signalMarked_;
};

// What a drawing of a review shows. Plain values, so that a drawing needs
// nothing from the run's code.
struct ReviewPlot {
    std::string lineName;
    int32_t powerNotches = 0, brakeNotches = 0;
    std::vector<RunReview::Sample> samples;
    std::vector<RunReview::SignalMark> signalMarks;
    std::vector<RunReview::StationMark> stationMarks;
    std::vector<RunReview::ProtectionMark> protectionMarks;
    std::vector<std::string> scoreLines;
};

}  // namespace kelvaron
