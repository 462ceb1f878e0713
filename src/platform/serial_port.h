#pragma once

#include <functional>
#include <string>

namespace kelvaron {

// The serial master controller's port. Events arrive on the thread of the run
// window (the caller's), never on a device thread.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // False, with the system's reason, when the port cannot be opened.
    virtual bool Open(std::string* error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Reads up to n received characters.
    virtual std::string Read(int n) = 0;

    std::function<void()> onOpened;
    std::function<void()> onClosed;
    std::function<void(int count)> onReceived;
};

}  // namespace kelvaron
