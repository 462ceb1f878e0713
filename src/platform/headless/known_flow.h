#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/optical_flow.h"

namespace kelvaron {

// Flow known beforehand, for the fake video reader's pictures (each one plain
// colour, the number of its frame): the field from one picture of a sequence
// to the next is the generator's for their two frames, whatever the expected
// motion. Lets the speed estimate be tested on motion whose cause is known
// exactly.
class KnownFlow : public OpticalFlow {
  public:
    using Generator = std::function<void(int32_t from, int32_t to, FlowField& field)>;
    explicit KnownFlow(Generator generator) : generator_(std::move(generator)) {}

    bool Next(const Picture& picture, const std::vector<float>&, FlowField& flow) override {
        const int32_t frame =
            picture.pixels.empty() ? 0 : static_cast<int32_t>(picture.pixels[0] & 0xFFFFFFu);
        const bool started = started_;
        started_ = true;
        const int32_t from = previous_;
        previous_ = frame;
        if (!started) return false;
        generator_(from, frame, flow);
        return true;
    }
    void Reset() override { started_ = false; }

  private:
    Generator generator_;
    int32_t previous_ = 0;
    bool started_ = false;
};

}  // namespace kelvaron
