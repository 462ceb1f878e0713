#include "sound_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>

#include "data_path_names.h"
#include "line_content.h"
#include "wave_file.h"

namespace kelvaron::demo {

namespace {

constexpr double kRate = kSampleRate;
constexpr double kTwoPi = 2 * std::numbers::pi;

using Samples = std::vector<float>;

size_t Count(double seconds) {
    return static_cast<size_t>(seconds * kRate);
}

class NoiseSource {
  public:
    explicit NoiseSource(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    float Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_ & 0xFFFFFF) / 8388607.5f - 1.0f;
    }

  private:
    uint32_t state_;
};

// Biquad band-pass (constant peak gain), the usual cookbook form.
class BandPass {
  public:
    BandPass(double centre, double q) {
        const double w = kTwoPi * centre / kRate;
        const double alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        b0_ = alpha / a0;
        b2_ = -alpha / a0;
        a1_ = -2 * std::cos(w) / a0;
        a2_ = (1 - alpha) / a0;
    }
    float Run(float x) {
        const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return static_cast<float>(y);
    }

  private:
    double b0_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

class LowPass {
  public:
    explicit LowPass(double cutoff) : a_(1 - std::exp(-kTwoPi * cutoff / kRate)) {}
    float Run(float x) {
        y_ += a_ * (x - y_);
        return static_cast<float>(y_);
    }

