#pragma once

#include "run/run_context.h"

namespace kelvaron {

// The sound scene of a running train, as channel commands. Each function is
// one step of the 100 ms refresh.

// Volume in 1/100 dB of an amplitude factor: 2000 x log10(w). A factor that
// is not a positive finite number is silence (-10000), never a failure.
int32_t VolumeOfFactor(long double w);

void BrakeSqueal(RunContext& run);
void TrackSounds(RunContext& run);
void Announcements(RunContext& run);
void PassingSources(RunContext& run);
void RollingNoise(RunContext& run);
void MotorSounds(RunContext& run);
// Idle loops, the engine output step, and the engine's pitch and volume.
void DieselEngineSound(RunContext& run);

}  // namespace kelvaron
