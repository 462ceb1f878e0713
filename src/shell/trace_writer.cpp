#include "shell/trace_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

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

namespace {

// Writes `value` with four decimals, the exact binary value rounded half to
// even: what printf's "%.4Lf" writes under the default rounding mode, at a
// tenth of its cost. Returns the characters written, or 0 for a value it does
// not take (not finite, or 2^50 and beyond), which printf then writes.
size_t FourDecimals(long double value, char* out) {
    static_assert(std::numeric_limits<long double>::digits == 64,
                  "the x87 extended format: 64-bit mantissa with its leading bit");
    if (!std::isfinite(value)) return 0;
    unsigned char raw[sizeof(long double)];
    std::memcpy(raw, &value, sizeof raw);
    uint64_t mantissa = 0;
    uint16_t signAndExponent = 0;
    std::memcpy(&mantissa, raw, sizeof mantissa);
    std::memcpy(&signAndExponent, raw + sizeof mantissa, sizeof signAndExponent);
    // |value| = mantissa / 2^shift; subnormals share the smallest exponent.
    const int biased = signAndExponent & 0x7FFF;
    const int shift = 16383 + 63 - std::max(biased, 1);
    if (shift < 14) return 0;  // the whole part could exceed 64 bits

    // mantissa * 10^4 < 2^78: the scaled value and its remainder are exact.
    using U128 = unsigned __int128;
    const U128 scaled = static_cast<U128>(mantissa) * 10000u;
    U128 units = 0;
    if (shift < 128) {
        units = scaled >> shift;
        const U128 rest = scaled - (units << shift);
        const U128 half = static_cast<U128>(1) << (shift - 1);
        if (rest > half || (rest == half && (units & 1) != 0)) ++units;
    }  // else below 2^-50: under half a unit, so 0

    const uint64_t whole = static_cast<uint64_t>(units / 10000);
    const auto fraction = static_cast<unsigned>(units % 10000);
    char* p = out;
    if (signAndExponent & 0x8000) *p++ = '-';  // printf writes -0.0000 too
    p = std::to_chars(p, p + 20, whole).ptr;
    *p++ = '.';
    *p++ = static_cast<char>('0' + fraction / 1000);
    *p++ = static_cast<char>('0' + fraction / 100 % 10);
    *p++ = static_cast<char>('0' + fraction / 10 % 10);
    *p++ = static_cast<char>('0' + fraction % 10);
    return static_cast<size_t>(p - out);
}

}  // namespace

void TraceWriter::Distance(long double value) {
    char buffer[64];
    size_t length = FourDecimals(value, buffer);
    if (length > 0) {
        row_.append(buffer, length);
        row_ += ',';
        return;
    }
    // printf rounds the exact binary value, so the text never depends on a
    // double conversion or on the platform's own rounding of long double.
    int printed = std::snprintf(buffer, sizeof buffer, "%.4Lf", value);
    if (printed < 0) printed = 0;
    if (static_cast<size_t>(printed) < sizeof buffer) {
        row_.append(buffer, static_cast<size_t>(printed));
    } else {
        // Only an absurd value gets here; write it whole rather than cut it.
        size_t start = row_.size();
        row_.resize(start + static_cast<size_t>(printed) + 1);
        std::snprintf(row_.data() + start, static_cast<size_t>(printed) + 1, "%.4Lf", value);
        row_.resize(start + static_cast<size_t>(printed));
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
