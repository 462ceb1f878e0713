#pragma once

#include <memory>
#include <string>

#include "platform/serial_port.h"

class QSerialPort;

namespace kelvaron {

// Line settings of the serial master controller's port.
struct SerialSettings {
    std::string portName = "/dev/ttyS0";
    int32_t baudRate = 19200;
    int dataBits = 8;
    enum class Parity { None, Even, Odd, Mark, Space } parity = Parity::None;
    enum class StopBits { One, OneAndHalf, Two } stopBits = StopBits::One;
    enum class FlowControl { None, Hardware, Software } flowControl = FlowControl::None;
};

// The serial port through QSerialPort. Its events come from the Qt event loop
// of the thread that made it, which is the run window's thread.
class QtSerialPort : public SerialPort {
  public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    // Used by the next Open; an open port keeps its settings until closed.
    SerialSettings settings;

    bool Open(std::string* error) override;
    void Close() override;
    bool IsOpen() const override;
    std::string Read(int n) override;

  private:
    void Lose();

    std::unique_ptr<QSerialPort> port_;
    std::string openName_;  // as the player gave it, for the messages
    std::string lostReason_;
    bool losing_ = false;
};

}  // namespace kelvaron
