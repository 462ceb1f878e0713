#include "shell/trace_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kelvaron {

TraceWriter::TraceWriter(std::ostream& out) : out_(out) {
    row_.reserve(512);
    out_ << kHeader << '\n';
}

void TraceWriter::Integer(int64_t value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    row_.append(buffer, end);
    row_ += ',';
}

void TraceWriter::Flag(bool value) {
    row_ += value ? '1' : '0';
    row_ += ',';
}

void TraceWriter::Distance(long double value) {
    // printf rounds the exact binary value, so the text never depends on a
    // double conversion or on the platform's own rounding of long double.
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%.4Lf", value);
    if (length < 0) length = 0;
    if (static_cast<size_t>(length) < sizeof buffer) {
        row_.append(buffer, static_cast<size_t>(length));
    } else {
        // Only an absurd value gets here; write it whole rather than cut it.
        size_t start = row_.size();
        row_.resize(start + static_cast<size_t>(length) + 1);
        std::snprintf(row_.data() + start, static_cast<size_t>(length) + 1, "%.4Lf", value);
        row_.resize(start + static_cast<size_t>(length));
    }
    row_ += ',';
}

void TraceWriter::Text(std::string_view text) {
    row_ += text;
    row_ += ',';
}

void TraceWriter::WriteRow(int64_t tMs, std::string_view event, const RunState& s,
                           int stationCount) {
    row_.clear();
    Integer(tMs);
    Text(event);
    Integer(s.Frame);
    Integer(s.Speed);
    Distance(s.Distance);
    Integer(s.ClockTicks);
    Integer(s.PowerNotch);
    Integer(s.BrakeNotch);
    Flag(s.HoldPosition);
    Integer(s.Reverser);
    Integer(s.EffectivePower);
    Integer(s.EffectiveBrake);
    Integer(s.SapNotch);
    Integer(s.TractiveForce);
    Integer(s.ResistForce);
    Integer(s.MotorForce);
    Integer(s.BcPressure);
    Integer(s.BpPressure);
    Integer(s.MrPressure);
    Integer(s.SapPressure);
    Integer(s.McBcPressure);
    Flag(s.CompressorOn);
    Integer(s.Slope);
    Integer(s.Adhesion);
    Flag(s.DoorsOpen);
    Flag(s.ForcedEB);
    Flag(s.SpeedCheckEB);
    Integer(s.FilmingSpeed);
    Distance(s.TargetDistance);
    Distance(s.RemainingDistance);
    Integer(s.LeaderFrame);
    Text(s.WheelState);
    Integer(s.AtsLimit);
    Flag(s.AtsAlarm);
    Integer(s.SignalImageIndex);
    Integer(s.CurrentSignal);
    Integer(s.PatternState);
    Integer(s.VigilanceTimer);
    Integer(s.AnnouncePos);
    Integer(StationFlagsDone(s, stationCount));
    row_.back() = '\n';
    out_.write(row_.data(), static_cast<std::streamsize>(row_.size()));
}

int StationFlagsDone(const RunState& state, int stationCount) {
    int count = std::clamp(stationCount, 0, static_cast<int>(state.StationFlag.size()));
    return static_cast<int>(
        std::count_if(state.StationFlag.begin(), state.StationFlag.begin() + count,
                      [](const StationFlags& flags) { return flags.doorsClosed; }));
}

}  // namespace kelvaron
