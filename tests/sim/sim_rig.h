#pragma once

#include "recording_mixer.h"
#include "sim/motion_update.h"
#include "sim/tick.h"

namespace kelvaron::test {

// A 36 t electric train (1 km/h/s is 10^8 in Fixed4 newtons) on a level line,
// doors closed, brake released, handle delays of one tick, brake system 2 with
// 8 steps, U = D = 300 kPa/s, E = 440, S = 300; notch curves 3, 3, 40, 70, 0.98.
struct SimRig {
    RunState state;
    TrainConfig train;
    LineDefinition line;
    RecordingMixer mixer;
    SimContext sim{state, train, line, mixer};

    SimRig() {
        train.Engine_Type = 1;
        train.Tons = 360000;
        train.Mt = 180000;
        train.Cars = 4;
        train.MaxSpeed = 120;
        train.Power = 4;
        train.Brake = 8;
        train.BrakeType = 2;
        train.BrakeUp = train.BrakeDown = 300;
        train.EBPress = 440;
        train.SAPPress = 300;
        train.HighAirPress = 490;
        train.LowAirPress = 440;
        train.BrakeRate = 40000;
        train.PowerDelay = train.BrakeDelay = train.SAPDelay = 1;
        train.Notch.assign(4, NotchCurve{3.0, 3.0, 40, 70, 0.98});
        line.FrameRate = 30;
        state.LineVoltage = 1000000;
        state.FilmingSpeed = 60;
        state.MrPressure = 4900000;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) MMTimer1Timer(sim);
    }
    // Three ticks, then a motion update: a tenth of a simulated second.
    void Tenths(int n) {
        for (int i = 0; i < n; ++i) {
            Ticks(3);
            MotionUpdate(sim);
        }
    }
};

}  // namespace kelvaron::test
