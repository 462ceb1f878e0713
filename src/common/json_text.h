#pragma once

#include <string>
#include <string_view>

namespace kelvaron {

// Text as a JSON string, quotes included. UTF-8 passes through; quotes,
// backslashes and control characters are escaped.
std::string JsonString(std::string_view text);

}  // namespace kelvaron
