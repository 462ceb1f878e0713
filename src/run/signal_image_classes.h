#pragma once

#include <cstdint>

namespace kelvaron {

// Classes of the signal pictures by their image index (0..21).
inline bool IsStopImage(int32_t i) {
    return i == 0 || i == 3 || i == 6 || i == 9 || i == 13 || i == 17;
}
inline bool IsYYImage(int32_t i) {
    return i == 14 || i == 18;
}
inline bool IsYImage(int32_t i) {
    return i == 4 || i == 7 || i == 10 || i == 15 || i == 19;
}
inline bool IsYGImage(int32_t i) {
    return i == 11 || i == 20;
}
inline bool IsGImage(int32_t i) {
    return i == 2 || i == 5 || i == 8 || i == 12 || i == 16 || i == 21;
}

}  // namespace kelvaron
