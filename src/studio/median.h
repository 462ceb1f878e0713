#pragma once

#include <algorithm>
#include <iterator>

namespace kelvaron {

// The middle value of a range that is not empty (the upper one of an even
// count), found by partly reordering the range rather than sorting it.
template <class Iterator>
auto MedianInPlace(Iterator first, Iterator last) {
    const Iterator middle = first + std::distance(first, last) / 2;
    std::nth_element(first, middle, last);
    return *middle;
}

template <class Range>
auto MedianInPlace(Range& values) {
    return MedianInPlace(std::begin(values), std::end(values));
}

}  // namespace kelvaron