  private:
    double a_;
    double y_ = 0;
};

void Normalise(Samples& s, float peak) {
    float top = 1e-6f;
    for (float v : s) top = std::max(top, std::fabs(v));
    for (float& v : s) v *= peak / top;
}

// Makes a recording loop without a click: the extra tail is faded into the start.
Samples Looped(Samples s, size_t length) {
    const size_t fade = std::min(s.size() - length, length / 4);
    Samples out(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(length));
    for (size_t i = 0; i < fade; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(fade);
        out[i] = out[i] * t + s[length + i] * (1 - t);
    }
    return out;
}

// A sound of `seconds`, each sample from f(t, noise).
Samples Make(double seconds, uint32_t seed, const std::function<float(double, NoiseSource&)>& f) {
    NoiseSource noise(seed);
    Samples s(Count(seconds));
    for (size_t i = 0; i < s.size(); ++i) s[i] = f(static_cast<double>(i) / kRate, noise);
    return s;
}

float Envelope(double t, double attack, double decay) {
    if (t < attack) return static_cast<float>(t / attack);
    return static_cast<float>(std::exp(-(t - attack) / decay));
}

// Air rushing out of a valve.
Samples Air(double seconds, double centre, double decay, uint32_t seed) {
    BandPass band(centre, 0.7);
    LowPass body(500);
    return Make(seconds, seed, [&](double t, NoiseSource& n) {
        const float x = n.Next();
        return (band.Run(x) + 0.3f * body.Run(x)) * Envelope(t, 0.02, decay);
    });
}

// A struck metal bar: a few inharmonic partials decaying.
float Strike(double t, double f, double decay) {
    if (t < 0) return 0;
    const double e = std::exp(-t / decay);
    return static_cast<float>(e *
                              (std::sin(kTwoPi * f * t) + 0.5 * std::sin(kTwoPi * f * 2.76 * t) +
                               0.25 * std::sin(kTwoPi * f * 5.4 * t) * std::exp(-t / (decay / 3))));
}

// A soft mallet note for the melodies.
float Note(double t, double f, double length) {
    if (t < 0 || t > length + 0.6) return 0;
    const double e = std::min(1.0, t / 0.01) * std::exp(-t / 0.55);
    return static_cast<float>(e * (std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * 2 * f * t) +
                                   0.12 * std::sin(kTwoPi * 3 * f * t)));
}

float Square(double t, double f) {
    return std::sin(kTwoPi * f * t) >= 0 ? 1.0f : -1.0f;
}

Samples Melody(const std::vector<std::pair<int, double>>& notes, double beat) {
    double length = 0;
    for (const auto& n : notes) length += n.second * beat;
    return Make(length + 1.0, 3, [&](double t, NoiseSource&) {
        float sum = 0;
        double start = 0;
        for (const auto& [semitone, beats] : notes) {
            if (semitone > -99) {
                const double f = 523.25 * std::pow(2.0, semitone / 12.0);
                sum += Note(t - start, f, beats * beat);
            }
            start += beats * beat;
        }
        return sum;
    });
}

// Rolling noise at `speed` km/h: wheels on rail (filtered noise brighter and
// louder with speed), body rumble, and the rail joints every 25 m: the two
// axles of the leading bogie, then those of the trailing one.
Samples Rolling(int speed, bool diesel) {
    if (speed == 0) {
        LowPass hum(180);
        Samples s = Make(2.5, 11, [&](double t, NoiseSource& n) {
            return hum.Run(n.Next()) * 0.6f +
                   0.05f * static_cast<float>(std::sin(kTwoPi * 100 * t));
        });
        s = Looped(s, Count(2.0));
        Normalise(s, 0.05f);
        return s;
    }
    const double v = speed / 3.6;
    const double period = 25.0 / v;
    const double loop = period * std::max(1.0, std::ceil(2.0 / period));
    const double clicks[] = {0, 2.1 / v, 13.8 / v, 15.9 / v};
    LowPass wheel(250 + 18.0 * speed);
    LowPass rumble(90);
    BandPass squeal(2400, 8);
    Samples s = Make(loop + 0.5, 20 + static_cast<uint32_t>(speed), [&](double t, NoiseSource& n) {
        const float x = n.Next();
        float sum = wheel.Run(x) * (0.5f + speed / 80.0f) + rumble.Run(n.Next()) * 2.0f;
        sum += 0.02f * squeal.Run(x) * static_cast<float>(speed) / 60.0f;
        const double phase = std::fmod(t, period);
        for (double c : clicks) {
            const double dt = phase - c;
            if (dt >= 0 && dt < 0.08) {
                sum += static_cast<float>(1.6 * std::exp(-dt / 0.018) *
                                          std::sin(kTwoPi * (diesel ? 95 : 120) * dt));
            }
        }
        return sum;
    });
    s = Looped(s, Count(loop));
    Normalise(s, static_cast<float>(std::min(0.9, 0.25 + speed / 150.0)));
    return s;
}

// A tonal loop: partials of `base` Hz with a little noise, for motors and fans.
Samples Hum(double base, const std::vector<double>& partials, double noiseLevel, double seconds,
            uint32_t seed) {
    LowPass soft(1800);
    Samples s = Make(seconds + 0.4, seed, [&](double t, NoiseSource& n) {
        double sum = 0;
        for (size_t k = 0; k < partials.size(); ++k) {
            sum += partials[k] * std::sin(kTwoPi * base * (k + 1) * t);
        }
        return static_cast<float>(sum) + soft.Run(n.Next()) * static_cast<float>(noiseLevel);
    });
    s = Looped(s, Count(seconds));
    Normalise(s, 0.7f);
    return s;
}

// A diesel engine: firing pulses at `firing` Hz through a resonant body.
Samples Engine(double firing, double seconds, float level, uint32_t seed) {
    LowPass body(400);
    BandPass roar(160, 1.2);
    Samples s = Make(seconds + 0.4, seed, [&](double t, NoiseSource& n) {
        const double phase = std::fmod(t * firing, 1.0);
        const float pulse = static_cast<float>(std::exp(-phase * 6.0));
        return body.Run(pulse * 1.5f + 0.3f * n.Next()) + 0.4f * roar.Run(n.Next() * pulse);
    });
    s = Looped(s, Count(seconds));
    Normalise(s, level);
    return s;
}

using Writer = std::function<bool(const std::string&, const Samples&)>;

bool LineSounds(const Writer& write) {
    const std::vector<std::string> files = SynthesisedLineSounds();
    const auto file = [&](LineSound id) { return files[static_cast<size_t>(id)]; };
    Samples s;

    s = Air(0.9, 2600, 0.25, 1);
    Normalise(s, 0.6f);
    if (!write(file(kBrakeRelease), s)) return false;
    s = Air(1.8, 2000, 0.6, 2);
    Normalise(s, 0.7f);
    if (!write(file(kReleaseAll), s)) return false;
    {
        LowPass low(120);
        Samples air = Air(3.0, 1500, 1.0, 4);
        for (size_t i = 0; i < air.size(); ++i) air[i] += 3.0f * low.Run(air[i]);
        Normalise(air, 0.9f);
        if (!write(file(kEmergencyAir), air)) return false;
    }
    // The ATS bell rings on as long as it is looped: strikes 16 times a second.
    s = Make(1.0, 5, [](double t, NoiseSource&) {
        return Strike(std::fmod(t, 1.0 / 16), 2350, 0.03) +
               0.6f * Strike(std::fmod(t, 1.0 / 16), 1180, 0.04);
    });
    Normalise(s, 0.7f);
    if (!write(file(kAtsBell), s)) return false;
    s = Make(1.2, 6, [](double t, NoiseSource&) {
        return Strike(t, 1320, 0.35) + Strike(t - 0.45, 1050, 0.4);
    });
    Normalise(s, 0.6f);
    if (!write(file(kAtsChime), s)) return false;
    s = Make(1.0, 7, [](double t, NoiseSource&) { return Strike(t, 1660, 0.3); });
    Normalise(s, 0.6f);
    if (!write(file(kAtcChime), s)) return false;
    const auto horn = [](double seconds, std::vector<double> pitches, uint32_t seed) {
        LowPass tone(2500);
        Samples h = Make(seconds, seed, [&](double t, NoiseSource&) {
            const double env = std::min(1.0, t / 0.05) * std::min(1.0, (seconds - t) / 0.15);
            double sum = 0;
            for (double f : pitches) sum += 2 * std::fmod(t * f, 1.0) - 1;  // sawtooth
            return tone.Run(static_cast<float>(sum * env));
        });
        Normalise(h, 0.8f);
        return h;
    };
    if (!write(file(kHorn), horn(1.3, {349.2, 440.0}, 8))) return false;
    s = Make(1.1, 9, [](double t, NoiseSource&) {
        const double env = std::min(1.0, t / 0.03) * std::min(1.0, (1.1 - t) / 0.1);
        const double f = t < 0.45 ? 784 : 659;
        return static_cast<float>(env) *
               (0.7f * Square(t, f) + 0.3f * static_cast<float>(std::sin(kTwoPi * 2 * f * t)));
    });
    Normalise(s, 0.5f);
    if (!write(file(kWhistle), s)) return false;
    if (!write(file(kHornLong), horn(2.6, {311.1, 392.0}, 10))) return false;
    // Doors: the air valve, the leaves sliding, the thump at the end.
    const auto door = [](bool closing) {
        LowPass slide(300);
        BandPass hiss(3000, 0.8);
        const double length = closing ? 3.2 : 2.2;
        const double start = closing ? 1.1 : 0.2;
        return Make(length, closing ? 12 : 11, [=](double t, NoiseSource& n) mutable {
            float sum = 0;
            if (closing && t < 1.0) {
                sum += 0.5f * (Strike(std::fmod(t, 0.5), 988, 0.12) +
                               Strike(std::fmod(t, 0.5) - 0.18, 784, 0.15));
            }
            sum += 0.6f * hiss.Run(n.Next()) * Envelope(t - start + 0.2, 0.02, 0.2) *
                   (t > start - 0.2);
            if (t > start && t < start + 1.2) sum += 1.5f * slide.Run(n.Next());
            const double thump = t - start - 1.2;
            if (thump > 0)
                sum += static_cast<float>(1.5 * std::exp(-thump / 0.05) *
                                          std::sin(kTwoPi * 70 * thump));
            return sum;
        });
    };
    s = door(false);
    Normalise(s, 0.7f);
    if (!write(file(kDoorOpen), s)) return false;
    s = door(true);
    Normalise(s, 0.7f);
    if (!write(file(kDoorClose), s)) return false;
    s = Make(5.0, 13, [](double t, NoiseSource&) {
        return (0.6f + 0.4f * Square(t, 4)) *
               (0.7f * Square(t, 820) + 0.3f * static_cast<float>(std::sin(kTwoPi * 1640 * t)));
    });
    Normalise(s, 0.55f);
    if (!write(file(kVigilanceRing), s)) return false;
    {
        NoiseSource wobble(14);
        double phase = 0, drift = 0;
        Samples squeal = Make(2.4, 14, [&](double t, NoiseSource& n) {
            drift = 0.999 * drift + 0.001 * n.Next();
            phase += kTwoPi * (2900 + 400 * drift + 60 * std::sin(kTwoPi * 5 * t)) / kRate;
            const float amp =
                0.6f + 0.4f * static_cast<float>(std::sin(kTwoPi * 0.9 * t + wobble.Next() * 0.01));
            return amp * static_cast<float>(std::sin(phase) + 0.3 * std::sin(2 * phase));
        });
        squeal = Looped(squeal, Count(2.0));
        Normalise(squeal, 0.5f);
        if (!write(file(kSqueal), squeal)) return false;
    }
    const auto compressor = [](double seconds, double from, double to, double airAt,
                               uint32_t seed) {
        LowPass body(500);
        BandPass hiss(2500, 0.8);
        double phase = 0;
        return Make(seconds, seed, [=](double t, NoiseSource& n) mutable {
            const double rate =
                from + (to - from) * std::min(1.0, t / std::max(0.1, seconds - 0.2));
            phase += rate / kRate;
            const float thud = static_cast<float>(std::exp(-std::fmod(phase, 1.0) * 5));
            float sum = body.Run(thud + 0.2f * n.Next()) * 2.0f;
            if (airAt > 0 && t > airAt)
                sum += 0.4f * hiss.Run(n.Next()) * Envelope(t - airAt, 0.02, 0.3);
            return sum;
        });
    };
    s = compressor(1.2, 2, 14, 0, 15);
    Normalise(s, 0.5f);
    if (!write(file(kCompressorStart), s)) return false;
    s = Looped(compressor(1.4, 14, 14, 0, 16), Count(1.0));
    Normalise(s, 0.5f);
    if (!write(file(kCompressorRun), s)) return false;
    s = compressor(1.6, 14, 1, 0.9, 17);
    Normalise(s, 0.5f);
    if (!write(file(kCompressorStop), s)) return false;
    s = Make(1.0, 18, [](double t, NoiseSource&) { return Strike(t, 1180, 0.25); });
    Normalise(s, 0.5f);
    if (!write(file(kStopAlert), s)) return false;
    const auto buzz = [](double seconds, double gap) {
        return Make(seconds, 19, [=](double t, NoiseSource&) {
            const bool on = gap <= 0 || std::fmod(t, 2 * gap) < gap;
            return on ? 0.8f * Square(t, 330) + 0.2f * Square(t, 660) : 0.0f;
        });
    };
    s = buzz(0.35, 0);
    Normalise(s, 0.45f);
    if (!write(file(kBuzzer1), s)) return false;
    s = buzz(1.3, 0);
    Normalise(s, 0.45f);
    if (!write(file(kBuzzer2), s)) return false;
    s = buzz(1.0, 0.3);
    Normalise(s, 0.45f);
    if (!write(file(kDepartureSignal), s)) return false;
    // Two short departure melodies (semitones above C5, beats).
    s = Melody({{0, 1},
                {4, 1},
                {7, 1},
                {12, 2},
                {9, 1},
                {7, 1},
                {4, 1},
                {7, 2},
                {5, 1},
                {4, 1},
                {2, 1},
                {0, 3}},
               0.32);
    Normalise(s, 0.6f);
    if (!write(file(kMelodyA), s)) return false;
    s = Melody(
        {{7, 1}, {9, 1}, {7, 1}, {4, 1}, {2, 2}, {4, 1}, {7, 1}, {12, 2}, {11, 1}, {9, 1}, {7, 3}},
        0.34);
    Normalise(s, 0.6f);
    if (!write(file(kMelodyB), s)) return false;
    s = Make(1.0, 20, [](double t, NoiseSource&) {
        return Strike(std::fmod(t, 0.5), 720, 0.09) + 0.5f * Strike(std::fmod(t, 0.5), 1450, 0.05);
    });
    Normalise(s, 0.7f);
    if (!write(file(kCrossingBell), s)) return false;
    {
        LowPass low(160);
        BandPass ring(420, 6);
        Samples bridge = Make(2.4, 21, [&](double t, NoiseSource& n) {
            const double phase = std::fmod(t, 0.4);
            const float clack =
                static_cast<float>(std::exp(-phase / 0.03) * std::sin(kTwoPi * 90 * phase));
            return 3.0f * low.Run(n.Next()) + 0.5f * ring.Run(n.Next()) + clack;
        });
        bridge = Looped(bridge, Count(2.0));
        Normalise(bridge, 0.8f);
        if (!write(file(kBridgeRumble), bridge)) return false;
    }
    {
        BandPass roar(260, 0.6);
        LowPass low(80);
        Samples tunnel = Make(3.5, 22, [&](double, NoiseSource& n) {
            return roar.Run(n.Next()) + 2.0f * low.Run(n.Next());
        });
        tunnel = Looped(tunnel, Count(3.0));
        Normalise(tunnel, 0.7f);
        if (!write(file(kTunnelRoar), tunnel)) return false;
    }
    {
        BandPass rush(900, 0.5);
        Samples passing = Make(4.0, 23, [&](double t, NoiseSource& n) {
            const double swell = std::exp(-std::pow((t - 1.4) / 0.7, 2));
            const double phase = std::fmod(t, 0.22);
            const float clack =
                t > 1.0 && t < 2.6
                    ? static_cast<float>(std::exp(-phase / 0.02) * std::sin(kTwoPi * 110 * phase))
                    : 0.0f;
            return static_cast<float>(swell) * (rush.Run(n.Next()) * 2.0f + clack);
        });
        Normalise(passing, 0.85f);
        if (!write(file(kPassingTrain), passing)) return false;
    }
    return true;
}

bool TrainSounds(TrainKind kind, const Writer& write) {
    const bool diesel = kind == TrainKind::Diesel;
    const std::vector<std::string> drive = DriveSoundFiles(kind);
    for (int band = 0; band < kRollingBands; ++band) {
        if (!write(drive[static_cast<size_t>(band)], Rolling(band * 10, diesel))) return false;
    }
    const std::vector<MotorSoundRecord> motors = MotorSounds(kind);
    if (diesel) {
        if (!write(drive[kRollingBands], Engine(60, 1.0, 0.8f, 31)) ||
            !write(drive[kRollingBands + 1], Engine(28, 1.0, 0.5f, 32)) ||
            !write(drive[kRollingBands + 2], Engine(28, 1.0, 0.35f, 33))) {
            return false;
        }
        return write(motors[0].file, Hum(310, {1.0, 0.4, 0.2}, 0.4, 1.0, 34)) &&
               write(motors[1].file, Hum(95, {0.3, 0.2}, 1.2, 1.5, 35)) &&
               write(motors[2].file, Hum(52, {1.0, 0.5, 0.3}, 0.6, 1.2, 36));
    }
    return write(motors[0].file, Hum(420, {1.0, 0.5, 0.25, 0.12}, 0.15, 1.0, 41)) &&
           write(motors[1].file, Hum(680, {1.0, 0.35, 0.3}, 0.2, 1.0, 42)) &&
           write(motors[2].file, Hum(520, {1.0, 0.6, 0.2}, 0.25, 1.0, 43)) &&
           write(motors[3].file, Hum(118, {0.3, 0.2}, 1.4, 1.5, 44));
}

Writer FileWriter(const std::filesystem::path& outDir, std::string& error) {
    return [&outDir, &error](const std::string& name, const Samples& s) {
        if (WriteWave(DataFile(outDir, name), s)) return true;
        error = name;
        return false;
    };
}

}  // namespace

