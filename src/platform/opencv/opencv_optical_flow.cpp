#include "platform/opencv/opencv_optical_flow.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

namespace kelvaron {

struct OpenCvOpticalFlow::State {
    cv::Ptr<cv::DISOpticalFlow> dis = cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_FAST);
    cv::Mat previous;
    cv::Mat current;
    cv::Mat motion;
    bool hasPrevious = false;
};

OpenCvOpticalFlow::OpenCvOpticalFlow() : state_(std::make_unique<State>()) {}
OpenCvOpticalFlow::~OpenCvOpticalFlow() = default;

void OpenCvOpticalFlow::Reset() {
    state_->hasPrevious = false;
}

bool OpenCvOpticalFlow::Next(const Picture& picture, FlowField& flow) {
    State& s = *state_;
    if (picture.Empty()) return false;
    // ARGB words are B, G, R, A in memory.
    const cv::Mat bgra(picture.height, picture.width, CV_8UC4,
                       const_cast<uint32_t*>(picture.pixels.data()));
    cv::cvtColor(bgra, s.current, cv::COLOR_BGRA2GRAY);
    if (!s.hasPrevious || s.previous.size() != s.current.size()) {
        cv::swap(s.previous, s.current);
        s.hasPrevious = true;
        return false;
    }
    s.dis->calc(s.previous, s.current, s.motion);
    cv::swap(s.previous, s.current);

    flow.width = s.motion.cols;
    flow.height = s.motion.rows;
    const size_t count = static_cast<size_t>(flow.width) * static_cast<size_t>(flow.height);
    flow.dx.resize(count);
    flow.dy.resize(count);
    for (int y = 0; y < s.motion.rows; ++y) {
        const auto* row = s.motion.ptr<cv::Vec2f>(y);
        const size_t base = static_cast<size_t>(y) * static_cast<size_t>(flow.width);
        for (int x = 0; x < s.motion.cols; ++x) {
            flow.dx[base + static_cast<size_t>(x)] = row[x][0];
            flow.dy[base + static_cast<size_t>(x)] = row[x][1];
        }
    }
    return true;
}

}  // namespace kelvaron
