#include "platform/opencv/opencv_optical_flow.h"

#include <limits>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

namespace kelvaron {

struct OpenCvOpticalFlow::State {
    // The medium preset follows the track bed to a few per cent where the fast one strays by a
    // quarter, at about half its speed: still faster than the video plays.
    cv::Ptr<cv::DISOpticalFlow> dis = cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM);
    cv::Mat previous;
    cv::Mat current;
    cv::Mat mapX;
    cv::Mat mapY;
    cv::Mat shifted;
    cv::Mat motion;
    bool hasPrevious = false;
};

OpenCvOpticalFlow::OpenCvOpticalFlow() : state_(std::make_unique<State>()) {}
OpenCvOpticalFlow::~OpenCvOpticalFlow() = default;

void OpenCvOpticalFlow::Reset() {
    state_->hasPrevious = false;
}

bool OpenCvOpticalFlow::Next(const Picture& picture, const std::vector<float>& expectedRows,
                             FlowField& flow) {
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
    const bool expecting = static_cast<int>(expectedRows.size()) == s.current.rows;
    const cv::Mat* target = &s.current;
    if (expecting) {
        // The new picture is drawn back by the expected motion, so that what is left to find
        // is the small difference from it.
        s.mapX.create(s.current.size(), CV_32F);
        s.mapY.create(s.current.size(), CV_32F);
        for (int y = 0; y < s.current.rows; ++y) {
            auto* mx = s.mapX.ptr<float>(y);
            auto* my = s.mapY.ptr<float>(y);
            const float from = static_cast<float>(y) + expectedRows[static_cast<size_t>(y)];
            for (int x = 0; x < s.current.cols; ++x) {
                mx[x] = static_cast<float>(x);
                my[x] = from;
            }
        }
        cv::remap(s.current, s.shifted, s.mapX, s.mapY, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        target = &s.shifted;
    }
    // A fresh start each time: the last field may belong to another stretch of the line.
    s.motion.release();
    s.dis->calc(s.previous, *target, s.motion);
    cv::swap(s.previous, s.current);

    flow.width = s.motion.cols;
    flow.height = s.motion.rows;
    const size_t count = static_cast<size_t>(flow.width) * static_cast<size_t>(flow.height);
    flow.dx.resize(count);
    flow.dy.resize(count);
    for (int y = 0; y < s.motion.rows; ++y) {
        const auto* row = s.motion.ptr<cv::Vec2f>(y);
        const float expected = expecting ? expectedRows[static_cast<size_t>(y)] : 0.0f;
        // A row expected to come from outside the picture has nothing to match: its motion is
        // unknown, not the expected one.
        const float from = static_cast<float>(y) + expected;
        const bool outside = from < 0 || from > static_cast<float>(s.motion.rows - 1);
        const size_t base = static_cast<size_t>(y) * static_cast<size_t>(flow.width);
        for (int x = 0; x < s.motion.cols; ++x) {
            flow.dx[base + static_cast<size_t>(x)] = row[x][0];
            flow.dy[base + static_cast<size_t>(x)] =
                outside ? std::numeric_limits<float>::quiet_NaN() : row[x][1] + expected;
        }
    }
    return true;
}

}  // namespace kelvaron
