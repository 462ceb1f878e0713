#pragma once

#include <string>
#include <string_view>

namespace kelvaron {

// True when the bytes form valid UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Data files are Shift-JIS (CP932); a file that is valid UTF-8 is taken as it
// is. Bytes that are not valid CP932 become U+FFFD, so no input is dropped silently.
std::string DecodeToUtf8(std::string_view bytes);

// UTF-8 text back to CP932 for files the tools write in the original encoding.
// Characters that CP932 lacks become "?".
std::string EncodeCp932(std::string_view utf8);

}  // namespace kelvaron