std::vector<std::string> DriveSoundFiles(TrainKind kind) {
    const bool diesel = kind == TrainKind::Diesel;
    std::vector<std::string> files;
    for (int band = 0; band < kRollingBands; ++band) {
        char name[40];
        std::snprintf(name, sizeof name, "sound\\%s\\run%03d.wav", diesel ? "2000" : "1000",
                      band * 10);
        files.push_back(name);
    }
    if (diesel) {
        files.push_back("sound\\2000\\engine_run.wav");
        files.push_back("sound\\2000\\engine_idle.wav");
        files.push_back("sound\\2000\\engine_idle_doors.wav");
    }
    return files;
}

std::vector<MotorSoundRecord> MotorSounds(TrainKind kind) {
    if (kind == TrainKind::Diesel) {
        return {
            {"sound\\2000\\converter.wav", 0, 0, 110, 0.6, 1.5, 30, 80},
            {"sound\\2000\\brake_shoes.wav", 1, 3, 110, 0.8, 1.2, 20, 60},
            {"sound\\2000\\underfloor.wav", 2, 0, 110, 0.8, 1.3, 25, 55},
        };
    }
    return {
        {"sound\\1000\\motor_low.wav", 0, 0, 60, 0.45, 1.5, 40, 100},
        {"sound\\1000\\motor_high.wav", 0, 40, 120, 0.8, 1.6, 15, 80},
        {"sound\\1000\\motor_brake.wav", 1, 8, 110, 0.5, 1.5, 30, 90},
        {"sound\\1000\\blower.wav", 2, 0, 120, 0.9, 1.1, 30, 45},
    };
}

bool WriteTrainSounds(const std::filesystem::path& outDir, TrainKind kind, std::string& error) {
    return TrainSounds(kind, FileWriter(outDir, error));
}

bool WriteLineSounds(const std::filesystem::path& outDir, std::string& error) {
    return LineSounds(FileWriter(outDir, error));
}

}  // namespace kelvaron::demo
