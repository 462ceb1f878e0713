#pragma once

#include <string>

#include "platform/serial_port.h"

namespace kelvaron {

// A serial port fed by a script: Receive() delivers one chunk as one
// received-characters event.
class ScriptedSerialPort : public SerialPort {
  public:
    bool openFails = false;

    bool Open(std::string* error) override {
        if (openFails) {
            if (error) *error = "the port does not exist";
            return false;
        }
        open_ = true;
        if (onOpened) onOpened();
        return true;
    }
    void Close() override {
        open_ = false;
        if (onClosed) onClosed();
    }
    bool IsOpen() const override { return open_; }
    std::string Read(int n) override {
        std::string chunk = pending_.substr(0, static_cast<size_t>(n < 0 ? 0 : n));
        pending_.erase(0, chunk.size());
        return chunk;
    }
    void Receive(const std::string& chunk) {
        pending_ += chunk;
        if (onReceived) onReceived(static_cast<int>(chunk.size()));
    }

  private:
    bool open_ = false;
    std::string pending_;
};

}  // namespace kelvaron
