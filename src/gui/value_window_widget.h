#pragma once

#include <QtWidgets/QWidget>
#include <functional>

#include "gui/key_route.h"
#include "run/value_window.h"

namespace kelvaron {

// The value window: the figures of the run in two columns and the three force
// bars, drawn from the value-window model. Keys go to the run window.
class ValueWindowWidget : public QWidget {
  public:
    static constexpr int kWidth = 604;
    static constexpr int kHeight = 195;

    explicit ValueWindowWidget(const KeyRoute& keys, QWidget* parent = nullptr);

    void ShowModel(const ValueWindowModel& model);

    // The window was closed with its own close box.
    std::function<void()> onClosed;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    const KeyRoute& keys_;
    ValueWindowModel model_;
};

}  // namespace kelvaron
