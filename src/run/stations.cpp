#include "run/stations.h"

#include <cmath>

#include "data/panel_ops.h"
#include "run/blink.h"
#include "run/callouts.h"
#include "sim/doors.h"

namespace kelvaron {

namespace {

constexpr int32_t kDepartureVoiceSlot = 35;
constexpr int32_t kAnnouncedStation = 15;
constexpr int32_t kAnnouncedStationSound = 12;

const std::string& KindText(const Labels& labels, int32_t kind) {
    static const std::string kNothing;
    switch (kind) {
        case 0:
            return labels.Stop;
        case 1:
            return labels.Pass;
        case 2:
            return labels.Stop2;
        default:
            return kNothing;
    }
}

void OpenOrCloseDoors(RunContext& run) {
    SimContext sim = run.Sim();
    Door_operate(sim);
}

}  // namespace

void DoorClosingAndDepartureSignal(RunContext& run) {
    RunState& s = run.state;
    // The doors-closed lamp is dark exactly while the doors are open; testing
    // the state rather than the lamp keeps a panel without that lamp from
    // sounding the departure signal at every refresh.
    if (!s.DoorCommand && s.DoorsOpen && !run.mixer.IsPlaying(run.train.Sound_DoorOpen) &&
        !run.mixer.IsPlaying(run.train.Sound_DoorClose)) {
        run.panel.SetVisible("Lamp_Door", true);
        s.DoorsOpen = false;
        Restart(run.mixer, run.train.DepSign);
        if (kDepartureVoiceSlot < static_cast<int32_t>(run.sounds.CommentaryWaves.size())) {
            kanko_queue_add(s, run.sounds.CommentaryWaves[kDepartureVoiceSlot]);
        }
    }
    if (s.DoorsOpen) run.panel.SetVisible("Lamp_Door", false);
}

void Stations(RunContext& run) {
    RunState& s = run.state;
    const auto& stations = run.line.Station;
    const size_t count = std::min(stations.size(), s.StationFlag.size());
    // A station acts near its platform, and wherever the train is while its
    // stop is under way.
    RecordSet underWay;
    for (size_t i = 0; i < count; ++i) {
        const StationFlags& flags = s.StationFlag[i];
        if (flags.markerShown && !flags.doorsClosed) underWay.Add(static_cast<uint32_t>(i));
    }
    const RecordSet acting =
        RecordSet::Union(run.line.Lookups.Stations.At(s.Frame, stations.size()), underWay);
    auto step = [&](size_t i) {
        const StationData& st = stations[i];
        StationFlags& flags = s.StationFlag[i];
        if (i + 1 < stations.size()) {
            const StationData& next = stations[i + 1];
            if (st.ZoneEnd < s.Frame && s.Frame < next.ZoneStart) {
                run.panel.SetText("Label4", next.Name + KindText(run.labels, next.Kind));
                if (flags.markerShown) run.panel.SetPicture("stop", nullptr);
                flags.markerShown = false;
            }
        } else if (st.ZoneEnd < s.Frame && flags.markerShown && !flags.departurePlayed) {
            // Past the last platform the stop is missed: the conductor must not
            // open the doors where the train came to rest beyond it.
            run.panel.SetPicture("stop", nullptr);
            flags.markerShown = false;
        }
        if (st.ZoneStart <= s.Frame && s.Frame <= st.ZoneEnd && st.Kind != 1) {
            if (!flags.markerShown)
                DrawImageListEntry(run.panel, "stop", run.images.SignImageList, 0);
            run.panel.SetText("Label4", st.Name);
            flags.markerShown = true;
        }
        if (!flags.markerShown || flags.doorsClosed) return;

        if (st.Kind == 0 && !s.DoorsOpen && SpeedRoundsToZero(s)) {
            if (run.line.OneMan == 0) OpenOrCloseDoors(run);
            if (i == kAnnouncedStation) {
                // Started once, not restarted at every refresh while the train waits.
                const int channel = run.LineChannel(kAnnouncedStationSound);
                if (!run.mixer.IsPlaying(channel)) Restart(run.mixer, channel);
            }
        }
        const int departureChannel = run.LineChannel(st.DepartureSound);
        if (st.DepartureTime < s.ClockTicks && !flags.departurePlayed &&
            (st.Kind == 2 || (st.Kind == 0 && s.DoorsOpen))) {
            Restart(run.mixer, departureChannel);
            flags.departurePlayed = true;
            s.TargetDistance = 0;
            for (size_t j = i + 1; j < stations.size(); ++j) {
                if (stations[j].Kind == 0) {
                    s.TargetDistance = stations[j].StopPosition;
                    break;
                }
            }
            if (kPastEndFirstFrame <= s.Frame && s.Frame <= kPastEndFrame) {
                s.PastEndAllowed = 1;
                s.Frame = kPastEndFrame;
            }
        }
        if (st.DoorCloseTime < s.ClockTicks && s.DoorsOpen &&
            !run.mixer.IsPlaying(departureChannel)) {
            if (run.line.OneMan == 0) OpenOrCloseDoors(run);
            flags.doorsClosed = true;
        }
    };
    // A departure onto the stretch past the line's end moves the train: the
    // stations after it are then looked at where it now stands.
    const int32_t frameBefore = s.Frame;
    size_t next = 0;
    acting.ForEach(count, [&](size_t i) {
        if (s.Frame != frameBefore) return;
        step(i);
        next = i + 1;
    });
    if (s.Frame != frameBefore) {
        for (size_t i = next; i < count; ++i) step(i);
    }
}

void StopAlert(RunContext& run) {
    RunState& s = run.state;
    const int channel = run.train.Stop;
    for (int32_t f : run.line.StopSound) {
        if (f < s.Frame && static_cast<int64_t>(s.Frame) < static_cast<int64_t>(f) + 30 &&
            !run.mixer.IsPlaying(channel)) {
            run.mixer.PlayLooped(channel);
        }
    }
    const long double speed = std::fabs(SpeedKmh(s));
    if (speed < 1 && s.DoorsOpen && run.mixer.IsPlaying(channel)) {
        run.mixer.Stop(channel);
        run.panel.SetVisible("Lamp_stopalert", false);
    }
    if (run.mixer.IsPlaying(channel)) Blink(run.panel, "Lamp_stopalert", s.RefreshCount);
}

}  // namespace kelvaron
