#include <gtest/gtest.h>

#include <vector>

#include "gui/key_mapping.h"
#include "gui/run_pacer.h"
#include "gui/title_sequence.h"

namespace kelvaron {
namespace {

struct Recorder : SchedulerClient {
    std::vector<int64_t> ticks, refreshes;
    void OnTick(int64_t t) override { ticks.push_back(t); }
    void OnRefresh(int64_t t) override { refreshes.push_back(t); }
};

TEST(RunPacerTest, FollowsTheWallClockFromStart) {
    Recorder r;
    RunPacer pacer(r);
    pacer.Advance(5000);  // before Start nothing is due
    pacer.Start(5000);
    pacer.Advance(5099);
    pacer.Advance(5200);
    // Ticks at 33, 66, ..., 198 ms after start (6); refreshes at 100 and 200 (2).
    EXPECT_EQ(r.ticks.size(), 6u);
    EXPECT_EQ(r.refreshes.size(), 2u);
    ASSERT_TRUE(pacer.NextWakeWall());
    EXPECT_EQ(*pacer.NextWakeWall(), 5231);  // the 7th tick: 5000 + 7 x 33
    // The refresh at 300 waits for the tick at 330: one wake-up runs both.
    pacer.Advance(5297);
    EXPECT_EQ(*pacer.NextWakeWall(), 5330);
    r.ticks.clear();
    r.refreshes.clear();
    pacer.Advance(5330);
    EXPECT_EQ(r.refreshes, std::vector<int64_t>{300});
    EXPECT_EQ(r.ticks, std::vector<int64_t>{330});
}

TEST(RunPacerTest, CatchesUpAtMostOneSecondAfterAStall) {
    Recorder r;
    RunPacer pacer(r);
    pacer.Start(0);
    pacer.Advance(10000);  // ten seconds lost: only the first second is run
    EXPECT_EQ(r.refreshes.size(), 10u);
    EXPECT_EQ(r.ticks.size(), 30u);  // 33 x 30 = 990 <= 1000 < 1023
    // Resynchronised: the wall clock at 10000 is now virtual 1000, so 100 ms
    // later exactly one more refresh has run.
    pacer.Advance(10100);
    EXPECT_EQ(r.refreshes.size(), 11u);
    EXPECT_EQ(r.refreshes.back(), 1100);
}

TEST(RunPacerTest, PauseStopsBothTimersAndResumeRestartsTheirPhase) {
    Recorder r;
    RunPacer pacer(r);
    pacer.Start(0);
    pacer.Advance(150);
    pacer.Pause(150);
    EXPECT_FALSE(pacer.NextWakeWall());
    pacer.Advance(900);
    EXPECT_EQ(r.refreshes.size(), 1u);
    // Input at the moment a refresh is due comes first: BeforeInput leaves it.
    pacer.Start(900);
    pacer.BeforeInput(1000);
    EXPECT_EQ(r.refreshes.size(), 1u);
    pacer.Advance(1000);
    EXPECT_EQ(r.refreshes.size(), 2u);
    EXPECT_EQ(r.refreshes.back(), 1000);
}

TEST(TitleSequenceTest, ButtonsAppearInTurnAfterTheMovieIsSkipped) {
    TitleSequence title(true);
    title.Tick();
    title.Skip();
    // Timer ticks after the click: 0.1 s, 0.2 s, ... the buttons appear at
    // 0.3, 0.4, 0.7 and 0.8 s.
    std::vector<int> expressAt, localAt, helpAt, quitAt;
    for (int t = 1; t <= 10; ++t) {
        title.Tick();
        if (title.ButtonShown(TitleButton::Express) && expressAt.empty()) expressAt.push_back(t);
        if (title.ButtonShown(TitleButton::Local) && localAt.empty()) localAt.push_back(t);
        if (title.ButtonShown(TitleButton::Help) && helpAt.empty()) helpAt.push_back(t);
        if (title.ButtonShown(TitleButton::Quit) && quitAt.empty()) quitAt.push_back(t);
    }
    EXPECT_EQ(expressAt, std::vector<int>{3});
    EXPECT_EQ(localAt, std::vector<int>{4});
    EXPECT_EQ(helpAt, std::vector<int>{7});
    EXPECT_EQ(quitAt, std::vector<int>{8});
    EXPECT_FALSE(title.MovieShown());
}

TEST(TitleSequenceTest, TheMovieEndsByItselfOnlyWhenMissingOrAfter111Seconds) {
    TitleSequence missing(false);
    EXPECT_TRUE(missing.Tick());
    EXPECT_FALSE(missing.MovieShown());

    TitleSequence playing(true);
    for (int t = 0; t < TitleSequence::kMovieLimitTicks; ++t) ASSERT_FALSE(playing.Tick());
    EXPECT_TRUE(playing.MovieShown());
    EXPECT_TRUE(playing.Tick());  // the 1111th tick finds 1110 and skips
    EXPECT_FALSE(playing.MovieShown());
    EXPECT_EQ(playing.Ticks(), 1);
}

TEST(TitleSequenceTest, ChoosingARunStopsTheTimerWithEveryButtonShown) {
    TitleSequence title(false);
    title.Tick();
    title.Stop();
    EXPECT_FALSE(title.TimerEnabled());
    EXPECT_TRUE(title.ButtonShown(TitleButton::Quit));
    EXPECT_FALSE(title.Tick());
    EXPECT_EQ(title.Ticks(), 1);
}

TEST(KeyMappingTest, KeysGiveTheCodesTheKeyHandlersKnow) {
    EXPECT_EQ(VirtualKeyCode(Qt::Key_F1, Qt::NoModifier), 112);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_F12, Qt::ShiftModifier), 123);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Return, Qt::NoModifier), 13);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_ScrollLock, Qt::NoModifier), 145);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Z, Qt::NoModifier), 'Z');
    EXPECT_EQ(VirtualKeyCode(Qt::Key_8, Qt::NoModifier), '8');
    EXPECT_EQ(VirtualKeyCode(Qt::Key_8, Qt::KeypadModifier), 104);  // numpad 8
    EXPECT_EQ(VirtualKeyCode(Qt::Key_unknown, Qt::NoModifier), 0);

    EXPECT_TRUE(ShiftOnly(Qt::ShiftModifier));
    EXPECT_TRUE(ShiftOnly(Qt::ShiftModifier | Qt::KeypadModifier));
    EXPECT_FALSE(ShiftOnly(Qt::ShiftModifier | Qt::ControlModifier));
    EXPECT_FALSE(ShiftOnly(Qt::NoModifier));
}

TEST(KeyMappingTest, OneWheelNotchIsOneStepWhateverItsSize) {
    WheelSteps wheel;
    EXPECT_EQ(wheel.Add(120), 1);
    EXPECT_EQ(wheel.Add(360), 1);
    EXPECT_EQ(wheel.Add(-240), -1);
    // Fine movement adds up: 40 + 40 + 40 = one notch.
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 1);
    // Turning back forgets what was gathered the other way.
    EXPECT_EQ(wheel.Add(100), 0);
    EXPECT_EQ(wheel.Add(-100), 0);
    EXPECT_EQ(wheel.Add(-20), -1);
}

}  // namespace
}  // namespace kelvaron
