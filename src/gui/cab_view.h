#pragma once

#include <QtGui/QImage>
#include <QtWidgets/QWidget>
#include <functional>

#include "data/panel_model.h"
#include "gui/key_mapping.h"
#include "gui/panel_painter.h"

namespace kelvaron {

// The run window's client area: the cab view and the panel around it, 640 x
// 440 on a black ground. Keys, the wheel and the close button are handed on.
class CabView : public QWidget {
  public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 440;

    explicit CabView(const PanelModel& panel, QWidget* parent = nullptr);

    // What the cab-view surface shows now (480 x 240).
    void ShowCabPicture(QImage picture);

    std::function<void(const QKeyEvent&)> onKey;
    std::function<void(int step)> onWheel;  // +1 away from the player, -1 toward
    std::function<void()> onBack;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    const PanelModel& panel_;
    PanelPainter painter_;
    QImage cabPicture_;
    WheelSteps wheel_;
};

}  // namespace kelvaron
