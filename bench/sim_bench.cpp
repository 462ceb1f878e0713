// Simulated seconds per wall second of the physics core: 30 ticks and 10
// motion updates make one simulated second of a train running on its line.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/sound_mixer.h"
#include "sim/motion_update.h"
#include "sim/tick.h"

namespace {

std::atomic<int64_t> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace kelvaron {
namespace {

// The core plays no sound while running; a mixer that does nothing will do.
class SilentMixer : public SoundMixer {
  public:
    SoundId CreateSound(const std::filesystem::path&) override { return 0; }
    SoundId CreateSoundFromSamples(const WaveSound&) override { return 0; }
    void FreeSound(SoundId) override {}
    bool Bind(int, SoundId) override { return true; }
    void Stop(int) override {}
    void Play(int) override {}
    void PlayLooped(int) override {}
    bool IsPlaying(int) const override { return false; }
    bool SetVolume(int, int32_t) override { return true; }
    int32_t Volume(int) const override { return 0; }
    bool SetFrequencyRatio(int, long double) override { return true; }
    void SetPrimaryFormat(int, int, int) override {}
    bool Reinitialise() override { return true; }
};

void BM_SimulatedSeconds(benchmark::State& bench) {
    RunState state;
    TrainConfig train;
    LineDefinition line;
    SilentMixer mixer;
    SimContext sim{state, train, line, mixer};

    // A 4-car 140 t electric train in notch 4 on a line of 100 filming-speed
    // records, climbing 10 permil, held near [MaxSpeed] by the traction gate.
    train.Engine_Type = 1;
    train.Tons = 1400000;
    train.Mt = 700000;
    train.Cars = 4;
    train.MaxSpeed = 110;
    train.Power = 4;
    train.Brake = 8;
    train.BrakeType = 1;
    train.BrakeUp = train.BrakeDown = 300;
    train.EBPress = 440;
    train.SAPPress = 300;
    train.HighAirPress = 490;
    train.LowAirPress = 440;
    train.BrakeRate = 40000;
    train.Lose_elec = 20;
    train.Mc = 1;
    train.PowerDelay = train.BrakeDelay = train.SAPDelay = 1;
    train.Notch.assign(4, NotchCurve{3.0, 3.0, 40, 70, 0.98});
    line.FrameRate = 30;
    int32_t distance = 0;
    for (int i = 0; i < 100; ++i) {
        distance += 50000;
        line.SpeedUnit.push_back({i * 500, i * 500 + 500, 60, 70, distance});
    }
    state.LineVoltage = 1000000;
    state.MrPressure = 4900000;
    state.BpPressure = 5000000;
    state.PowerNotch = state.EffectivePower = 4;
    state.Slope = 100000;
    state.VideoFrameCount = 50000;
    state.LeaderFrame = 1;

    const int64_t before = allocations.load();
    for (auto _ : bench) {
        for (int update = 0; update < 10; ++update) {
            for (int tick = 0; tick < 3; ++tick) MMTimer1Timer(sim);
            MotionUpdate(sim);
        }
        // Back to the start of the line before its end stops the train.
        if (state.Frame > 49000) {
            state.Frame = 0;
            state.SpeedUnitIndex = -1;
            state.LeaderFrame = 1;
        }
        benchmark::DoNotOptimize(state.Speed);
    }
    const int64_t made = allocations.load() - before;
    bench.counters["allocations"] = static_cast<double>(made);
    bench.counters["km_h"] = static_cast<double>(state.Speed) / kFixed4Scale;
    bench.SetItemsProcessed(bench.iterations());  // items: simulated seconds
    if (made != 0) bench.SkipWithError("the tick or the motion update allocated");
}
BENCHMARK(BM_SimulatedSeconds);

}  // namespace
}  // namespace kelvaron
