#pragma once

#include <QtWidgets/QDialog>
#include <filesystem>
#include <optional>
#include <string>

#include "studio/speed_fitting.h"

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace kelvaron {

// Makes the filming speed of a video: from its own motion with spans of known
// length, or from a GPS track. The measuring runs on a thread of its own with
// a progress bar and can be stopped; its result is kept beside the video, so
// a second time is instant.
class SpeedDialog : public QDialog {
  public:
    SpeedDialog(std::filesystem::path video, int32_t currentFrame, QWidget* parent = nullptr);

    // After the dialog was accepted: the units to put in the line.
    const std::optional<SpeedFit>& Result() const { return result_; }
    // Works out the speed as the dialog is filled in; false with a reason.
    bool Compute(std::string& error);

    QTabWidget* Sources() const { return sources_; }
    QPlainTextEdit* Spans() const { return spans_; }
    QLineEdit* GpxFile() const { return gpx_; }

  private:
    void accept() override;

    std::filesystem::path video_;
    QTabWidget* sources_;
    QPlainTextEdit* spans_;
    QLineEdit* gpx_;
    QCheckBox* findOffset_;
    QDoubleSpinBox* offset_;
    QDoubleSpinBox* tolerance_;
    std::optional<SpeedFit> result_;
};

}  // namespace kelvaron
