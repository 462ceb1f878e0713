#pragma once

#include <cstdint>
#include <vector>

#include "common/picture.h"

namespace kelvaron {

// Dense motion from one picture to the next: for every pixel of the analysed
// picture, where it went, in pixels of that picture.
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
    virtual bool Next(const Picture& picture, FlowField& flow) = 0;
    // Starts a new sequence.
    virtual void Reset() = 0;
};

}  // namespace kelvaron
