#include "run/run_sounds.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "sim/traction.h"

namespace kelvaron {

namespace {

constexpr int32_t kSilence = -10000;
constexpr long double kSpeedOfSound = 1220;  // km/h
constexpr long double kSourceOffset = 300;   // 1/100 m beside the track

int DriveSoundCount(const RunContext& run) {
    return static_cast<int>(run.train.DriveSound.size());
}

// Frequency ratio; a value that cannot be a ratio (division by zero) is not sent.
void SetRatio(RunContext& run, int channel, long double ratio) {
    if (std::isfinite(ratio)) run.mixer.SetFrequencyRatio(channel, ratio);
}

}  // namespace

// Round(2000 log10 w) from extended precision. Scaled from the natural
// logarithm in double precision, the volume is off by far less than a
// millionth here, so unless it lies that close to a half it rounds to the
// same whole number, at a fraction of the cost; next to a half, the extended
// logarithm decides.
int32_t VolumeOfFactor(long double w) {
    if (!(w > 0) || !std::isfinite(w)) return kSilence;
    const double narrow = static_cast<double>(w);
    if (std::isnormal(narrow)) {
        const double volume = std::log(narrow) * (2000 / std::numbers::ln10);
        const double nearest = std::nearbyint(volume);
        if (std::fabs(std::fabs(volume - nearest) - 0.5) > 1e-6) {
            return static_cast<int32_t>(nearest);
        }
    }
    return static_cast<int32_t>(Round(2000 * std::log10(w)));
}

void BrakeSqueal(RunContext& run) {
    const RunState& s = run.state;
    const int channel = run.train.Sound_squeak;
    const long double speed = std::fabs(SpeedKmh(s));
    const long double loseElec = run.train.Lose_elec;
    if (s.EffectiveBrake < 0 && 3 < speed && speed < loseElec && !run.mixer.IsPlaying(channel)) {
        run.mixer.PlayLooped(channel);
    }
    if (s.EffectiveBrake == 0 || speed >= 45) {
        int32_t volume = run.mixer.Volume(channel) - 100;
        run.mixer.SetVolume(channel, volume);
        if (volume < -5000) run.mixer.Stop(channel);
    }
    if (speed < 1) {
        int32_t volume = run.mixer.Volume(channel) - 1000;
        run.mixer.SetVolume(channel, volume);
        if (volume < -5000) run.mixer.Stop(channel);
    }
    const long double pressure = static_cast<long double>(s.BcPressure) / kFixed4Scale;
    if (s.EffectiveBrake < 0 && 1 < speed && speed < loseElec && pressure > 0) {
        run.mixer.SetVolume(channel, static_cast<int32_t>(Round(-250000 / pressure)));
    }
}

void TrackSounds(RunContext& run) {
    RunState& s = run.state;
    const long double v = SpeedKmh(s);
    const auto& sounds = run.line.Sound;
    const size_t count = std::min(sounds.size(), s.TrackSoundPlayed.size());
    run.line.Lookups.TrackSounds.At(s.Frame, sounds.size()).ForEach(count, [&](size_t i) {
        const TrackSoundData& e = sounds[i];
        const int channel = run.LineChannel(e.Sound);
        const bool atStart =
            std::llabs(static_cast<int64_t>(e.StartFrame) - s.Frame) < kTrackSoundWindow;
        if (atStart && !s.TrackSoundPlayed[i]) {
            run.mixer.Stop(channel);
            if (e.Mode == 0)
                run.mixer.Play(channel);
            else
                run.mixer.PlayLooped(channel);
            s.TrackSoundPlayed[i] = true;
        }
        if (e.Mode != 0 &&
            std::llabs(static_cast<int64_t>(e.EndFrame) - s.Frame) < kTrackSoundWindow &&
            s.TrackSoundPlayed[i]) {
            run.mixer.Stop(channel);
        }
        if (e.StartFrame < s.Frame && s.Frame < e.EndFrame) {
            const long double reference = e.ReferenceSpeed;
            SetRatio(run, channel, e.Mode == 2 ? 1.0L : v / reference);
            run.mixer.SetVolume(channel, v > 0 ? VolumeOfFactor(v / reference) : kSilence);
        }
    });
}

void Announcements(RunContext& run) {
    if (run.line.OneMan != 0) return;  // the driver plays them in one-man operation
    for (const auto& a : run.line.Announce) {
        if (std::llabs(static_cast<int64_t>(a.AnnounceFrame) - run.state.Frame) < 5) {
            const int channel = run.LineChannel(a.Sound);
            if (!run.mixer.IsPlaying(channel)) run.mixer.Play(channel);
        }
    }
}

void PassingSources(RunContext& run) {
    const long double x = run.state.Distance;
    const long double v = SpeedKmh(run.state);
    bool anyNear = false;
    const auto& sources = run.line.Doppler;
    run.line.Lookups.Sources.At(static_cast<double>(x), sources.size())
        .ForEach(sources.size(), [&](size_t i) {
            const DopplerData& e = sources[i];
            const long double p = e.SourcePosition;
            const long double gap = std::fabs(x - p);
            if (gap >= e.Range) return;
            const int channel = run.LineChannel(e.Sound);
            if (!run.mixer.IsPlaying(channel)) run.mixer.PlayLooped(channel);
            // cos(atan(t)) without the two extended-precision calls.
            const long double t = kSourceOffset / (p - x);
            const long double cosTheta = 1 / std::sqrt(t * t + 1);
            if (p > x) SetRatio(run, channel, kSpeedOfSound / (kSpeedOfSound - cosTheta * v));
            if (p < x) SetRatio(run, channel, kSpeedOfSound / (kSpeedOfSound + cosTheta * v));
            run.mixer.SetVolume(channel, VolumeOfFactor((e.Range - gap) / e.Range));
            anyNear = true;
        });
    if (anyNear) return;
    // A sound stopped once is not playing the next time the table names it,
    // so asking each sound once makes the same calls as going through the table.
    auto silence = [&](int32_t sound) {
        const int channel = run.LineChannel(sound);
        if (run.mixer.IsPlaying(channel)) run.mixer.Stop(channel);
    };
    if (run.line.Lookups.Sources.Size() == sources.size()) {
        for (int32_t sound : run.line.Lookups.SourceSounds) silence(sound);
    } else {
        for (const auto& e : sources) silence(e.Sound);
    }
}

void RollingNoise(RunContext& run) {
    const int64_t speed = std::llabs(Round(SpeedKmh(run.state)));
    if (speed >= 120) return;  // the bands keep their last state
    const int k = static_cast<int>(speed / 10);
    const int r = static_cast<int>(speed % 10);
    // Only the train's own rolling-noise channels are touched: a file with
    // fewer bands than the speed needs must not stop or play line sounds.
    const int bands = DriveSoundCount(run);
    auto own = [bands](int channel) { return channel >= 0 && channel < bands; };
    if (speed > 10 && own(k - 1) && run.mixer.IsPlaying(k - 1)) run.mixer.Stop(k - 1);
    if (speed < 110 && own(k + 2) && run.mixer.IsPlaying(k + 2)) run.mixer.Stop(k + 2);
    for (int band : {k, k + 1}) {
        if (own(band) && !run.mixer.IsPlaying(band)) run.mixer.PlayLooped(band);
    }
    const long double low = 100 - 10 * r;          // never 0: r is at most 9
    const long double high = r == 0 ? 1 : 10 * r;  // a weight of 0 counts as 1
    if (own(k)) run.mixer.SetVolume(k, VolumeOfFactor(low / 100));
    if (own(k + 1)) run.mixer.SetVolume(k + 1, VolumeOfFactor(high / 100));
}

void MotorSounds(RunContext& run) {
    RunState& s = run.state;
    const long double v = SpeedKmh(s);
    const size_t count = std::min(run.train.MotorSound.size(), s.MotorCurveVolume.size());
    for (size_t k = 0; k < count; ++k) {
        const MotorSoundData& m = run.train.MotorSound[k];
        const int channel = kMotorSoundFirstChannel + static_cast<int>(k);
        if (m.LowSpeed < v && v < m.HighSpeed) {
            const long double t = (v - m.LowSpeed) / (m.HighSpeed - m.LowSpeed);
            SetRatio(run, channel, m.LowPitch + t * (m.HighPitch - m.LowPitch));
            s.MotorCurveVolume[k] = m.LowVolume + t * (m.HighVolume - m.LowVolume);
        } else {
            s.MotorCurveVolume[k] = 1;
        }
        const bool gateOpen = m.Mode == 2 || (m.Mode == 0 && s.EffectivePower > 0) ||
                              (m.Mode == 1 && s.EffectiveBrake < 0);
        if (gateOpen) {
            s.MotorGateVolume[k] = 100;
        } else if (s.MotorGateVolume[k] > 16) {
            s.MotorGateVolume[k] -= 10;
        }
    }
    s.MotorMasterVolume = 100;
    for (size_t k = 0; k < count; ++k) {
        const int channel = kMotorSoundFirstChannel + static_cast<int>(k);
        if (s.MotorCurveVolume[k] < 1) s.MotorCurveVolume[k] = 1;
        run.mixer.SetVolume(channel, VolumeOfFactor(s.MotorCurveVolume[k] * s.MotorGateVolume[k] *
                                                    s.MotorMasterVolume / 1000000));
        if (!run.mixer.IsPlaying(channel)) run.mixer.PlayLooped(channel);
    }
}

void DieselEngineSound(RunContext& run) {
    if (run.train.Engine_Type != 0) return;
    RunState& s = run.state;
    const int e1 = run.train.EngineSound[0];
    const int e2 = run.train.EngineSound[1];
    const int e3 = run.train.EngineSound[2];
    const int idle = s.DoorsOpen ? e3 : e2;
    if (!run.mixer.IsPlaying(idle)) {
        run.mixer.Stop(e2);
        run.mixer.Stop(e3);
        run.mixer.PlayLooped(idle);
    }
    SimContext sim = run.Sim();
    EngineOutputStep(sim);
    run.mixer.SetVolume(e1, VolumeOfFactor(s.EngineRev / 100));
    if (!run.mixer.IsPlaying(e1)) run.mixer.PlayLooped(e1);
    SetRatio(run, e1, s.EngineOutput / 200 + 0.5L);
}

}  // namespace kelvaron
