// The driver's look ahead: a copy of a run built from the fixture files runs
// forward silently and exactly as the run itself then does.
#include "drive/planning_run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "data/panel_dump.h"
#include "headless_run.h"
#include "shell/run_window.h"
#include "shell/trace_writer.h"
#include "test_support.h"

namespace kelvaron {
namespace {

std::string StateRow(RunWindow& window) {
    std::ostringstream out;
    TraceWriter(out).WriteRow(0, "state", window.State(), 3);
    return out.str();
}

TEST(PlanningRun, RunsAheadSilentlyAndAsTheRunThenDoes) {
    test::HeadlessRun run(test::FixtureDir() / "fixtures", "train_electric.dat", "e2e_line.dat",
                          6000, true);
    ASSERT_TRUE(run.built) << run.window->StartupError();
    run.Start();
    // Out of EB once the doors have shut (10:00:40), full power for 20 s.
    run.Keys(41'050, ",,,,,,,,zzzz");
    run.Keys(61'050, "aaaa");

    // The copy looks 40 s ahead with brake step 4 from 61.15 s on.
    PlanningRun copy(run.window->Context());
    copy.CopyFrom(run.window->Context(), run.timers);
    const std::string before = StateRow(*run.window);
    const std::string panelBefore = PanelModelToJson(run.window->Panel());
    const size_t commandsBefore = run.soundLog.str().size();
    copy.AdvanceBefore(61'150);
    copy.SetInputTime(61'150);
    for (char c : std::string("....")) copy.Input().TypedChar(c);
    copy.AdvanceTo(101'150);

    // The run has not moved, shown or sounded anything meanwhile.
    EXPECT_EQ(StateRow(*run.window), before);
    EXPECT_EQ(PanelModelToJson(run.window->Panel()), panelBefore);
    EXPECT_EQ(run.soundLog.str().size(), commandsBefore);

    // The same keys at the same moment take the run where the copy went,
    // to the last unit of speed, distance and pressure.
    run.Keys(61'150, "....");
    run.timers.AdvanceTo(101'150, run.client);
    const RunState& real = run.window->State();
    const RunState& seen = copy.State();
    EXPECT_GT(real.Distance, 5000);  // it did move: more than 50 m from the start
    EXPECT_EQ(seen.Speed, real.Speed);
    EXPECT_EQ(seen.Distance, real.Distance);
    EXPECT_EQ(seen.Frame, real.Frame);
    EXPECT_EQ(seen.BcPressure, real.BcPressure);
    EXPECT_EQ(seen.Slope, real.Slope);
    EXPECT_EQ(seen.ClockTicks, real.ClockTicks);
}

}  // namespace
}  // namespace kelvaron
