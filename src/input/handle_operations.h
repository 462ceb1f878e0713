#pragma once

#include <cstdint>

#include "run/run_context.h"

namespace kelvaron {

// The operations every input source changes the handles through. Each raises
// the "moved" flags the tick consumes; the caller refreshes the display
// (masconupdate) unless the operation says it does so itself.

// One-lever handle, one step toward power: brake steps first (through the
// hold position when the train has one), then power notches.
void StepTowardPower(RunContext& run);

// One-lever handle, one step toward brake, no deeper than `lowest` (the last
// service step for keys, EB for the wheel). True when the brake notch went
// deeper.
bool StepTowardBrake(RunContext& run, int32_t lowest);

// Two-handle power handle, whatever the brake.
void PowerUp(RunContext& run);
void PowerDown(RunContext& run);

// Two-handle brake handle, one step toward release / toward the last service step.
void BrakeRelease(RunContext& run);
void BrakeApply(RunContext& run);

// Emergency braking: the one-lever form (silent, power off), the two-handle
// form (brake handle only, once) and the general form (always EB, power off).
void EmergencyOneHandle(RunContext& run);
void EmergencyTwoHandle(RunContext& run);
void Emergency(RunContext& run);

// Brake released and power off in one move.
void ReleaseAll(RunContext& run);

// Absolute positions from controllers, bounded to the train's notches.
void SetPower(RunContext& run, int32_t notch);
void SetBrake(RunContext& run, int32_t notch);

// Reverser, only at a standstill (1 km/h or less either way); refreshes the display.
void SetReverser(RunContext& run, int32_t direction);

// Manual gear change of a diesel train, refused while power is in effect;
// refreshes the display.
void ShiftGear(RunContext& run, int32_t step);

// Lifts imposed emergency braking and the protection alarm once the handle
// stands at EB and the train has stopped.
void ResetEmergency(RunContext& run);

// abs(Speed) <= 1 km/h: the standstill test of the reverser.
bool ReverserMayMove(const RunState& state);

}  // namespace kelvaron
