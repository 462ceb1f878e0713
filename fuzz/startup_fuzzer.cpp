// A whole start-up from a mutated train and line file, then a few seconds of
// driving: power on, brakes off, the door and horn keys, a jump to a station.
// The input is the train file, a line holding only "@@@@", then the line file.
#include <algorithm>
#include <string_view>

#include "fuzz_support.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/run_window.h"
#include "sim/scheduler.h"

namespace {

using namespace kelvaron;

class Driver : public SchedulerClient {
  public:
    Driver(RunWindow& window, VirtualMixer& mixer) : window_(window), mixer_(mixer) {}
    void OnTick(int64_t t) override {
        mixer_.SetTime(t);
        window_.MMTimer1Timer();
    }
    void OnRefresh(int64_t t) override {
        mixer_.SetTime(t);
        window_.Timer1Timer();
    }

  private:
    RunWindow& window_;
    VirtualMixer& mixer_;
};

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

    VirtualMixer mixer(nullptr, false);
    FfmpegVideoReader video;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    messages.echo = false;
    PlatformServices services{mixer, video, pictures, joystick, serial, settings, messages};
    RunWindow window(services, fuzz::DataFolder(), "fuzz_train.dat", "fuzz_line.dat");
    if (!window.FormCreate()) return 0;

    Scheduler scheduler;
    Driver driver(window, mixer);
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
