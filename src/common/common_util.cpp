#include "common/common_util.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kelvaron {

std::string GetField(std::string_view line, int n) {
    if (n < 1) return {};
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) return {};
        start = comma + 1;
    }
    size_t end = line.find(',', start);
    if (end == std::string_view::npos) return std::string(line.substr(start));
    return std::string(line.substr(start, end - start));
}

namespace {

std::string_view SkipLeadingBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return text.substr(i);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<int32_t> ParseInt(std::string_view text) {
    text = SkipLeadingBlanks(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max() ||
        value < std::numeric_limits<int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::optional<long double> ParseDecimal(std::string_view text) {
    text = SkipLeadingBlanks(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    // strtold honours the C locale's "." because the program never changes LC_NUMERIC.
    std::string copy(text);
    char* end = nullptr;
    long double value = std::strtold(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<Fixed4> ParseFixed4(std::string_view text) {
    auto value = ParseDecimal(text);
    if (!value) return std::nullopt;
    long double scaled = *value * kFixed4Scale;
    if (std::fabs(scaled) > 9.0e18L) return std::nullopt;
    return Round(scaled);
}

int32_t ClampNotch(int32_t notch, int32_t power, int32_t brake) {
    if (notch > 0) return notch < power ? notch : power;
    if (notch < 0) return notch > -brake ? notch : -brake;
    return 0;
}

namespace {

// centre + offset without overflow, held to the 32-bit range.
int32_t Offset(int32_t centre, int32_t offset) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{centre} + offset,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

PolarPoint Polar(int32_t centre, long double length, long double theta) {
    // One reduction of theta for both: the same sine and cosine as the two
    // calls give, for little more than the cost of one.
    long double sine = 0, cosine = 0;
    sincosl(theta, &sine, &cosine);
    return {Offset(centre, RoundInt(length * sine)), Offset(centre, RoundInt(-length * cosine))};
}

namespace {

// With the decimals known when compiled, the divisions below are multiplications.
template <int Decimals>
std::string_view WriteFixed4(Fixed4 value, Fixed4Text& buffer) {
    constexpr uint64_t kPow10[] = {1, 10, 100, 1000, 10000};
    constexpr uint64_t unit = kPow10[4 - Decimals];
    constexpr uint64_t divisor = kPow10[Decimals];
    // Magnitude in units of the last shown decimal, half away from zero.
    const uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const uint64_t scaled = (magnitude + unit / 2) / unit;
    char* out = buffer.data();
    char* const end = buffer.data() + buffer.size();
    if (value < 0 && scaled != 0) *out++ = '-';
    out = std::to_chars(out, end, scaled / divisor).ptr;
    if constexpr (Decimals > 0) {
        *out++ = '.';
        // The fraction right-aligned in its decimals, zeros before it.
        uint64_t fraction = scaled % divisor;
        for (int k = Decimals - 1; k >= 0; --k) {
            out[k] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out += Decimals;
    }
    return {buffer.data(), static_cast<size_t>(out - buffer.data())};
}

}  // namespace

std::string_view FormatFixed4(Fixed4 value, int decimals, Fixed4Text& buffer) {
    switch (std::clamp(decimals, 0, 4)) {
        case 0:
            return WriteFixed4<0>(value, buffer);
        case 1:
            return WriteFixed4<1>(value, buffer);
        case 2:
            return WriteFixed4<2>(value, buffer);
        case 3:
            return WriteFixed4<3>(value, buffer);
        default:
            return WriteFixed4<4>(value, buffer);
    }
}

std::string FormatFixed4(Fixed4 value, int decimals) {
    Fixed4Text buffer;
    return std::string(FormatFixed4(value, decimals, buffer));
}

}  // namespace kelvaron
