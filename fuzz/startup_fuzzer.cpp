// A whole start-up from a mutated train and line file, then a few seconds of
// driving: power on, brakes off, the door and horn keys, a jump to a station.
// The input is the train file, a line holding only "@@@@", then the line file.
#include <algorithm>
#include <string_view>

#include "fuzz_support.h"
#include "headless_services.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "shell/run_window.h"
#include "shell/script_playback.h"
#include "sim/scheduler.h"

namespace {

using namespace kelvaron;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSeparator = "\n@@@@\n";
    const size_t cut = input.find(kSeparator);
    if (cut == std::string_view::npos) return 0;
    const std::string_view train = input.substr(0, cut);
    const std::string_view line = input.substr(cut + kSeparator.size());
    fuzz::WriteInput("fuzz_train.dat", reinterpret_cast<const uint8_t*>(train.data()),
                     train.size());
    fuzz::WriteInput("fuzz_line.dat", reinterpret_cast<const uint8_t*>(line.data()), line.size());

    test::HeadlessServices<VirtualMixer, FfmpegVideoReader> services(nullptr, false);
    RunWindow window(services.Platform(), fuzz::DataFolder(), "fuzz_train.dat", "fuzz_line.dat");
    if (!window.FormCreate()) return 0;

    Scheduler scheduler;
    WindowTimers driver(window);
    window.start1Click();
    scheduler.Start(0);
    InputDispatcher& keys = window.Input();
    int64_t t = 0;
    for (const char key : std::string_view("d5555zzzz8888,,,,,,,,,,3416sx ")) {
        t += 250;
        scheduler.AdvanceTo(t, driver);
        keys.TypedChar(key);
    }
    window.StationClick("Sta0");
    window.start1Click();
    scheduler.Pause(t);
    window.start1Click();
    scheduler.Start(t);
    scheduler.AdvanceTo(t + 3000, driver);
    window.AppIdle(static_cast<uint32_t>(t + 3000));
    window.FormCloseQuery();
    return 0;
}
