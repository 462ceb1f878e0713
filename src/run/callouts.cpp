#include "run/callouts.h"

#include <cstdlib>

#include "common/data_path.h"
#include "run/signal_image_classes.h"

namespace kelvaron {

namespace {

// Fixed voice slots of the call-out table.
constexpr int kSlotStop = 0, kSlotYY = 1, kSlotY = 2, kSlotYG = 3, kSlotG = 4, kSlotMiddle = 5;
constexpr int kSlotFirstAmount = 6;  // more than 15 s; each next slot 15 s more
constexpr int kSlotLate = 13, kSlotEarly = 15, kSlotOnTime = 17;
constexpr size_t kMaxCaptionText = 999;

SoundId Slot(const SoundTables& sounds, int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= sounds.CommentaryWaves.size()) return kNoSound;
    return sounds.CommentaryWaves[static_cast<size_t>(slot)];
}

SoundId SignVoice(const SoundTables& sounds, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= sounds.OtherWaves.size()) return kNoSound;
    return sounds.OtherWaves[static_cast<size_t>(index)];
}

// Signs are remembered offset past the other sound tables, so that a sign's
// number never equals the start value of the memory.
int32_t SignKey(const RunContext& run, int32_t image) {
    return image + static_cast<int32_t>(run.sounds.DriveWaves.size()) +
           static_cast<int32_t>(run.sounds.LineWaves.size()) + run.line.CommentaryCount();
}

}  // namespace

void kanko_queue_add(RunState& state, SoundId voice) {
    state.QueueBusy = true;
    for (auto& slot : state.CalloutQueue) {
        if (slot == kNoSound) {
            slot = voice;
            break;
        }
    }
    state.QueueBusy = false;
}

void ClearCalloutQueue(RunState& state) {
    state.CalloutQueue.fill(kNoSound);
}

void kanko_queue_play(RunContext& run) {
    RunState& s = run.state;
    if (s.QueueBusy || run.mixer.IsPlaying(kCalloutChannel)) return;
    if (s.HeadPlaying) {
        s.HeadPlaying = false;
        for (size_t i = 1; i < s.CalloutQueue.size(); ++i)
            s.CalloutQueue[i - 1] = s.CalloutQueue[i];
        s.CalloutQueue.back() = kNoSound;
    }
    if (s.CalloutQueue[0] != kNoSound) {
        run.mixer.Bind(kCalloutChannel, s.CalloutQueue[0]);
        run.mixer.Play(kCalloutChannel);
        s.HeadPlaying = true;
    }
}

void kanko_add(RunContext& run, int32_t position) {
    for (const auto& entry : run.line.SignalKanko) {
        if (entry.SignalIndex == run.state.CurrentSignal && entry.CallPosition == position - 1) {
            kanko_queue_add(run.state, Slot(run.sounds, entry.VoiceSlot));
        }
    }
}

void Timekanko(RunContext& run, int32_t scheduledTime) {
    const int64_t t = run.state.ClockTicks;
    const int64_t a = scheduledTime;
    const int64_t d = std::llabs(t - a);
    if (a - 450 < t && t < a + 450) {
        kanko_queue_add(run.state, Slot(run.sounds, kSlotOnTime));
        return;
    }
    if (d > 3600) return;
    // One voice for the amount, in 15 s (450) steps: more than 15 s, 30 s ... 105 s.
    for (int step = 7; step >= 1; --step) {
        if (d > 450 * step) {
            kanko_queue_add(run.state, Slot(run.sounds, kSlotFirstAmount + step - 1));
            break;
        }
    }
    if (t > a) kanko_queue_add(run.state, Slot(run.sounds, kSlotLate));
    if (t < a) kanko_queue_add(run.state, Slot(run.sounds, kSlotEarly));
}

void Timecheck(RunContext& run, int32_t kind) {
    for (const auto& check : run.line.Time) {
        if (check.Kind == kind && check.StartFrame < run.state.Frame &&
            run.state.Frame < check.EndFrame) {
            Timekanko(run, check.ScheduledTime);
        }
    }
}

void Callout(RunContext& run) {
    RunState& s = run.state;
    if (s.PromptImage != kNone && !SpeedRoundsToZero(s) &&
        SignKey(run, s.PromptImage) != s.LastCalled) {
        if (s.PromptImage == kTimeCheckPrompt0) {
            Timecheck(run, 0);
        } else if (s.PromptImage == kTimeCheckPrompt1) {
            Timecheck(run, 1);
        } else {
            kanko_queue_add(s, SignVoice(run.sounds, s.PromptImage));
            s.LastCalled = SignKey(run, s.PromptImage);
        }
        return;
    }
    if (s.LimitWarning && s.PromptImage == kNone && !SpeedRoundsToZero(s) &&
        SignKey(run, s.ShownLimitImage) != s.LastCalled) {
        kanko_queue_add(s, SignVoice(run.sounds, s.ShownLimitImage));
        s.LastCalled = SignKey(run, s.ShownLimitImage);
        return;
    }
    if (s.SignalImageIndex != kNone) {
        for (size_t i = 0; i < run.line.KankoSound2.size(); ++i) {
            if (run.line.KankoSound2[i].Number == s.ShownCallNumber) {
                kanko_add(run, 1);
                kanko_queue_add(s, Slot(run.sounds, kKankoSound1Count + static_cast<int32_t>(i)));
            }
        }
    }
    const int32_t image = s.SignalImageIndex;
    int32_t aspectSlot = -1;
    if (IsStopImage(image))
        aspectSlot = kSlotStop;
    else if (IsYYImage(image))
        aspectSlot = kSlotYY;
    else if (IsYImage(image))
        aspectSlot = kSlotY;
    else if (IsYGImage(image))
        aspectSlot = kSlotYG;
    else if (IsGImage(image))
        aspectSlot = kSlotG;
    else if (image == 1)
        aspectSlot = kSlotMiddle;
    if (aspectSlot >= 0) kanko_queue_add(s, Slot(run.sounds, aspectSlot));
    kanko_add(run, 2);
}

std::string EventHook(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool, bool, bool,
                      const std::string&) {
    return {};
}

void RunEventHook(RunContext& run, bool commentaryMode, const std::filesystem::path& dataDir) {
    RunState& s = run.state;
    std::string text;
    try {
        text = EventHook(static_cast<int32_t>(Round(SpeedKmh(s))), s.ClockTicks, s.Frame,
                         s.PowerNotch, s.BrakeNotch, s.Reverser, s.ForcedEB, s.SpeedCheckEB,
                         s.DoorsOpen, run.train.FileName);
    } catch (...) {
        return;  // a failing hook changes nothing
    }
    if (text != s.LastHookResult) {
        if (commentaryMode && !text.empty() && text[0] == '0') {
            if (auto* label = run.panel.Find("CaptionLabel")) {
                label->text = text.substr(1, kMaxCaptionText);
                label->visible = true;
            }
        } else if (!text.empty() && text[0] == '1') {
            const DataFile file = ResolveDataPath(dataDir, text.substr(1));
            const SoundId sound = file.Refused() ? kNoSound : run.mixer.CreateSound(file.path);
            run.mixer.Bind(kRuntimeSoundChannel, sound);
            run.mixer.Play(kRuntimeSoundChannel);
        }
        s.LastHookResult = text;
    }
    if (!commentaryMode || text.empty() || text[0] != '0')
        run.panel.SetVisible("CaptionLabel", false);
}

}  // namespace kelvaron
