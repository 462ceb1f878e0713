#include "shell/run_window.h"

#include <cmath>
#include <iostream>

#include "data/sound_setup.h"
#include "input/masconupdate.h"
#include "run/callouts.h"
#include "run/refresh.h"
#include "run/video_presenter.h"
#include "sim/tick.h"

namespace kelvaron {

RunWindow::RunWindow(PlatformServices services, std::filesystem::path dataDir,
                     std::string trainFile, std::string lineFile,
                     std::shared_ptr<ProgramSettings> program)
    : services_(services),
      dataDir_(std::move(dataDir)),
      trainFile_(std::move(trainFile)),
      lineFile_(std::move(lineFile)),
      program_(std::move(program)),
      context_{state_, train_, line_, images_, panel_, labels_, sounds_, services.mixer},
      joystick_(&services.joystick) {
    refreshExtras_.valueWindow = &valueWindow_;
    refreshExtras_.windowCaption = &menu_.WindowCaption;
    refreshExtras_.dataDir = dataDir_;
    refreshExtras_.scanJoystick = [this] {
        if (services_.pads && services_.padProfiles) {
            input_->ScanGamePad(*services_.pads, *services_.padProfiles);
        }
        if (auto caption = input_->ScanJoystick(*joystick_, menu_.Debug())) {
            menu_.WindowCaption = *caption;
        }
    };
    refreshExtras_.reportFault = [this](const std::string& fault) {
        if (refreshFaults_.insert(fault).second)
            std::cerr << "kelvaron: refresh step failed: " << fault << '\n';
    };
}

void RunWindow::start1Click() {
    MenuItem* start = menu_.Find("start1");
    if (recorder_) recorder_->OnStart();
    running_ = !running_;
    if (start) start->caption = running_ ? "一時停止(&S)" : "運転再開(&S)";
    state_.InputLocked = false;
    state_.DisplayedFrame -= 1;  // the presenter shows the current frame again
}

void RunWindow::StationClick(std::string_view itemName) {
    RunState& s = state_;
    const auto& stations = line_.Station;
    if (stations.empty()) return;
    size_t k = 0;
    for (size_t n = 0; n < stations.size(); ++n) {
        if (itemName == "Sta" + std::to_string(n)) k = n;
    }
    if (recorder_) recorder_->OnMove(static_cast<int32_t>(k));
    ++moves_;
    int32_t stopsBefore = 0;
    for (size_t n = 0; n < k; ++n) stopsBefore += stations[n].Kind == 0;
    const StationData& st = stations[k];

    s.Speed = 0;
    s.StationFlag.fill(StationFlags{});
    const int loaded = static_cast<int>(sounds_.DriveWaves.size() + sounds_.LineWaves.size()) +
                       line_.CommentaryCount();
    for (int c = 1; c <= loaded; ++c) services_.mixer.Stop(c);
    s.DoorsOpen = false;
    panel_.SetVisible("Lamp_Door", true);

    s.Frame =
        static_cast<int32_t>(Round((static_cast<long double>(st.ZoneStart) + st.ZoneEnd) / 2));
    panel_.SetText("Label4", st.Name);

    s.ClockTicks = st.DepartureTime - 150;
    const int32_t ticksPerFrame = std::max<int32_t>(1, 30 / std::max<int32_t>(1, line_.FrameRate));
    s.LeaderFrame = line_.Pre_Time + line_.StartPos +
                    static_cast<int32_t>(Round(
                        static_cast<long double>(s.ClockTicks - line_.StartTime) / ticksPerFrame));

    s.ShownSignalImage = 1000;
    s.CurrentGradient = 0;
    s.Slope = 0;
    s.LimitWarning = false;

    s.PowerNotch = 0;
    s.EffectivePower = 0;
    s.BrakeNotch = -train_.Brake;
    s.EffectiveBrake = -train_.Brake;
    s.RemainingDistance = 0;
    masconupdate(context_);

    s.AnnouncePos = 2 * stopsBefore;

    s.DistanceStep = 0;
    s.Distance = st.StopPosition;
    s.SpeedUnitIndex = -1;

    bool insideSignalSection = false;
    for (const auto& signal : line_.Signal) {
        if (signal.ViewStart < s.Frame && s.Frame < signal.SignalFrame) insideSignalSection = true;
    }
    if (!insideSignalSection) {
        panel_.SetPicture("SignalImage", nullptr);
        panel_.SetText("SignalLabel", "");
        s.SignalImageIndex = kNone;
        s.ShownSignalImage = kNone;
        s.ShownCallNumber = kNone;
        s.CurrentSignal = kNone;
    }

    if (s.Frame > kPastEndFrame)
        s.PastEndAllowed = 1;
    else if (s.Frame < kPastEndFirstFrame)
        s.PastEndAllowed = 0;
}

void RunWindow::S1Click() {
    ClearCalloutQueue(state_);
}

bool RunWindow::FormCloseQuery() {
    if (recorder_) recorder_->OnClose();
    recorder_.reset();
    running_ = false;
    if (services_.serial.IsOpen()) services_.serial.Close();
    state_.RemainingDistance = 0;
    state_.PatternState = 0;
    state_.PatternPrevious = 0;
    state_.ForcedEB = false;
    state_.SpeedCheckEB = false;
    autopilot_.reset();
    if (!built_) return true;
    if (keepSettings_) KeepProgramSettings();
    ReleaseSounds(sounds_, services_.mixer);
    ClearCalloutQueue(state_);
    frameBitmap_ = Picture();
    built_ = false;
    if (!services_.mixer.Reinitialise()) {
        services_.messages.Show("DirectSoundを初期化できませんでした。");
        services_.messages.Show("安全のため一旦終了いたします。");
        return false;
    }
    return true;
}

void RunWindow::MMTimer1Timer() {
    SimContext sim = context_.Sim();
    if (::kelvaron::MMTimer1Timer(sim)) masconupdate(context_);
}

void RunWindow::Timer1Timer() {
    refreshExtras_.commentaryMode = menu_.CommentaryMode();
    ::kelvaron::Timer1Timer(context_, refreshExtras_);
}

FrameTarget RunWindow::FrameTargetNow() {
    return frameTarget_ ? *frameTarget_ : TargetOf(frameBitmap_);
}

bool RunWindow::AppIdle(uint32_t nowMs) {
    return ::kelvaron::AppIdle(state_, services_.video, FrameTargetNow(), nowMs, running_);
}

bool RunWindow::Redraw() {
    return RedrawFrame(state_, services_.video, FrameTargetNow());
}

void RunWindow::RxChar(int count, int64_t nowMs) {
    input_->SerialReceived(services_.serial, count, nowMs);
    ShowSerialCaption();
}

void RunWindow::SerialWaitOver(int64_t nowMs) {
    input_->SerialWaitOver(nowMs);
    ShowSerialCaption();
}

void RunWindow::ShowSerialCaption() {
    const std::string& caption = state_.ValueWindowCaption;
    if (!caption.empty()) valueWindow_.caption = caption;
}

void RunWindow::ApplyProgramSettings() {
    const ProgramSettings& p = *program_;
    start_ = p;
    state_.KeypadSwap = p.KeypadSwap;
    state_.AutoRun = p.AutoRun;
    state_.ValueWindowShown = p.ValueWindowShown;
    ChooseController(p.ControllerKind);
}

void RunWindow::KeepProgramSettings() {
    ProgramSettings& p = *program_;
    p.KeypadSwap = state_.KeypadSwap;
    p.AutoRun = state_.AutoRun;
    p.ValueWindowShown = state_.ValueWindowShown;
    p.ControllerKind = state_.ControllerKind;
}

void RunWindow::auto1Click() {
    MenuItem* item = menu_.Find("auto1");
    if (autopilot_ || !built_) {
        autopilot_.reset();
    } else {
        autopilot_ = std::make_unique<AutoDriver>(context_, *input_);
    }
    if (item) item->checked = autopilot_ != nullptr;
}

void RunWindow::ChooseController(int kind) {
    static constexpr const char* kItems[] = {"COM11", "COM21", "COM31", "COM41"};
    if (kind < 0 || kind > 3) return;
    if (recorder_) recorder_->OnController(kind);
    menu_.ChooseController(kItems[kind], state_);
}

void RunWindow::SetTime(int64_t tMs) {
    services_.mixer.SetTime(tMs);
    if (recorder_) recorder_->SetTime(tMs);
}

void RunWindow::Record(std::unique_ptr<RunRecorder> recorder) {
    recorder_ = std::move(recorder);
    input_->Observe(recorder_.get());
}

void RunWindow::ReplayFrom(const ProgramSettings& settings) {
    keepSettings_ = false;
    start_ = settings;
    codes_.Ps = settings.Ps;
    state_.KeypadSwap = settings.KeypadSwap;
    state_.AutoRun = settings.AutoRun;
    state_.ValueWindowShown = settings.ValueWindowShown;
    ChooseController(settings.ControllerKind);
}

}  // namespace kelvaron
