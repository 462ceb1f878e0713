#include "gui/serial_settings_dialog.h"

#include <QtSerialPort/QSerialPortInfo>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>

namespace kelvaron {

namespace {

// Fills a box with (text, value) pairs and selects the current value.
QComboBox* Choices(QWidget* parent, std::initializer_list<std::pair<const char*, int>> choices,
                   int current) {
    auto* box = new QComboBox(parent);
    for (const auto& [text, value] : choices) box->addItem(text, value);
    box->setCurrentIndex(std::max(0, box->findData(current)));
    return box;
}

}  // namespace

SerialSettingsDialog::SerialSettingsDialog(const SerialSettings& settings, QWidget* parent)
    : QDialog(parent), previousPort_(settings.portName) {
    setWindowTitle("Serial port");
    // The ports present, with what they say they are, so a player can tell
    // the controller's adapter from the others; any other path may be typed.
    port_ = new QComboBox(this);
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString description = info.description();
        port_->addItem(description.isEmpty()
                           ? info.systemLocation()
                           : QString("%1  (%2)").arg(info.systemLocation(), description),
                       info.systemLocation());
    }
    const QString current = QString::fromStdString(settings.portName);
    const int listed = port_->findData(current);
    if (listed >= 0)
        port_->setCurrentIndex(listed);
    else
        port_->setCurrentText(current);

    baud_ = Choices(this,
                    {{"1200", 1200},
                     {"2400", 2400},
                     {"4800", 4800},
                     {"9600", 9600},
                     {"19200", 19200},
                     {"38400", 38400},
                     {"57600", 57600},
                     {"115200", 115200}},
                    settings.baudRate);
    dataBits_ = Choices(this, {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}}, settings.dataBits);
    stopBits_ = Choices(this,
                        {{"1", static_cast<int>(SerialSettings::StopBits::One)},
                         {"1.5", static_cast<int>(SerialSettings::StopBits::OneAndHalf)},
                         {"2", static_cast<int>(SerialSettings::StopBits::Two)}},
                        static_cast<int>(settings.stopBits));
    parity_ = Choices(this,
                      {{"None", static_cast<int>(SerialSettings::Parity::None)},
                       {"Even", static_cast<int>(SerialSettings::Parity::Even)},
                       {"Odd", static_cast<int>(SerialSettings::Parity::Odd)},
                       {"Mark", static_cast<int>(SerialSettings::Parity::Mark)},
                       {"Space", static_cast<int>(SerialSettings::Parity::Space)}},
                      static_cast<int>(settings.parity));
    flow_ = Choices(this,
                    {{"None", static_cast<int>(SerialSettings::FlowControl::None)},
                     {"Hardware", static_cast<int>(SerialSettings::FlowControl::Hardware)},
                     {"Software", static_cast<int>(SerialSettings::FlowControl::Software)}},
                    static_cast<int>(settings.flowControl));

    auto* form = new QFormLayout(this);
    form->addRow("Port", port_);
    form->addRow("Baud rate", baud_);
    form->addRow("Data bits", dataBits_);
    form->addRow("Stop bits", stopBits_);
    form->addRow("Parity", parity_);
    form->addRow("Flow control", flow_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

SerialSettings SerialSettingsDialog::Settings() const {
    SerialSettings s;
    const QString text = port_->currentText().trimmed();
    const int listed = port_->findText(text);
    s.portName = (listed >= 0 ? port_->itemData(listed).toString() : text).toStdString();
    if (s.portName.empty()) s.portName = previousPort_;  // a cleared box changes nothing
    s.baudRate = baud_->currentData().toInt();
    s.dataBits = dataBits_->currentData().toInt();
    s.stopBits = static_cast<SerialSettings::StopBits>(stopBits_->currentData().toInt());
    s.parity = static_cast<SerialSettings::Parity>(parity_->currentData().toInt());
    s.flowControl = static_cast<SerialSettings::FlowControl>(flow_->currentData().toInt());
    return s;
}

}  // namespace kelvaron
