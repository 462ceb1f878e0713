#pragma once

#include <cstdint>
#include <vector>

#include "common/picture.h"

namespace kelvaron {

// Dense motion from one picture to another: for every pixel of the analysed
// picture, where it went, in pixels of that picture; not a number where it
// cannot be told.
struct FlowField {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<float> dx;  // row by row, top to bottom
    std::vector<float> dy;
};

// Dense optical flow over a sequence of pictures.
class OpticalFlow {
  public:
    virtual ~OpticalFlow() = default;
    // The motion from the picture given before to `picture` into `flow`; false
    // for the first picture of a sequence, which has nothing to compare with.
    // The search starts from `expectedRows`, the vertical motion expected of
    // each row in pixels (empty: none), and finds what differs from it: a
    // repeating pattern (sleepers) then matches the repetition near what was
    // expected, not the nearest one.
    virtual bool Next(const Picture& picture, const std::vector<float>& expectedRows,
                      FlowField& flow) = 0;
    // Starts a new sequence.
    virtual void Reset() = 0;
};

}  // namespace kelvaron
