// Start-up of a run: the run window's creation handler.
#include <cmath>

#include "common/data_path.h"
#include "data/brake_step_check.h"
#include "data/cab_panel_builder.h"
#include "data/data_pictures.h"
#include "data/labels_file_reader.h"
#include "data/line_file_reader.h"
#include "data/sound_setup.h"
#include "data/track_position_table.h"
#include "data/train_file_reader.h"
#include "drive/line_ahead.h"
#include "input/masconupdate.h"
#include "run/callouts.h"
#include "shell/run_window.h"

namespace kelvaron {

namespace {

constexpr int32_t kStartVoltage = 1000000;  // 100.0

}  // namespace

bool RunWindow::Fail(const std::string& message, bool fatal) {
    startupError_ = message;
    startupFatal_ = fatal;
    services_.messages.Show(message);
    return false;
}

bool RunWindow::FormCreate(const std::function<void(const std::string&)>& status) {
    auto show = [&](const char* text) {
        if (status) status(text);
    };
    std::string error;

    // Codes the store lacks keep what an earlier run of this program read.
    ReadPsCodes(services_.settings, program_->Ps);
    codes_.Ps = program_->Ps;
    frameBitmap_ = Picture();
    frameBitmap_.width = kFrameWidth;
    frameBitmap_.height = kFrameHeight;
    frameBitmap_.pixels.assign(static_cast<size_t>(kFrameWidth * kFrameHeight), 0xFF000000u);

    show("設定ファイルを読み込んでいます");
    // Without the controller codes no run is built (the player returns to the
    // title screen) rather than showing a half-built window.
    if (!ReadMasconFile(dataDir_, codes_.Mascon, &error)) return Fail(error, false);
    // One budget for every picture of the run: a file may name one huge picture many times.
    PictureBudget pictures(services_.pictures);
    if (!LoadTrainFile(dataDir_, trainFile_, pictures, images_, train_, error)) return Fail(error);
    if (!LoadLineFile(dataDir_, lineFile_, pictures, images_, line_, error)) return Fail(error);
    AddMoveItems();

    MenuCaptions captions;
    if (!ReadLabelsFile(dataDir_, labels_, captions, &error)) return Fail(error);
    menu_.ApplyCaptions(captions);

    show("運転台を描画しています");
    if (!BuildCabPanel(dataDir_, train_, line_.Staf[0], images_, pictures, panel_, error)) {
        return Fail(error);
    }

    // A video that cannot be opened, refused names included, leaves the run without pictures.
    // Nothing of an earlier run's video may stay open either.
    const DataFile video = ResolveVideoFile(dataDir_, labels_.Path, line_.DataName);
    if (video.Refused()) {
        services_.video.Close();
    } else {
        services_.video.Open(video.path);
    }
    state_.ClockTicks = line_.StartTime;
    state_.Frame = line_.StartPos;

    show("DirectSoundオブジェクトを作成しています");
    CreateSounds(dataDir_, train_, line_, services_.mixer, sounds_);

    show("サウンドを読み込んでいます");
    if (!BindSounds(sounds_, services_.mixer, error)) return Fail(error);
    state_.MotorCurveVolume.fill(1);
    state_.MotorGateVolume.fill(1);
    state_.MotorMasterVolume = 1;
    StopBoundChannels(sounds_, line_, services_.mixer);
    state_.GradientSample.fill(0);
    panel_.SetVisible("Lamp_EB", false);

    show("環境をセットアップしています");
    if (!BuildTrackPositionTable(line_, error)) return Fail(error);

    if (auto brakeError = CheckBrakeSteps(train_)) return Fail(*brakeError);
    SetStartValues();
    ApplyProgramSettings();
    services_.mixer.SetPrimaryFormat(22050, 8, 1);
    FillFixedLabels();
    masconupdate(context_);

    state_.TrackSoundPlayed.fill(false);
    state_.StationFlag.fill(StationFlags{});

    InputHooks hooks;
    hooks.callout = [this] { Callout(context_); };
    input_ = std::make_unique<InputDispatcher>(context_, codes_, std::move(hooks));
    built_ = true;
    return true;
}

void RunWindow::AddMoveItems() {
    MenuItem* move = menu_.Find("GoTo1");
    if (!move) return;
    move->items.clear();
    // Every station but the last, stops of both kinds, in line order.
    const auto& stations = line_.Station;
    for (size_t i = 0; i + 1 < stations.size(); ++i) {
        if (stations[i].Kind != 0 && stations[i].Kind != 2) continue;
        MenuItem item;
        item.name = "Sta" + std::to_string(i);
        item.caption = stations[i].Name;
        move->items.push_back(std::move(item));
    }
}

void RunWindow::SetStartValues() {
    RunState& s = state_;
    // A run starts at a platform with its doors open. One whose first frame
    // lies in no stopping platform starts out on the line with them shut:
    // nothing there would ever close them on a line with a conductor.
    const bool atPlatform = LineAhead::StopZoneAt(line_, line_.StartPos) >= 0;
    s.DoorsOpen = atPlatform;
    s.DoorCommand = atPlatform;
    s.FrameAccum = 0;
    s.PowerNotch = 0;
    s.BrakeNotch = -train_.Brake;
    s.EffectiveBrake = -train_.Brake;
    s.Speed = 0;
    s.Reverser = 1;
    s.BcPressure = static_cast<Fixed4>(train_.EBPress) * kFixed4Scale;
    s.MrPressure = static_cast<Fixed4>(train_.HighAirPress) * kFixed4Scale;
    s.CompressorOn = false;
    s.ProjectedSpeed = 0;
    s.AtsLimit = kNone;
    s.SignalImageIndex = kNone;
    s.ShownSignalImage = kNone;
    s.ShownCallNumber = kNone;
    s.CurrentSignal = kNone;
    s.PromptImage = kNone;
    s.InputLocked = true;
    s.Distance = 0;
    s.RefreshCount = 0;
    s.AdhesionBase = 3450;
    s.TractiveForce = 0;
    s.LineVoltage = kStartVoltage;
    s.VoltmeterValue = kStartVoltage;
    s.RemainingDistance = 0;
    s.Gear = 0;
    s.EngagedGear = 0;
    s.VideoFrameCount = services_.video.FrameCount();
    s.SpeedUnitIndex = 0;
    s.DisplayedFrame = 1;
    s.LeaderFrame = line_.Pre_Time + line_.StartPos;
}

void RunWindow::FillFixedLabels() {
    if (auto* gear = panel_.Find("GearLabel")) {
        gear->visible = train_.Engine_Type == 0;
        if (gear->visible) gear->text = "変";
    }
    if (!line_.Station.empty()) panel_.SetText("Label4", line_.Station[0].Name);
    panel_.SetText("Label1", labels_.Forward);
    panel_.SetText("CarsLabel", std::to_string(train_.Cars) + "両");
}

}  // namespace kelvaron
