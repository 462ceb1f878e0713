// The automatic driver's cost. A thirty-minute line made from the sample data
// (nine stops 2.8 km apart, a 45 km/h limit on every leg, the sample's
// signals, grades and call-outs) is driven from the first station to the
// terminus, headless and in virtual time, as `--autopilot` drives it.
//
//   BM_DriveThirtyMinuteLine  items_per_second: simulated seconds per CPU
//                             second, the run and all the driver's looks
//                             ahead together; cpu_s_per_30_min: CPU seconds
//                             the drive of thirty simulated minutes costs
//                             (the goal: under 2).
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "bench_data.h"
#include "data_text.h"
#include "drive/auto_driver.h"
#include "headless_run.h"

namespace kelvaron {
namespace {

constexpr int kStops = 9;
constexpr int32_t kLegFrames = 5000;  // 2.8 km at the 60 km/h the video was filmed at
constexpr int32_t kStartTime = 1080000;

std::string Num(int64_t n) {
    return std::to_string(n);
}

void WriteThirtyMinuteLine(const std::filesystem::path& dir) {
    std::string stations, limits;
    for (int k = 0; k < kStops; ++k) {
        const int32_t zone = k * kLegFrames;
        const int32_t departure = kStartTime + 900 + k * 200 * 30;
        stations += "駅" + Num(k) + ",0," + Num(zone) + "," + Num(zone + 200) + ",0," +
                    Num(departure) + "," + Num(departure + 300) + "\n";
        if (k + 1 < kStops) {
            limits += "45,1,0," + Num(zone + 2200) + "," + Num(zone + 2800) + "\n";
        }
    }
    test::DataText line(std::filesystem::path(KELVARON_TEST_DATA) / "fixtures" / "e2e_line.dat");
    line.Set("[Station]", stations + "#")
        .Set("[SpeedLimit]", limits + "#")
        .Set("[SpeedCheck]", "#")
        .Set("[SpeedUnit]", "0,120,5,60\n120," + Num(kStops * kLegFrames) + ",60,60\n#");
    line.WriteTo(dir / "line_thirty.dat");
}

double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void BM_DriveThirtyMinuteLine(benchmark::State& state) {
    bench::SampleDataCopy data;
    WriteThirtyMinuteLine(data.Path());
    double simulated = 0, cpu = 0;
    for (auto _ : state) {
        test::HeadlessRun run(data.Path(), "train_electric.dat", "line_thirty.dat",
                              kStops * kLegFrames + 1000);
        if (!run.built) {
            state.SkipWithError(run.window->StartupError().c_str());
            break;
        }
        AutoDriver driver(run.window->Context(), run.window->Input());
        run.Start();
        const double before = CpuSeconds();
        VirtualTimePlayer({*run.window, run.joystick, run.serial}, run.timers, run.client)
            .Play(RunScript{}, &driver, std::nullopt);
        cpu += CpuSeconds() - before;
        simulated += static_cast<double>(run.timers.Now()) / 1000;
        if (!driver.Finished()) state.SkipWithError("the driver did not reach the terminus");
    }
    state.SetItemsProcessed(static_cast<int64_t>(simulated));
    state.counters["cpu_s_per_30_min"] = simulated > 0 ? cpu / simulated * 1800 : 0;
    state.counters["simulated_s"] = simulated / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DriveThirtyMinuteLine)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kelvaron
