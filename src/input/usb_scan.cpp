#include "input/usb_scan.h"

#include <algorithm>

#include "common/common_util.h"
#include "input/handle_operations.h"
#include "input/keyboard.h"
#include "input/masconupdate.h"

namespace kelvaron {

namespace {

constexpr int32_t kDeadZone = 1638;  // 5 % of 32768

bool Pressed(const JoyReading& r, int button) {
    return (r.Buttons >> button) & 1u;
}

void ScanPlayStation(RunContext& run, const JoyReading& r, const PsCodes& codes,
                     PostedInputQueue& posted) {
    const int32_t powerCode = r.X + r.LowBits + r.Y;
    for (int n = 0; n <= 5; ++n) {
        if (powerCode == codes[kPsPower0 + n]) {
            SetPower(run, n);
            break;
        }
    }
    // EB follows B8 and asks for step 9, which the clamp turns into the train's EB.
    for (int n = 0; n <= 9; ++n) {
        if (r.HighBits == codes[static_cast<size_t>(kPsBrake0 + n)]) {
            SetBrake(run, -n);
            break;
        }
    }
    if (Pressed(r, 9)) PostChar(posted, '1');
    if (Pressed(r, 1)) PostChar(posted, '3');
    if (Pressed(r, 2)) PostChar(posted, '7');
    if (Pressed(r, 3)) PostChar(posted, '4');
    if (Pressed(r, 8)) PostChar(posted, 'r');
}

// Exactly on a boundary between two notches the handle stays where it was.
void PowerFromY(RunContext& run, int32_t y) {
    if (y >= 0) {
        run.state.PowerNotch = 0;
        run.state.PowerMoved = true;
    }
    if (y > -5000 && y < 0) SetPower(run, 1);
    if (y > -12000 && y < -5000) SetPower(run, 2);
    if (y > -20000 && y < -12000) SetPower(run, 3);
    if (y > -30000 && y < -20000) SetPower(run, 4);
    if (y < -30000) SetPower(run, 5);
}

void BrakeFromX(RunContext& run, int32_t x) {
    struct Band {
        int32_t above, below, notch;
    };
    static constexpr Band kBands[] = {
        {0, 1000, -1},      {1000, 4000, -2},   {4000, 6000, -3},
        {6000, 8000, -4},   {8000, 9500, -5},   {9500, 11000, -6},
        {11000, 12000, -7}, {12000, 13000, -8}, {13000, 32768, -9},
    };
    if (x <= 0) SetBrake(run, 0);
    for (const Band& band : kBands) {
        if (x > band.above && x < band.below) SetBrake(run, band.notch);
    }
}

void ScanWindows(RunContext& run, const JoyReading& r, PostedInputQueue& posted) {
    PowerFromY(run, r.Y);
    BrakeFromX(run, r.X);
    if (Pressed(r, 0)) PostChar(posted, '4');
    if (Pressed(r, 1)) PostChar(posted, '1');
    if (Pressed(r, 2)) PostChar(posted, '3');
    if (Pressed(r, 3)) PostChar(posted, '7');
    if (Pressed(r, 4)) PostKeyDown(posted, kVkReturn);
    if (Pressed(r, 5)) PostChar(posted, 's');
}

}  // namespace

int32_t ApplyDeadZone(int32_t raw) {
    raw = std::clamp(raw, -32768, 32767);
    if (raw > kDeadZone) return (raw - kDeadZone) * 100 / 95;
    if (raw < -kDeadZone) return (raw + kDeadZone) * 100 / 95;
    return 0;
}

JoyReading ReadJoystick(Joystick& joystick) {
    const JoystickState state = joystick.Poll();
    JoyReading r;
    r.X = ApplyDeadZone(state.x);
    r.Y = ApplyDeadZone(state.y);
    r.Buttons = state.buttons;
    r.LowBits = (state.buttons & 0x000F) | ((state.buttons >> 8) & 0x00FF) << 4;
    r.HighBits = (state.buttons >> 4) & 0x000F;
    return r;
}

std::optional<std::string> USBScan(RunContext& run, Joystick& joystick, const PsCodes& codes,
                                   bool debug, PostedInputQueue& posted) {
    const JoyReading r = ReadJoystick(joystick);
    const int32_t code = r.JoyCode();
    if (code == run.state.LastJoyCode) return std::nullopt;
    run.state.VigilanceTimer = 0;
    if (run.state.ControllerKind == kControllerPlayStation) ScanPlayStation(run, r, codes, posted);
    if (run.state.ControllerKind == kControllerWindows) ScanWindows(run, r, posted);
    masconupdate(run);
    run.state.LastJoyCode = code;
    if (!debug) return std::nullopt;
    return "X:" + ToDecimal(r.X) + " Y:" + ToDecimal(r.Y);
}

}  // namespace kelvaron
