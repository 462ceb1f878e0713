// A short run made by hand, refresh by refresh, with its review: leaves
// station A (stop position 50 m), passes signal S1 (600 m) at caution and
// station P (frames 1000 to 1100, where trains pass), meets
// the ATS bell and the braking pattern of a 45 km/h limit at 1500 m, and
// stops 1.50 m past station B's stop position (2000 m), 15 s after B's
// timetable time.
#pragma once

#include "shell/run_review.h"
#include "shell/run_summary.h"
#include "test_run.h"

namespace kelvaron::test {

struct HandMadeReview {
    TestRun r;
    RunSummary summary;
    RunReview review;

    // `lastFrame` beyond B's zone (frames 2000 to 2100): the train stands past it.
    explicit HandMadeReview(int32_t lastFrame = 2050) {
        r.train.Power = 4;
        r.train.Brake = 8;
        r.train.ATS_Type = 1;       // braking pattern
        r.train.BrakeRate = 35000;  // 3.5 km/h/s
        r.line.LineName = "Test line";
        // Filmed at 36 km/h throughout: a third of a metre a frame.
        r.line.SpeedUnit = {{0, 6000, 36, 36, 200000}};
        r.line.Station = {Station("A", 0, 100, 5000, 1080900), Station("P", 1000, 1100, 0, 0),
                          Station("B", 2000, 2100, 200000, 1083000)};
        r.line.Station[1].Kind = 1;  // passed
        SignalData s1;
        s1.Name = "S1";
        s1.Type = 1;
        s1.SignalFrame = 700;
        r.line.Signal = {s1};
        r.line.EventTable = {{60000, 0, 0}, {150000, 45, 0}};
        r.line.EventCount = 2;

        // t ms, frame, 1/100 m, km/h x 10000, clock, P, B
        Refresh(100, 50, 5000, 0, 1080000, 0, -8);
        Refresh(200, 50, 5000, 0, 1080900, 0, 0);
        Refresh(300, 60, 5100, 10000, 1080903, 4, 0);
        r.state.CurrentSignal = 0;
        r.state.SignalImageIndex = 4;  // Y of a type 1 signal
        Refresh(400, 600, 60000, 600000, 1081200, 4, 0);
        r.state.CurrentSignal = kNone;
        r.state.SignalImageIndex = kNone;
        Refresh(500, 705, 61000, 600000, 1081300, 4, 0);
        r.state.AtsAlarm = true;
        Refresh(600, 1500, 100000, 600000, 1081500, 3, 0);
        r.state.AtsAlarm = false;
        r.state.ShownLimit = 45;
        Refresh(700, 1900, 150000, 450000, 1082400, 0, -2);
        r.state.ShownLimit = 0;
        Refresh(800, lastFrame, 200150, 0, 1083450, 0, -2);
    }

    static StationData Station(const char* name, int32_t zoneStart, int32_t zoneEnd,
                               int32_t stopPosition, int32_t departure) {
        StationData s;
        s.Name = name;
        s.ZoneStart = zoneStart;
        s.ZoneEnd = zoneEnd;
        s.StopPosition = stopPosition;
        s.DepartureTime = departure;
        return s;
    }

    // The state after one refresh, seen as the runner sees it.
    void Refresh(int64_t tMs, int32_t frame, long double distance, Fixed4 speed, int32_t clock,
                 int32_t power, int32_t brake) {
        r.state.Frame = frame;
        r.state.Distance = distance;
        r.state.Speed = speed;
        r.state.ClockTicks = clock;
        r.state.PowerNotch = power;
        r.state.BrakeNotch = brake;
        summary.Observe(r.state, r.line);
        review.Observe(tMs, r.run);
    }
};

}  // namespace kelvaron::test
