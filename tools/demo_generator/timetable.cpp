#include "timetable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelvaron::demo {

namespace {

constexpr int32_t kTicksPerSecond = 30;

struct Driving {
    double lineSpeed;  // km/h
    double accel;      // km/h/s, mean over the run-up
    double decel;      // km/h/s
    double margin;     // s per run: reaction, coasting, creeping to the mark
};

const Driving kLocalDriving{65, 2.4, 2.5, 14};
const Driving kExpressDriving{80, 1.3, 2.2, 24};

// Seconds from a standstill to `metres` further on, not braking.
double TimeToCover(const Driving& d, double metres) {
    const double v = d.lineSpeed / 3.6;
    const double runUp = v * v / (2 * d.accel / 3.6);
    if (metres <= runUp) return std::sqrt(2 * metres / (d.accel / 3.6));
    return v / (d.accel / 3.6) + (metres - runUp) / v;
}

// Seconds from a standstill to a standstill `metres` further on.
double RunTime(const Driving& d, double metres) {
    const double a = d.accel / 3.6, b = d.decel / 3.6;
    double v = d.lineSpeed / 3.6;
    double ramps = v * v / (2 * a) + v * v / (2 * b);
    if (ramps > metres) {
        v = std::sqrt(2 * metres / (1 / a + 1 / b));
        ramps = metres;
    }
    return v / a + v / b + (metres - ramps) / v + d.margin;
}

int32_t Ticks(double seconds) {
    return static_cast<int32_t>(std::lround(seconds * kTicksPerSecond));
}

// Rounded up to the next multiple of five seconds.
int32_t UpToFive(int32_t ticks) {
    const int32_t step = 5 * kTicksPerSecond;
    return (ticks + step - 1) / step * step;
}

// A stop's departure and door-closing times after its arrival: the melody and
// the doors take about 14 s; an operational stop has no passengers.
void Depart(StationTimes& s, RunKind run) {
    const bool local = run == RunKind::Local;
    s.departure = UpToFive(s.arrival + Ticks(s.kind == 2 ? 15 : 20));
    s.doorClose = s.departure + Ticks(local ? 7 : 5);
}

}  // namespace

Timetable MakeTimetable(const Route& route, RunKind run) {
    const bool local = run == RunKind::Local;
    const Driving& d = local ? kLocalDriving : kExpressDriving;
    const std::vector<int32_t> kinds =
        local ? std::vector<int32_t>{0, 0, 0, 2, 0} : std::vector<int32_t>{0, 1, 0, 1, 0};
    Timetable t;
    t.run = run;
    t.startTime = (local ? 36000 : 36480) * kTicksPerSecond;  // 10:00:00, 10:08:00
    t.stations.resize(route.stations.size());
    t.stations[0].kind = kinds[0];
    t.stations[0].arrival = t.startTime;
    t.stations[0].departure = UpToFive(t.startTime + Ticks(25));
    t.stations[0].doorClose = t.stations[0].departure + Ticks(local ? 7 : 5);
    size_t from = 0;
    for (size_t i = 1; i < route.stations.size(); ++i) {
        t.stations[i].kind = kinds[i];
        if (kinds[i] == 1) continue;
        const double start = route.stations[from].stopMetres;
        const double length = route.stations[i].stopMetres - start;
        const int32_t leave = t.stations[from].doorClose + Ticks(4);
        const double run = RunTime(d, length);
        for (size_t k = from + 1; k < i; ++k) {
            const double share = (route.stations[k].stopMetres - start) / length;
            t.stations[k].arrival = leave + Ticks(run * share);
        }
        t.stations[i].arrival = leave + Ticks(run);
        // At the terminus too: the train leaves for the siding.
        Depart(t.stations[i], t.run);
        from = i;
    }
    for (const PointSite& p : route.timeChecks) {
        size_t last = 0;
        for (size_t i = 0; i < route.stations.size(); ++i) {
            if (route.stations[i].stopMetres <= p.metres && kinds[i] != 1) last = i;
        }
        t.timeChecks.push_back(
            t.stations[last].doorClose + Ticks(4) +
            Ticks(TimeToCover(d, p.metres - route.stations[last].stopMetres) + d.margin / 2));
    }
    return t;
}

bool AdoptDrivenTimes(Timetable& timetable, const DrivenTimes& driven) {
    bool moved = false;
    // The first station is left at its planned time: the run starts there.
    for (size_t i = 1; i < timetable.stations.size() && i < driven.stations.size(); ++i) {
        StationTimes& s = timetable.stations[i];
        if (driven.stations[i] == 0) continue;
        s.arrival = driven.stations[i];
        if (s.kind == 1) continue;
        const int32_t departure = s.departure;
        Depart(s, timetable.run);
        moved |= s.departure != departure;
    }
    for (size_t k = 0; k < timetable.timeChecks.size() && k < driven.timeChecks.size(); ++k) {
        if (driven.timeChecks[k] != 0) timetable.timeChecks[k] = driven.timeChecks[k];
    }
    return moved;
}

std::string ClockText(int32_t ticks) {
    const int32_t s = ticks / kTicksPerSecond;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return text;
}

}  // namespace kelvaron::demo
