#pragma once

#include <memory>

#include "platform/optical_flow.h"

namespace kelvaron {

// Dense optical flow by OpenCV's DIS method (its video module), on the grey
// picture. The only place OpenCV is seen.
class OpenCvOpticalFlow : public OpticalFlow {
  public:
    OpenCvOpticalFlow();
    ~OpenCvOpticalFlow() override;
    OpenCvOpticalFlow(const OpenCvOpticalFlow&) = delete;
    OpenCvOpticalFlow& operator=(const OpenCvOpticalFlow&) = delete;

    bool Next(const Picture& picture, const std::vector<float>& expectedRows,
              FlowField& flow) override;
    void Reset() override;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kelvaron
