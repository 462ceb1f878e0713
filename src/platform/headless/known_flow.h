#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "platform/optical_flow.h"

namespace kelvaron {

// A flow sequence known beforehand: the n-th call after the first of a
// sequence gives field n-1 of the generator, whatever the pictures and the
// expected motion. Lets the speed estimate be tested on motion whose cause is
// known exactly.
class KnownFlow : public OpticalFlow {
  public:
    using Generator = std::function<void(size_t n, FlowField& field)>;
    explicit KnownFlow(Generator generator) : generator_(std::move(generator)) {}

    bool Next(const Picture&, const std::vector<float>&, FlowField& flow) override {
        if (!started_) {
            started_ = true;
            next_ = 0;
            return false;
        }
        generator_(next_++, flow);
        return true;
    }
    void Reset() override { started_ = false; }

  private:
    Generator generator_;
    size_t next_ = 0;
    bool started_ = false;
};

}  // namespace kelvaron
