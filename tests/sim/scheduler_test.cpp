#include "sim/scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace kelvaron {
namespace {

// Logs "T<ms> " per tick and "R<ms> " per refresh.
struct Recorder : SchedulerClient {
    std::string log;
    void OnTick(int64_t t) override { log += "T" + std::to_string(t) + " "; }
    void OnRefresh(int64_t t) override { log += "R" + std::to_string(t) + " "; }
};

TEST(Scheduler, TicksEvery33AndRefreshesEvery100FromTheStart) {
    Scheduler scheduler;
    Recorder rec;
    scheduler.AdvanceTo(500, rec);  // not started: nothing runs
    EXPECT_FALSE(scheduler.NextDue());
    scheduler.Start(500);
    scheduler.AdvanceTo(800, rec);
    // Ticks 500 + 33k up to 797, refreshes at 600, 700, 800.
    EXPECT_EQ(rec.log, "T533 T566 T599 R600 T632 T665 T698 R700 T731 T764 T797 R800 ");
    EXPECT_EQ(scheduler.NextDue(), 830);
}

TEST(Scheduler, AtEqualTimesInputComesFirstThenTickThenRefresh) {
    Scheduler scheduler;
    Recorder rec;
    scheduler.Start(0);
    // 3300 = 33 x 100 = 100 x 33: the 100th tick and the 33rd refresh coincide.
    scheduler.AdvanceBefore(3300, rec);
    EXPECT_TRUE(rec.log.ends_with("R3200 T3201 T3234 T3267 ")) << rec.log;
    rec.log.clear();
    scheduler.AdvanceTo(3300, rec);
    EXPECT_EQ(rec.log, "T3300 R3300 ");

    // A pause delivered at 300 ms comes before the refresh due then, which never runs.
    Scheduler other;
    rec.log.clear();
    other.Start(0);
    other.AdvanceBefore(300, rec);
    other.Pause(300);
    other.AdvanceTo(300, rec);
    EXPECT_TRUE(rec.log.ends_with("R200 T231 T264 T297 ")) << rec.log;
}

TEST(Scheduler, PauseStopsBothAndResumeRestartsBothPhases) {
    Scheduler scheduler;
    Recorder rec;
    scheduler.Start(0);
    scheduler.AdvanceTo(50, rec);
    EXPECT_THROW(scheduler.Pause(100), std::logic_error);  // ticks 66 and 99 would be lost
    scheduler.AdvanceBefore(250, rec);
    scheduler.Pause(250);
    EXPECT_FALSE(scheduler.NextDue());
    rec.log.clear();
    scheduler.AdvanceTo(5000, rec);
    EXPECT_EQ(rec.log, "");

    scheduler.Resume(5010);
    scheduler.AdvanceTo(5110, rec);
    // Phases from 5010, not continued from before the pause (which would give 5016, 5100).
    EXPECT_EQ(rec.log, "T5043 T5076 T5109 R5110 ");
    scheduler.Start(5120);  // already running: the phases stay
    EXPECT_EQ(scheduler.NextDue(), 5142);
}

TEST(Scheduler, SameCallsGiveTheSameSequenceHoweverTimeIsSliced) {
    auto run = [](int64_t step) {
        Scheduler scheduler;
        Recorder rec;
        scheduler.Start(7);
        for (int64_t t = 0; t <= 4000; t += step) {
            scheduler.AdvanceBefore(t, rec);
            if (t == 1500) scheduler.Pause(t);
            if (t == 2100) scheduler.Resume(t);
            scheduler.AdvanceTo(t, rec);
        }
        return rec.log;
    };
    std::string whole = run(100);
    EXPECT_EQ(run(1), whole);
    EXPECT_EQ(run(20), whole);
    // Ticks 7 + 33k to 1492 (45), refreshes 107..1407 (14); after 2100: ticks to 3981 (57),
    // refreshes 2200..4000 (19).
    EXPECT_EQ(std::count(whole.begin(), whole.end(), ' '), 45 + 14 + 57 + 19);
}

}  // namespace
}  // namespace kelvaron
