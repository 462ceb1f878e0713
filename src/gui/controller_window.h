#pragma once

#include <QtCore/QTimer>
#include <QtWidgets/QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "input/pad_profiles.h"
#include "platform/game_controller.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kelvaron {

class QtPadProfileStore;

// The controller window: the game controllers attached, their raw axes and
// buttons live, and the handle position and driving key each input gives
// through the device's table. The table is edited here (what each axis
// drives, its dead zone and the readings at its ends, the key of each
// button) and saved for the device.
class ControllerWindow : public QWidget {
  public:
    ControllerWindow(GameControllers& pads, PadProfiles& profiles, QtPadProfileStore& store,
                     std::filesystem::path mappingsFile);

    // The train whose notches the handle positions are shown for.
    void SetNotches(int32_t power, int32_t brake);

    // Reads the devices and brings the window up to date. The window's timer
    // calls this while it is shown; tests may too.
    void Refresh();

    // The device being shown (its GUID), empty when none is attached.
    const std::string& DeviceGuid() const { return guid_; }
    // The table as edited, before it is saved.
    const PadProfile& Editing() const { return editing_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct AxisRow {
        QComboBox* role;
        QSpinBox* deadZone;
        QPushButton* rest;
        QPushButton* full;
        QPushButton* opposite;
    };
    void BuildAxisRows();
    void BuildButtonRows();
    void ShowDevice(const std::string& guid);
    void ShowTable();
    // The readings of the last poll, and what they give through the table.
    void ShowReadings();
    void Capture(int axis, int32_t AxisBinding::*end);
    void Save();

    GameControllers& pads_;
    PadProfiles& profiles_;
    QtPadProfileStore& store_;
    std::filesystem::path mappingsFile_;
    QTimer timer_;
    int32_t power_ = 5;
    int32_t brake_ = 8;

    std::vector<PadDevice> devices_;
    std::string guid_;
    PadProfile editing_;
    bool showing_ = false;  // the table's widgets are being set, not edited

    QComboBox* deviceList_;
    QLabel* note_;
    QLabel* raw_;
    QTableWidget* axes_;
    QTableWidget* buttons_;
    std::array<AxisRow, kPadAxisCount> axisRows_{};
    std::array<QComboBox*, kPadButtonCount> keys_{};
    QPushButton* save_;
};

}  // namespace kelvaron
