// The steps that go through the line's tables many times a second look only
// at the records near the train: a run must come out exactly as when they go
// through every record, however the tables overlap or are ordered.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "data/panel_dump.h"
#include "data_text.h"
#include "headless_run.h"
#include "shell/trace_writer.h"
#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

// The trace row, and what the row does not show of the speed limits and
// signals.
std::string StateRow(RunWindow& window) {
    std::ostringstream out;
    const RunState& s = window.State();
    TraceWriter(out).WriteRow(0, "state", s, 3);
    out << s.LimitWarning << ' ' << s.ShownLimitImage << ' ' << s.ShownLimit << ' ';
    for (const SignalData& signal : window.Line().Signal) out << signal.Aspect << ' ';
    return out.str();
}

// The first line where two sound logs differ, with its number; empty when
// they are the same. (A whole log is too long for a readable comparison.)
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream left(a), right(b);
    std::string l, r;
    for (int line = 1;; ++line) {
        const bool moreLeft = static_cast<bool>(std::getline(left, l));
        const bool moreRight = static_cast<bool>(std::getline(right, r));
        if (!moreLeft && !moreRight) return "";
        if (moreLeft != moreRight || l != r) {
            return "line " + std::to_string(line) + ": \"" + (moreLeft ? l : "(end)") +
                   "\" against \"" + (moreRight ? r : "(end)") + "\"";
        }
    }
}

// The fixture line with a dozen or more records in each looked-up table,
// drawn at random: overlapping, nested, out of order, some never in force.
void WriteTangledLine(const fs::path& dir, uint32_t seed) {
    std::mt19937 random(seed);
    auto frame = [&](int below) { return std::to_string(random() % below); };
    auto lines = [](int count, auto line) {
        std::string body;
        for (int i = 0; i < count; ++i) body += line(i) + "\n";
        return body + "#";
    };
    test::DataText text(dir / "e2e_line.dat");
    text.Set("[SpeedUnit]", lines(16, [&](int i) {
                 // Back to back over the line, one in four also laid over another.
                 const int from = i * 300 - (i % 4 == 3 ? 150 : 0);
                 return std::to_string(from) + "," + std::to_string(i * 300 + 300) + "," +
                        std::to_string(20 + random() % 60) + "," +
                        std::to_string(20 + random() % 60);
             }));
    text.Set("[Signal]", lines(14, [&](int i) {
                 const int at = 200 + static_cast<int>(random() % 4600);
                 return std::to_string(i % 5 == 4 ? 1 : 0) + ",s" + std::to_string(i) + "," +
                        std::to_string(i % 3) + "," + std::to_string(i % 4 == 0 ? 0 : 1 + i % 5) +
                        "," + std::to_string(at - 400 + static_cast<int>(random() % 300)) + "," +
                        std::to_string(at) + "," + std::to_string(at - 150) + "," +
                        std::to_string(at - static_cast<int>(random() % 60)) + ",1,1081500";
             }));
    text.Set("[Slope]", lines(14, [&](int) {
                 const int from = static_cast<int>(random() % 4800);
                 return std::to_string(static_cast<int>(random() % 41) - 20) + ".5," +
                        std::to_string(from) + "," +
                        std::to_string(from - 100 + static_cast<int>(random() % 900));
             }));
    text.Set("[SpeedLimit]", lines(12, [&](int i) {
                 const int from = static_cast<int>(random() % 4600);
                 return std::to_string(5 + 5 * (i % 8)) + "," + std::to_string(1 + i % 2) + ",0," +
                        std::to_string(from) + "," +
                        std::to_string(from + static_cast<int>(random() % 700));
             }));
    text.Set("[Sound]", lines(12, [&](int i) {
                 const int from = static_cast<int>(random() % 4700);
                 return std::to_string(i % 3) + "," + std::to_string(from) + "," +
                        std::to_string(from + static_cast<int>(random() % 400)) + ",60," +
                        std::to_string(i % 3);
             }));
    text.Set("[Doppler]", lines(12, [&](int i) {
                 return std::to_string(i % 3) + "," + frame(4800) + "," +
                        std::to_string(static_cast<int>(random() % 40000) - 2000) + ",0";
             }));
    text.Set("[Sign]", lines(12, [&](int i) {
                 const int from = static_cast<int>(random() % 4700);
                 return std::to_string(i % 4) + "," + std::to_string(from) + "," +
                        std::to_string(from + static_cast<int>(random() % 500) - 50);
             }));
    text.Set("[Time]", lines(10, [&](int i) {
                 const int from = static_cast<int>(random() % 4700);
                 return std::to_string(i % 2) + "," + std::to_string(from) + "," +
                        std::to_string(from + static_cast<int>(random() % 400)) + ",1083600";
             }));
    text.Set("[Station]", lines(12, [&](int i) {
                 // The first where the run starts; then one in five laid over the one before.
                 const int from =
                     i == 0 ? 0
                            : i * 400 + static_cast<int>(random() % 100) - (i % 5 == 4 ? 300 : 0);
                 const int departure = 1081000 + i * 900;
                 return "st" + std::to_string(i) + "," + std::to_string(i % 3) + "," +
                        std::to_string(from) + "," +
                        std::to_string(from + 60 + static_cast<int>(random() % 80)) + ",0," +
                        std::to_string(departure) + "," + std::to_string(departure + 300);
             }));
    text.WriteTo(dir / "line_tangled.dat");
}

TEST(TrackLookups, ARunComesOutAsWhenEveryRecordIsLookedAt) {
    const fs::path dir = test::MakeTempDir();
    fs::copy(test::FixtureDir() / "fixtures", dir, fs::copy_options::recursive);
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        WriteTangledLine(dir, seed);
        test::HeadlessRun near(dir, "train_electric.dat", "line_tangled.dat", 6000, true);
        test::HeadlessRun every(dir, "train_electric.dat", "line_tangled.dat", 6000, true);
        ASSERT_TRUE(near.built) << near.window->StartupError();
        ASSERT_TRUE(every.built) << every.window->StartupError();
        // Without its lookups a table is gone through whole.
        every.window->Context().line.Lookups = {};

        int32_t furthest = 0;
        for (test::HeadlessRun* run : {&near, &every}) {
            run->Start();
            run->Keys(41'050, ",,,,,,,,zzzz");
        }
        for (int64_t t = 41'100; t <= 401'100; t += 100) {
            near.timers.AdvanceTo(t, near.client);
            every.timers.AdvanceTo(t, every.client);
            ASSERT_EQ(StateRow(*near.window), StateRow(*every.window)) << "at " << t << " ms";
            if (t % 1000 != 0) continue;
            ASSERT_EQ(PanelModelToJson(near.window->Panel()),
                      PanelModelToJson(every.window->Panel()))
                << "at " << t << " ms";
            const RunState& s = near.window->State();
            furthest = std::max(furthest, s.Frame);
            // Answer the protection, and set off again after it has stopped the train.
            std::string keys;
            if (SpeedRoundsToZero(s) && s.BrakeNotch != 0) keys = ",,,,,,,,zzzz";
            if (s.AtsAlarm) keys = "2 ";
            if (s.ForcedEB) keys = SpeedRoundsToZero(s) ? "0r,,,,,,,,zzzz" : "0";
            if (!keys.empty()) {
                near.Keys(t + 50, keys);
                every.Keys(t + 50, keys);
            }
        }
        EXPECT_EQ(FirstDifference(near.soundLog.str(), every.soundLog.str()), "");
        // The train went far enough to meet the records.
        EXPECT_GT(furthest, 4000);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kelvaron
