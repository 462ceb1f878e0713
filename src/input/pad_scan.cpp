#include "input/pad_scan.h"

#include "input/handle_operations.h"
#include "input/masconupdate.h"

namespace kelvaron {

void PadScanner::Scan(RunContext& run, const PadDevice& device, const PadProfile& profile,
                      PostedInputQueue& posted) {
    if (device.guid != guid_) {
        // Another device: nothing it reads is a change from the last one's readings.
        guid_ = device.guid;
        last_.fill(std::nullopt);
        lastButtons_ = 0;
    }
    bool acted = false;
    for (size_t a = 0; a < last_.size(); ++a) {
        const AxisBinding& binding = profile.axes[a];
        if (binding.role == AxisRole::None) continue;
        const HandlePosition position =
            AxisPosition(binding, device.axes[a], run.train.Power, run.train.Brake);
        if (last_[a] == position) continue;
        last_[a] = position;
        if (position.power) SetPower(run, *position.power);
        if (position.brake) SetBrake(run, *position.brake);
        acted = true;
    }
    const uint32_t pressed = device.buttons & ~lastButtons_;
    lastButtons_ = device.buttons;
    for (size_t n = 0; n < profile.buttons.size(); ++n) {
        if (!((pressed >> n) & 1u) || !profile.buttons[n]) continue;
        posted.push_back(*profile.buttons[n]);
        acted = true;
    }
    if (!acted) return;
    run.state.VigilanceTimer = 0;
    masconupdate(run);
}

}  // namespace kelvaron
