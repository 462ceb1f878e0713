#include "run/signals.h"

#include <algorithm>
#include <array>
#include <vector>

#include "data/panel_ops.h"
#include "run/signal_image_classes.h"

namespace kelvaron {

namespace {

// Rows: repeater, then block signal types 1 to 5 (and above); columns: raw
// aspect R, YY, Y, YG, G.
constexpr std::array<std::array<int32_t, 5>, 6> kImageByType{{
    {0, 1, 1, 1, 2},
    {3, 3, 4, 4, 4},
    {6, 6, 7, 7, 8},
    {9, 9, 10, 11, 12},
    {13, 14, 15, 15, 16},
    {17, 18, 19, 20, 21},
}};

constexpr int32_t kRed = 0;
constexpr int32_t kGreen = 4;

// Pictures of signal types from this one on are not drawn.
constexpr int32_t kFirstUndrawnType = 6;

constexpr std::array<PanelName, 5> kCabSignalLamps{"Lamp_G", "Lamp_YG", "Lamp_Y", "Lamp_YY",
                                                   "Lamp_R"};

void ShowCabSignalLamps(PanelModel& panel, int32_t image) {
    for (PanelName lamp : kCabSignalLamps) panel.SetVisible(lamp, false);
    if (IsGImage(image)) panel.SetVisible("Lamp_G", true);
    if (IsYGImage(image)) panel.SetVisible("Lamp_YG", true);
    if (IsYImage(image)) panel.SetVisible("Lamp_Y", true);
    if (IsYYImage(image)) panel.SetVisible("Lamp_YY", true);
    if (IsStopImage(image)) panel.SetVisible("Lamp_R", true);
}

// The signal stands between its view start and itself: its aspect becomes
// its picture, and the cab shows it when that picture is new.
void ShowSignal(RunContext& run, SignalData& signal, int32_t index) {
    RunState& s = run.state;
    PanelModel& panel = run.panel;
    signal.Aspect = SignalImageFor(signal.Type, signal.Aspect);
    s.SignalImageIndex = signal.Aspect;
    s.CurrentSignal = index;
    if (s.SignalImageIndex == s.ShownSignalImage) return;

    const int32_t atsType = run.train.ATS_Type;
    if (atsType == 0 || atsType == 1) {
        panel.SetPicture("SignalImage", nullptr);
        if (signal.Type < kFirstUndrawnType) {
            DrawImageListEntry(panel, "SignalImage", run.images.SignalImageList,
                               s.SignalImageIndex);
            panel.SetVisible("SignalLabel", true);
        }
        panel.SetText("SignalLabel", signal.Name);
    } else if (atsType == 2) {
        run.mixer.Play(run.train.Sound_Atc);
        panel.SetVisible("SignalLabel", false);
        panel.SetText("SignalLabel", signal.Name);
        ShowCabSignalLamps(panel, s.SignalImageIndex);
    }
    s.ShownSignalImage = s.SignalImageIndex;
    s.ShownCallNumber = signal.CallNumber;
}

// The restriction of the aspect on display applies from here on.
// `image` is the picture of the signal whose limit point it is.
void PassLimitPoint(RunContext& run, int32_t image) {
    RunState& s = run.state;
    const LineDefinition& line = run.line;
    const int32_t alert = run.train.ATS_Alert;
    if (alert == 0) s.AtsLimit = kNone;
    // The repeater's R picture is a stop picture but never a stop restriction.
    if (IsStopImage(image) && image != 0) s.AtsLimit = 0;
    if (alert == 1) {
        if (IsYYImage(image)) s.AtsLimit = line.Speed_YY;
        if (IsYImage(image)) s.AtsLimit = line.Speed_Y;
        if (IsYGImage(image)) s.AtsLimit = line.Speed_YG;
        if (IsGImage(image)) s.AtsLimit = kNone;
    }
    s.SignalImageIndex = kNone;
    s.ShownSignalImage = kNone;
    s.ShownCallNumber = kNone;
}

void PassSignalPoint(RunContext& run) {
    RunState& s = run.state;
    s.AtsHandled = false;
    run.panel.SetPicture("SignalImage", nullptr);
    run.panel.SetText("SignalLabel", "");
    s.SignalImageIndex = kNone;
    s.ShownSignalImage = kNone;
    s.ShownCallNumber = kNone;
    s.CurrentSignal = kNone;
}

}  // namespace

bool JustPast(int32_t frame, int32_t point, int64_t window) {
    const int64_t past = static_cast<int64_t>(frame) - point;
    return past > 0 && past < window;
}

int32_t SignalImageFor(int32_t type, int32_t aspect) {
    const auto row = static_cast<size_t>(std::clamp<int32_t>(type, 0, 5));
    const auto column = static_cast<size_t>(std::clamp<int32_t>(aspect, kRed, kGreen));
    return kImageByType[row][column];
}

void UpdateBlockAspects(RunContext& run) {
    std::vector<SignalData>& signals = run.line.Signal;
    const int32_t leader = run.state.LeaderFrame;
    const size_t count = signals.size();
    // Each occupied section only sets the aspects of the signals before its
    // own, so clearing them all first comes to the same as clearing each in
    // its turn.
    for (SignalData& signal : signals) signal.Aspect = kGreen;
    if (leader == 0) return;
    run.line.Lookups.BlockSections.At(leader, count).ForEach(count, [&](size_t i) {
        if (signals[i].Type == 0) return;
        size_t next = i + 1;
        while (next < count && signals[next].Type == 0) ++next;
        if (next == count) return;  // no block ahead of the last block signal
        if (!(signals[i].SignalFrame < leader && leader < signals[next].SignalFrame)) return;

        // Occupied: R here; walking back, each block signal clears one step
        // more and each repeater repeats what lies ahead of it.
        signals[i].Aspect = kRed;
        int32_t aspect = kRed;
        for (size_t k = i; k-- > 0;) {
            if (signals[k].Type != 0) aspect += 2;
            signals[k].Aspect = aspect;
            if (aspect == kGreen) break;
        }
    });
}

void ApplyFixedAspects(RunContext& run) {
    std::vector<SignalData>& signals = run.line.Signal;
    const int32_t now = run.state.ClockTicks;
    run.line.Lookups.HeldSignals.At(now, signals.size()).ForEach(signals.size(), [&](size_t i) {
        SignalData& signal = signals[i];
        const bool heldForNow = signal.Control == 1 && signal.FixedUntil > now;
        if (heldForNow || signal.Control == 2) signal.Aspect = signal.FixedAspect;
    });
}

void ProcessSignals(RunContext& run) {
    RunState& s = run.state;
    const TrainConfig& train = run.train;
    std::vector<SignalData>& signals = run.line.Signal;
    run.line.Lookups.Signals.At(s.Frame, signals.size()).ForEach(signals.size(), [&](size_t i) {
        SignalData& signal = signals[i];
        const bool onDisplay = signal.ViewStart <= s.Frame && s.Frame < signal.SignalFrame;
        if (onDisplay) ShowSignal(run, signal, static_cast<int32_t>(i));

        if (JustPast(s.Frame, signal.AlarmFrame, kSignalPointWindow) && train.ATS_Type == 0 &&
            train.ATS_Alert == 0 && signal.Type > 0) {
            // A signal on display holds its picture; one out of view its raw aspect.
            const bool atStop = onDisplay ? IsStopImage(signal.Aspect) : signal.Aspect == kRed;
            if (atStop) s.AtsLimit = kStopAlarm;
        }
        if (JustPast(s.Frame, signal.LimitFrame, kSignalLimitWindow)) {
            // The restriction is that of this signal. The picture on display
            // may already be the next signal's when it comes into view within
            // the window, and a red one there would brake a train that passed
            // a proceed aspect.
            PassLimitPoint(run,
                           onDisplay ? signal.Aspect : SignalImageFor(signal.Type, signal.Aspect));
        }
        if (JustPast(s.Frame, signal.SignalFrame, kSignalPointWindow)) PassSignalPoint(run);
    });
}

}  // namespace kelvaron
