#include "drive/handle_keys.h"

#include <algorithm>

namespace kelvaron {

namespace {

// The brake handle's place counted in steps from release toward EB, the hold
// position (when the train has one) being the first step.
int32_t BrakeSteps(const RunState& s, const TrainConfig& t) {
    const int32_t hold = t.Hold == 1 ? 1 : 0;
    if (s.BrakeNotch < 0) return -s.BrakeNotch + hold;
    return s.HoldPosition ? 1 : 0;
}

int32_t WantedBrakeSteps(int32_t brake, const TrainConfig& t) {
    return brake < 0 ? -brake + (t.Hold == 1 ? 1 : 0) : 0;
}

// One combined lever: power notches above release, brake steps below it.
int32_t LeverPlace(const RunState& s, const TrainConfig& t) {
    return s.PowerNotch > 0 ? s.PowerNotch : -BrakeSteps(s, t);
}

// The next key toward the target, or 0 when the handles stand there.
char NextKey(const RunState& s, const TrainConfig& t, HandleTarget target) {
    if (t.Handle == 0) {
        const int32_t want = target.power > 0 ? target.power : -WantedBrakeSteps(target.brake, t);
        const int32_t now = LeverPlace(s, t);
        if (now < want) return 'z';
        if (now > want) return 'a';
        return 0;
    }
    const int32_t brakeNow = BrakeSteps(s, t);
    const int32_t brakeWant = WantedBrakeSteps(target.brake, t);
    if (s.PowerNotch > target.power) return 'a';
    if (brakeNow < brakeWant) return '.';
    if (brakeNow > brakeWant) return ',';
    if (s.PowerNotch < target.power) return 'z';
    return 0;
}

}  // namespace

HandleTarget HandlesOf(const RunState& state) {
    return {state.PowerNotch, state.BrakeNotch};
}

void TypeHandleKey(const RunState& state, const TrainConfig& train, HandleTarget target,
                   const std::function<void(char)>& type) {
    target.power = std::clamp(target.power, 0, std::max(train.Power, 0));
    target.brake = std::clamp(target.brake, std::min(1 - train.Brake, 0), 0);
    if (const char key = NextKey(state, train, target)) type(key);
}

}  // namespace kelvaron
