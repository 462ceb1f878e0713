#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/fixed4.h"

namespace kelvaron {

// Field n (from 1) of a comma-separated data-file line: the text between the
// (n-1)-th and the n-th comma, the last field being the rest of the line. A
// field beyond the last is empty, so it never converts to a number.
std::string GetField(std::string_view line, int n);

// Whole decimal number with an optional sign; leading blanks are tolerated,
// nothing else. Empty when the text does not convert or does not fit 32 bits.
std::optional<int32_t> ParseInt(std::string_view text);

// Decimal number with "." as separator ("35.5", "-0.25", "3"); leading blanks
// tolerated. Empty when the text does not convert.
std::optional<long double> ParseDecimal(std::string_view text);

// A decimal number stored as Fixed4 (rounded to four decimals).
std::optional<Fixed4> ParseFixed4(std::string_view text);

// Bounds a notch to 0 ... power for positive values and -brake ... 0 for negative ones.
int32_t ClampNotch(int32_t notch, int32_t power, int32_t brake);

// A point of the clock face: centre + Round(length * sin theta) across and
// centre + Round(-length * cos theta) down, theta in radians.
struct PolarPoint {
    int32_t x = 0, y = 0;
};
PolarPoint Polar(int32_t centre, long double length, long double theta);

// True when the line starts with the header text (brackets included).
inline bool StartsWith(std::string_view line, std::string_view header) {
    return line.substr(0, header.size()) == header;
}

// Writes a Fixed4 value with `decimals` decimals (0-4), from its exact
// four-decimal form; a half is rounded away from zero, as figures are read.
std::string FormatFixed4(Fixed4 value, int decimals);

// The same text written into `buffer`, for figures rewritten many times a
// second; the view is into the buffer.
using Fixed4Text = std::array<char, 32>;
std::string_view FormatFixed4(Fixed4 value, int decimals, Fixed4Text& buffer);

// Decimal text of an integer.
inline std::string ToDecimal(int64_t value) {
    return std::to_string(value);
}

}  // namespace kelvaron
