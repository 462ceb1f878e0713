#include "input/input_dispatcher.h"

#include "input/rx_char.h"
#include "input/usb_scan.h"

namespace kelvaron {

InputDispatcher::InputDispatcher(RunContext& run, const ControllerCodes& codes, InputHooks hooks)
    : run_(run), codes_(codes), hooks_(std::move(hooks)), framer_(codes.Mascon) {}

void InputDispatcher::TypedChar(char key) {
    AsciiDown(run_, key);
}

void InputDispatcher::KeyDown(int vk, bool shiftOnly) {
    keydowns(run_, hooks_, vk, shiftOnly);
}

void InputDispatcher::WheelUp() {
    WheelU(run_);
}

void InputDispatcher::WheelDown() {
    WheelD(run_);
}

std::optional<std::string> InputDispatcher::ScanJoystick(Joystick& joystick, bool debug) {
    if (run_.state.ControllerKind != kControllerWindows &&
        run_.state.ControllerKind != kControllerPlayStation) {
        return std::nullopt;
    }
    auto caption = USBScan(run_, joystick, codes_.Ps, debug, posted_);
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
    RxChar(run_, port, count, nowMs, framer_, codes_.Mascon, posted_);
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
