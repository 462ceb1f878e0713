#include "platform/qt/qt_serial_port.h"

#include <QtSerialPort/QSerialPort>

namespace kelvaron {

namespace {

QSerialPort::Parity ToQt(SerialSettings::Parity parity) {
    switch (parity) {
        case SerialSettings::Parity::Even:
            return QSerialPort::EvenParity;
        case SerialSettings::Parity::Odd:
            return QSerialPort::OddParity;
        case SerialSettings::Parity::Mark:
            return QSerialPort::MarkParity;
        case SerialSettings::Parity::Space:
            return QSerialPort::SpaceParity;
        case SerialSettings::Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(SerialSettings::StopBits stopBits) {
    switch (stopBits) {
        case SerialSettings::StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case SerialSettings::StopBits::Two:
            return QSerialPort::TwoStop;
        case SerialSettings::StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl ToQt(SerialSettings::FlowControl flow) {
    switch (flow) {
        case SerialSettings::FlowControl::Hardware:
            return QSerialPort::HardwareControl;
        case SerialSettings::FlowControl::Software:
            return QSerialPort::SoftwareControl;
        case SerialSettings::FlowControl::None:
            break;
    }
    return QSerialPort::NoFlowControl;
}

QSerialPort::DataBits DataBits(int bits) {
    switch (bits) {
        case 5:
            return QSerialPort::Data5;
        case 6:
            return QSerialPort::Data6;
        case 7:
            return QSerialPort::Data7;
        default:
            return QSerialPort::Data8;
    }
}

}  // namespace

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()) {
    QObject::connect(port_.get(), &QSerialPort::readyRead, [this] {
        const qint64 available = port_->bytesAvailable();
        if (available > 0 && onReceived) onReceived(static_cast<int>(available));
    });
    // An unplugged adapter reports a resource error; a line hung up (a
    // pseudo-terminal's other end closed) fails its reads over and over.
    QObject::connect(port_.get(), &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) {
                         if (losing_ || !port_->isOpen()) return;
                         if (error == QSerialPort::ResourceError) {
                             lostReason_ = port_->errorString().toStdString();
                         } else if (error == QSerialPort::ReadError) {
                             // Its text is whatever the system said last, not why.
                             lostReason_ = "it can no longer be read";
                         } else {
                             return;
                         }
                         // Reported from inside the port's own read: it is closed
                         // once that read has returned.
                         losing_ = true;
                         QMetaObject::invokeMethod(
                             port_.get(), [this] { Lose(); }, Qt::QueuedConnection);
                     });
}

QtSerialPort::~QtSerialPort() {
    // Closing here would call back into a run that may already be gone.
    port_->disconnect();
    port_->close();
}

bool QtSerialPort::Open(std::string* error) {
    if (port_->isOpen()) return true;
    // Settings given before opening are applied by the open itself.
    port_->setPortName(QString::fromStdString(settings.portName));
    port_->setBaudRate(settings.baudRate);
    port_->setDataBits(DataBits(settings.dataBits));
    port_->setParity(ToQt(settings.parity));
    port_->setStopBits(ToQt(settings.stopBits));
    port_->setFlowControl(ToQt(settings.flowControl));
    if (!port_->open(QIODevice::ReadWrite)) {
        if (error) *error = port_->errorString().toStdString();
        return false;
    }
    // The controller's line settings hold DTR off, and RTS too unless
    // hardware flow control drives it.
    port_->setDataTerminalReady(false);
    if (settings.flowControl != SerialSettings::FlowControl::Hardware) {
        port_->setRequestToSend(false);
    }
    port_->clearError();
    openName_ = settings.portName;
    if (onOpened) onOpened();
    return true;
}

void QtSerialPort::Close() {
    if (!port_->isOpen()) return;
    port_->close();
    if (onClosed) onClosed();
}

void QtSerialPort::Lose() {
    losing_ = false;
    if (!port_->isOpen()) return;
    port_->close();
    if (onLost) onLost(openName_, lostReason_);
}

bool QtSerialPort::IsOpen() const {
    return port_->isOpen();
}

std::string QtSerialPort::Read(int n) {
    if (n <= 0 || !port_->isOpen()) return {};
    return port_->read(n).toStdString();
}

}  // namespace kelvaron
