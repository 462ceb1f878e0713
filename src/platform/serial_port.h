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
    // The port went away while open (an adapter pulled out): it is closed
    // already, without onClosed. `port` names it; `reason` is the system's.
    std::function<void(const std::string& port, const std::string& reason)> onLost;
};

}  // namespace kelvaron
