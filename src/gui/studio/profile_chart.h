#pragma once

#include <QtWidgets/QWidget>

#include "studio/line_profile.h"

namespace kelvaron {

// The line over distance: speed limits as steps (km/h, upper half), gradients
// as bars about a middle line (permil, lower half), stations as ticks.
class ProfileChart : public QWidget {
  public:
    explicit ProfileChart(QWidget* parent = nullptr);
    void SetProfile(LineProfile profile);
    const LineProfile& Profile() const { return profile_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    QSize sizeHint() const override { return {640, 150}; }

  private:
    LineProfile profile_;
};

}  // namespace kelvaron
