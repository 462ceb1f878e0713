#pragma once

#include <QtWidgets/QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "studio/studio_line.h"

namespace kelvaron {

// The whole video as a strip under the picture: every record as a mark at its
// frame, one row per kind, the filming-speed curve behind them, and the frame
// on screen as a cursor. A click chooses a frame.
class TimelineView : public QWidget {
  public:
    explicit TimelineView(QWidget* parent = nullptr);

    void SetFrameCount(int32_t frames);
    void SetRecords(std::vector<StudioRecord> records, std::vector<SpeedUnitData> units);
    void SetCurrentFrame(int32_t frame);
    int32_t FrameAtX(int x) const;

    std::function<void(int32_t frame)> onFrameChosen;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return {640, 110}; }

  private:
    double XOfFrame(double frame) const;

    int32_t frames_ = 1;
    int32_t current_ = 0;
    std::vector<StudioRecord> records_;
    std::vector<SpeedUnitData> units_;
};

}  // namespace kelvaron
