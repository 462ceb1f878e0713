#include "shell/run_review.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "data/track_position_table.h"
#include "run/signal_image_classes.h"
#include "run/train_protection.h"

namespace kelvaron {

namespace {

constexpr int kPartPoints = 25;
// Punctuality: a time within this many seconds of the timetable is kept;
// beyond it a stop loses its share linearly, all of it this much later.
constexpr double kOnTimeSeconds = 15;
constexpr double kLateRangeSeconds = 120;
// Stop accuracy: the same within half a metre, all lost ten metres further.
constexpr double kAccurateMetres = 0.5;
constexpr double kMissRangeMetres = 10;
// Comfort: points lost per jolt; the emergency position by hand is a jolt this heavy.
constexpr int kEmergencyJolt = 3;
// Safety: points lost per alarm and per forced braking.
constexpr int kAlarmPoints = 3;
constexpr int kBrakingPoints = 10;

std::string AspectText(int32_t image) {
    if (IsStopImage(image)) return "R";
    if (IsYYImage(image)) return "YY";
    if (IsYImage(image)) return "Y";
    if (IsYGImage(image)) return "YG";
    if (IsGImage(image)) return "G";
    return "C";  // a repeater showing that the signal ahead restricts
}

std::string Format(const char* format, auto... values) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

// A share of 1 inside `kept`, falling linearly to 0 over `range` beyond it.
double Share(double off, double kept, double range) {
    return std::clamp(1 - (std::abs(off) - kept) / range, 0.0, 1.0);
}

int PartPoints(double shareSum, int count) {
    if (count == 0) return kPartPoints;
    return static_cast<int>(std::lround(kPartPoints * shareSum / count));
}

// A stop-station the train ran through.
bool MissedStop(const RunSummary::StationResult& s) {
    return s.kind != 1 && !s.stopped && s.beyondTicks.has_value() && !s.behindStart && !s.movedPast;
}

}  // namespace

void RunReview::Observe(int64_t tMs, const RunContext& run) {
    const RunState& s = run.state;
    if (samples_.empty()) {
        lineName_ = run.line.LineName;
        powerNotches_ = run.train.Power;
        brakeNotches_ = run.train.Brake;
        stopPositionsM_.clear();
        for (const StationData& station : run.line.Station) {
            // A station where trains pass has no stop position: it stands
            // where the middle of its zone is.
            std::optional<int32_t> at = station.StopPosition;
            if (station.Kind == 1) {
                at = PositionOfFrame(
                    run.line, (static_cast<long double>(station.ZoneStart) + station.ZoneEnd) / 2);
            }
            stopPositionsM_.push_back(at.value_or(station.StopPosition) / 100.0);
        }
        signalAspect_.assign(run.line.Signal.size(), -1);
        signalMarked_.assign(run.line.Signal.size(), false);
    }

    Sample x;
    x.tMs = tMs;
    x.clockTicks = s.ClockTicks;
    x.distanceM = static_cast<double>(s.Distance / 100);
    x.speedKmh = static_cast<double>(SpeedKmh(s));
    x.limitKmh = s.ShownLimit;
    if (run.train.ATS_Type == 1) {
        if (auto curves = PatternCurvesAt(FindPatternTarget(run), run.train.BrakeRate)) {
            x.patternKmh = static_cast<double>(curves->brakeKmh);
            x.warningKmh = static_cast<double>(curves->warningKmh);
        }
    }
    x.powerNotch = s.PowerNotch;
    x.brakeNotch = s.BrakeNotch;
    x.forcedBraking = s.ForcedEB || s.SpeedCheckEB;
    samples_.push_back(x);
    ObserveSignals(run, x.distanceM);
}

void RunReview::ObserveSignals(const RunContext& run, double distanceM) {
    const RunState& s = run.state;
    const auto& signals = run.line.Signal;
    if (signalAspect_.size() != signals.size()) return;
    if (s.CurrentSignal >= 0 && static_cast<size_t>(s.CurrentSignal) < signals.size() &&
        s.SignalImageIndex != kNone) {
        signalAspect_[static_cast<size_t>(s.CurrentSignal)] = s.SignalImageIndex;
    }
    for (size_t i = 0; i < signals.size(); ++i) {
        if (signalMarked_[i] || signalAspect_[i] < 0 || s.Frame <= signals[i].SignalFrame) continue;
        signalMarked_[i] = true;
        // At the signal itself where the line places it, else where it was passed.
        double at = distanceM;
        for (const EventEntry& e : run.line.EventTable) {
            if (e.Kind == 0 && e.Index == static_cast<int32_t>(i)) at = e.Position / 100.0;
        }
        signals_.push_back({signals[i].Name, at, AspectText(signalAspect_[i])});
    }
}

std::vector<RunReview::StationMark> RunReview::Stations(const RunSummary& summary) const {
    std::vector<StationMark> marks;
    const auto& stations = summary.Stations();
    for (size_t i = 0; i < stations.size() && i < stopPositionsM_.size(); ++i) {
        const RunSummary::StationResult& s = stations[i];
        StationMark mark{s.name, stopPositionsM_[i], ""};
        if (s.stopped && s.origin) {
            mark.result = s.departureTicks
                              ? "dep " + SecondsAgainstTimetable(*s.departureTicks, s.departureTime)
                              : "start";
        } else if (s.stopped) {
            // Against the timetable's departure: by when the train left, or,
            // where it did not leave, by when it came.
            mark.result =
                Format("%+.2Lf m, ", s.stopErrorMetres) +
                (s.departureTicks
                     ? "dep " + SecondsAgainstTimetable(*s.departureTicks, s.departureTime)
                     : "arr " + SecondsAgainstTimetable(s.arrivalTicks, s.departureTime));
        } else if (s.behindStart) {
            mark.result = "behind the start";
        } else if (s.movedPast) {
            mark.result = "moved past";
        } else if (s.beyondTicks) {
            mark.result = MissedStop(s) ? "not stopped" : "passed";
        }
        marks.push_back(std::move(mark));
    }
    return marks;
}

std::vector<RunReview::ProtectionMark> RunReview::Protection(const RunSummary& summary) const {
    std::vector<ProtectionMark> marks;
    for (const RunSummary::ProtectionEvent& e : summary.ProtectionEvents()) {
        const char* what = "";
        switch (e.kind) {
            case RunSummary::ProtectionKind::AtsAlarm:
                what = "ATS alarm";
                break;
            case RunSummary::ProtectionKind::AtsBraking:
                what = "ATS emergency brake";
                break;
            case RunSummary::ProtectionKind::VigilanceBraking:
                what = "vigilance emergency brake";
                break;
            case RunSummary::ProtectionKind::SpeedCheckBraking:
                what = "speed check brake";
                break;
        }
        marks.push_back({what, static_cast<double>(e.distance / 100), e.clockTicks});
    }
    return marks;
}

std::vector<RunReview::ScorePart> RunReview::Score(const RunSummary& summary) const {
    std::vector<ScorePart> parts;

    // Punctuality: the departure of every stop that has one, else its arrival,
    // against the timetable; a stop run through counts as missed.
    {
        int count = 0, kept = 0;
        double shares = 0, worst = -1;
        std::string worstText;
        for (const RunSummary::StationResult& s : summary.Stations()) {
            if (MissedStop(s)) {
                ++count;
                continue;
            }
            if (!s.stopped || (s.origin && !s.departureTicks)) continue;
            // The timetable gives departures: leaving early is as wrong as
            // leaving late, but a train that ends its run early waits.
            const int32_t ticks = s.departureTicks ? *s.departureTicks : s.arrivalTicks;
            double off = (static_cast<double>(ticks) - s.departureTime) / 30;
            if (!s.departureTicks) off = std::max(0.0, off);
            ++count;
            shares += Share(off, kOnTimeSeconds, kLateRangeSeconds);
            if (std::abs(off) <= kOnTimeSeconds) ++kept;
            if (std::abs(off) > worst) {
                worst = std::abs(off);
                worstText = s.name + " " + SecondsAgainstTimetable(ticks, s.departureTime);
            }
        }
        std::string counted =
            Format("%d of %d timetable times within 15 s (departures, else arrivals)", kept, count);
        if (!worstText.empty()) counted += ", worst " + worstText;
        counted += "; beyond 15 s a stop loses its share over 2 min";
        parts.push_back({"Punctuality", PartPoints(shares, count), counted});
    }

    // Stop accuracy: where the train came to rest at each stop after the first.
    {
        int count = 0, kept = 0;
        double shares = 0;
        long double worst = -1;
        std::string worstText;
        for (const RunSummary::StationResult& s : summary.Stations()) {
            if (MissedStop(s)) {
                ++count;
                continue;
            }
            if (!s.stopped || s.origin) continue;
            ++count;
            const double error = static_cast<double>(s.stopErrorMetres);
            shares += Share(error, kAccurateMetres, kMissRangeMetres);
            if (std::abs(error) <= kAccurateMetres) ++kept;
            if (std::abs(s.stopErrorMetres) > worst) {
                worst = std::abs(s.stopErrorMetres);
                worstText = s.name + Format(" %+.2Lf m", s.stopErrorMetres);
            }
        }
        std::string counted = Format("%d of %d stops within 0.5 m", kept, count);
        if (!worstText.empty()) counted += ", worst " + worstText;
        counted += "; beyond 0.5 m a stop loses its share over 10 m";
        parts.push_back({"Stop accuracy", PartPoints(shares, count), counted});
    }

    // Comfort: a handle thrown two or more notches within one refresh jerks
    // the train, so does the emergency position taken by hand while moving;
    // what the protection does to the handle is not the driver's.
    {
        int moves = 0, jolts = 0, lost = 0;
        for (size_t i = 1; i < samples_.size(); ++i) {
            const Sample& a = samples_[i - 1];
            const Sample& b = samples_[i];
            if (b.forcedBraking || a.forcedBraking) continue;
            const int step = std::max(std::abs(b.powerNotch - a.powerNotch),
                                      std::abs(b.brakeNotch - a.brakeNotch));
            if (step == 0) continue;
            ++moves;
            // A standing train feels only the power that starts it.
            const bool felt = a.speedKmh != 0 || b.speedKmh != 0 || b.powerNotch > a.powerNotch;
            if (!felt) continue;
            const bool emergency = brakeNotches_ > 0 && b.brakeNotch == -brakeNotches_ &&
                                   a.brakeNotch != b.brakeNotch && b.speedKmh != 0;
            const int weight = emergency ? kEmergencyJolt : step - 1;
            if (weight > 0) {
                ++jolts;
                lost += weight;
            }
        }
        parts.push_back(
            {"Comfort", std::max(0, kPartPoints - lost),
             Format("%d handle moves, %d jolts: a point off per notch beyond the first moved "
                    "within 0.1 s (standing: power only), %d for the emergency position taken "
                    "while moving",
                    moves, jolts, kEmergencyJolt)});
    }

    // Safety: every alarm and every braking the protection forced.
    {
        const int alarms = summary.AtsAlarmCount();
        const int brakings = summary.ForcedEBCount() + summary.SpeedCheckBrakingCount();
        parts.push_back(
            {"Safety", std::max(0, kPartPoints - kAlarmPoints * alarms - kBrakingPoints * brakings),
             Format("%d ATS alarms (%d points each), %d forced brakings (%d points each)", alarms,
                    kAlarmPoints, brakings, kBrakingPoints)});
    }
    return parts;
}

std::vector<std::string> RunReview::ScoreLines(const RunSummary& summary) const {
    const std::vector<ScorePart> parts = Score(summary);
    int total = 0;
    for (const ScorePart& p : parts) total += p.points;
    std::vector<std::string> lines{
        Format("Score %d/%d", total, kPartPoints * static_cast<int>(parts.size()))};
    for (const ScorePart& p : parts) {
        lines.push_back(Format("  %s %d/%d: ", p.name.c_str(), p.points, kPartPoints) + p.counted);
    }
    return lines;
}

ReviewPlot RunReview::Plot(const RunSummary& summary) const {
    return {lineName_, powerNotches_,     brakeNotches_,       samples_,
            signals_,  Stations(summary), Protection(summary), ScoreLines(summary)};
}

void RunReview::WriteCsv(std::ostream& out) const {
    out << "t_ms,clock,distance_m,speed_kmh,limit_kmh,pattern_brake_kmh,pattern_warning_kmh,"
           "power_notch,brake_notch,forced_braking\n";
    const auto optional = [](const std::optional<double>& v) {
        return v ? Format("%.2f", *v) : std::string();
    };
    for (const Sample& x : samples_) {
        out << x.tMs << ',' << ClockText(x.clockTicks) << ',' << Format("%.2f", x.distanceM) << ','
            << Format("%.2f", x.speedKmh) << ',';
        if (x.limitKmh > 0) out << x.limitKmh;
        out << ',' << optional(x.patternKmh) << ',' << optional(x.warningKmh) << ',' << x.powerNotch
            << ',' << x.brakeNotch << ',' << (x.forcedBraking ? 1 : 0) << '\n';
    }
}

bool RunReview::WriteCsvFile(const std::filesystem::path& file, std::string* error) const {
    std::ofstream out(file);
    if (out) {
        WriteCsv(out);
        out.flush();
    }
    if (out) return true;
    if (error) *error = "cannot write the review " + file.string();
    return false;
}

}  // namespace kelvaron
