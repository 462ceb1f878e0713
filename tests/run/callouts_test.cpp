#include "run/callouts.h"

#include <gtest/gtest.h>

#include "test_run.h"

namespace kelvaron {
namespace {

struct Fixture : test::TestRun {
    Fixture() {
        // Voice slot n is loaded sound 100 + n, sign voice k is sound 500 + k.
        for (int i = 0; i < 40; ++i) sounds.CommentaryWaves.push_back(100 + i);
        for (int i = 0; i < 10; ++i) sounds.OtherWaves.push_back(500 + i);
    }
    std::vector<SoundId> Queued() const {
        std::vector<SoundId> q;
        for (SoundId v : state.CalloutQueue)
            if (v != kNoSound) q.push_back(v);
        return q;
    }
};

TEST(CalloutQueue, ThirteenthVoiceIsDroppedAndTwelvePlayInOrder) {
    Fixture f;
    for (int i = 0; i < 13; ++i) kanko_queue_add(f.state, 100 + i);
    EXPECT_EQ(f.Queued().size(), 12u);
    EXPECT_EQ(f.state.CalloutQueue.back(), 111);

    std::vector<SoundId> played;
    for (int refresh = 0; refresh < 30; ++refresh) {
        size_t before = f.mixer.commands.size();
        kanko_queue_play(f.run);
        for (size_t i = before; i < f.mixer.commands.size(); ++i)
            if (f.mixer.commands[i].op == "bind")
                played.push_back(static_cast<SoundId>(f.mixer.commands[i].value));
        f.mixer.FinishPlaying(kCalloutChannel);  // each voice ends before the next refresh
    }
    ASSERT_EQ(played.size(), 12u);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(played[static_cast<size_t>(i)], 100 + i);
    EXPECT_TRUE(f.Queued().empty());
}

TEST(CalloutQueue, VoiceIsRemovedOnlyAfterItFinished) {
    Fixture f;
    kanko_queue_add(f.state, 7);
    kanko_queue_add(f.state, 8);
    kanko_queue_play(f.run);  // starts 7
    kanko_queue_play(f.run);  // still playing: nothing moves
    EXPECT_EQ(f.state.CalloutQueue[0], 7);
    f.mixer.FinishPlaying(kCalloutChannel);
    kanko_queue_play(f.run);  // 7 removed, 8 started
    EXPECT_EQ(f.state.CalloutQueue[0], 8);
    EXPECT_EQ(f.mixer.Count("play", kCalloutChannel), 2);
    ClearCalloutQueue(f.state);
    EXPECT_TRUE(f.Queued().empty());
}

TEST(Timekanko, EarlyLateAndOnTimeCalls) {
    Fixture f;
    const int32_t due = 30000;
    f.state.ClockTicks = due + 600;  // 20 s late: more than 15 s, then "late"
    Timekanko(f.run, due);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{106, 113}));

    ClearCalloutQueue(f.state);
    f.state.ClockTicks = due + 300;  // 10 s late is on time
    Timekanko(f.run, due);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{117}));

    ClearCalloutQueue(f.state);
    f.state.ClockTicks = due + 450;  // exactly 15 s: no amount, only "late"
    Timekanko(f.run, due);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{113}));

    ClearCalloutQueue(f.state);
    f.state.ClockTicks = due - 3200;  // 106.7 s early: the largest amount, then "early"
    Timekanko(f.run, due);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{112, 115}));

    ClearCalloutQueue(f.state);
    f.state.ClockTicks = due + 3601;  // beyond two minutes: nothing
    Timekanko(f.run, due);
    EXPECT_TRUE(f.Queued().empty());
}

TEST(Callout, SignIsCalledOnceThenTheSignalCall) {
    Fixture f;
    f.state.Speed = 400000;
    f.state.PromptImage = 3;
    f.state.SignalImageIndex = 12;  // a green picture on display
    f.state.ShownCallNumber = 1;
    f.state.CurrentSignal = 0;
    f.line.HasKankoSound2 = true;
    f.line.KankoSound2 = {{0, "a.wav"}, {1, "name.wav"}};
    f.line.SignalKanko = {{0, 1, 30}};  // signal 0 says voice 30 after its aspect

    Callout(f.run);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{503}));
    Callout(f.run);  // same sign again: the signal's name (slot 19), green, then voice 30
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{503, 119, 104, 130}));
}

TEST(Callout, StandingTrainFallsThroughAndNoSignalCallsNothing) {
    Fixture f;
    f.state.Speed = 4000;  // 0.4 km/h rounds to 0: the sign is not called
    f.state.PromptImage = 3;
    Callout(f.run);
    EXPECT_TRUE(f.Queued().empty());  // and no signal is on display
    f.state.SignalImageIndex = 1;     // the repeater's middle picture
    Callout(f.run);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{105}));
}

TEST(Callout, TimeCheckPromptMayBeRepeated) {
    Fixture f;
    f.state.Speed = 600000;
    f.state.Frame = 150;
    f.state.PromptImage = 900;
    f.state.ClockTicks = 1000;
    f.line.Time = {{0, 100, 200, 1000}, {1, 100, 200, 5000}};
    Callout(f.run);
    Callout(f.run);
    EXPECT_EQ(f.Queued(), (std::vector<SoundId>{117, 117}));
}

TEST(EventHook, EmptyAnswerShowsAndPlaysNothing) {
    Fixture f;
    PanelControl caption;
    caption.kind = PanelControl::Kind::Label;
    caption.name = "CaptionLabel";
    caption.visible = true;
    f.panel.Add(caption);
    RunEventHook(f.run, true, "/tmp");
    EXPECT_FALSE(f.panel.IsVisible("CaptionLabel"));
    EXPECT_EQ(f.mixer.Count("play", kRuntimeSoundChannel), 0);
}

}  // namespace
}  // namespace kelvaron
