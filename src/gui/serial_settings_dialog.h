#pragma once

#include <QtWidgets/QDialog>

#include "platform/qt/qt_serial_port.h"

class QComboBox;

namespace kelvaron {

// The serial port's settings dialog: port (one of those present, with their
// descriptions, or a typed path), baud rate, data bits, stop bits, parity and
// flow control. The new settings apply at the next connect.
class SerialSettingsDialog : public QDialog {
  public:
    SerialSettingsDialog(const SerialSettings& settings, QWidget* parent = nullptr);

    SerialSettings Settings() const;

  private:
    std::string previousPort_;
    QComboBox* port_;
    QComboBox* baud_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* parity_;
    QComboBox* flow_;
};

}  // namespace kelvaron
