#include "input/input_dispatcher.h"

#include "input/rx_char.h"
#include "input/usb_scan.h"

namespace kelvaron {

InputDispatcher::InputDispatcher(RunContext& run, const ControllerCodes& codes, InputHooks hooks)
    : run_(run), codes_(codes), hooks_(std::move(hooks)), framer_(codes.Mascon) {}

namespace {

// The devices as the handlers read them, with each reading shown to the observer.
class ObservedJoystick : public Joystick {
  public:
    ObservedJoystick(Joystick& device, InputObserver& observer)
        : device_(device), observer_(observer) {}
    JoystickState Poll() override {
        const JoystickState state = device_.Poll();
        observer_.OnJoystick(state);
        return state;
    }

  private:
    Joystick& device_;
    InputObserver& observer_;
};

class ObservedSerialPort : public SerialPort {
  public:
    ObservedSerialPort(SerialPort& port, InputObserver& observer)
        : port_(port), observer_(observer) {}
    bool Open(std::string* error) override { return port_.Open(error); }
    void Close() override { port_.Close(); }
    bool IsOpen() const override { return port_.IsOpen(); }
    std::string Read(int n) override {
        std::string chunk = port_.Read(n);
        observer_.OnSerial(chunk);
        return chunk;
    }

  private:
    SerialPort& port_;
    InputObserver& observer_;
};

}  // namespace

void InputDispatcher::TypedChar(char key) {
    if (observer_) observer_->OnChar(key);
    AsciiDown(run_, key);
}

void InputDispatcher::KeyDown(int vk, bool shiftOnly) {
    if (observer_) observer_->OnKey(vk, shiftOnly);
    keydowns(run_, hooks_, vk, shiftOnly);
}

void InputDispatcher::WheelUp() {
    if (observer_) observer_->OnWheel(true);
    WheelU(run_);
}

void InputDispatcher::WheelDown() {
    if (observer_) observer_->OnWheel(false);
    WheelD(run_);
}

std::optional<std::string> InputDispatcher::ScanJoystick(Joystick& joystick, bool debug) {
    if (run_.state.ControllerKind != kControllerWindows &&
        run_.state.ControllerKind != kControllerPlayStation) {
        return std::nullopt;
    }
    std::optional<std::string> caption;
    if (observer_) {
        ObservedJoystick observed(joystick, *observer_);
        caption = USBScan(run_, observed, codes_.Ps, debug, posted_);
    } else {
        caption = USBScan(run_, joystick, codes_.Ps, debug, posted_);
    }
    HandlePosted();
    return caption;
}

void InputDispatcher::ScanGamePad(GameControllers& pads, const PadProfiles& profiles) {
    if (run_.state.ControllerKind != kControllerGamePad) return;
    for (const PadDevice& device : pads.Poll()) {
        if (!device.mapped) continue;
        pad_.Scan(run_, device, profiles.For(device.guid), posted_);
        HandlePosted();
        return;
    }
}

void InputDispatcher::SerialReceived(SerialPort& port, int count, int64_t nowMs) {
    if (observer_) {
        ObservedSerialPort observed(port, *observer_);
        RxChar(run_, observed, count, nowMs, framer_, codes_.Mascon, posted_);
    } else {
        RxChar(run_, port, count, nowMs, framer_, codes_.Mascon, posted_);
    }
    HandlePosted();
}

void InputDispatcher::SerialWaitOver(int64_t nowMs) {
    ::kelvaron::SerialWaitOver(run_, nowMs, framer_, codes_.Mascon, posted_);
    HandlePosted();
}

void InputDispatcher::HandlePosted() {
    while (!posted_.empty()) {
        const PostedInput input = posted_.front();
        posted_.pop_front();
        if (input.kind == PostedInput::Kind::Char) {
            AsciiDown(run_, static_cast<char>(input.code));
        } else {
            keydowns(run_, hooks_, input.code, false);
        }
    }
}

}  // namespace kelvaron
