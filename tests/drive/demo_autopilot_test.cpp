// The automatic driver on both runs of the generated demo line, through the
// program: what `make run` shows a user.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "test_support.h"
#include "trace_table.h"

namespace kelvaron {
namespace {

void ExpectDriven(const char* run) {
    SCOPED_TRACE(run);
    const std::filesystem::path trace = test::MakeTempDir() / "trace.csv";
    const test::ProgramRun r = test::RunKelvaron(std::string("--headless --autopilot --data ") +
                                                 test::Quoted(KELVARON_DEMO_DATA) + " --run " +
                                                 run + " --trace " + test::Quoted(trace));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("emergency brakings: 0 forced by ATS, 0 by vigilance, 0 by speed check"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Comfort 25/25"), std::string::npos) << r.out;
    const test::Trace t(test::ReadAll(trace));
    for (size_t i : t.Of("refresh")) {
        ASSERT_EQ(t.Int(i, "ForcedEB") + t.Int(i, "SpeedCheckEB") + t.Int(i, "PatternState"), 0)
            << "t " << t.Text(i, "t_ms");
    }
    // Every stop on its mark; on time unless the driver reported why not.
    static const std::regex stop(
        R"(  (\S+): stopped, error ([-+][0-9.]+) m, arrived \S+ \(([-+][0-9.]+) s\))");
    int stops = 0;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), stop);
         it != std::sregex_iterator(); ++it, ++stops) {
        const std::string name = (*it)[1];
        EXPECT_LE(std::fabs(std::stold((*it)[2])), 0.5L) << name;
        const bool excused = r.out.find("reaches " + name + " at") != std::string::npos;
        if (!excused) {
            EXPECT_LE(std::fabs(std::stold((*it)[3])), 15) << name << "\n" << r.out;
        }
    }
    EXPECT_GE(stops, 2) << r.out;
}

TEST(DemoAutopilot, DrivesBothDemoRuns) {
    ExpectDriven("local");
    ExpectDriven("express");
}

}  // namespace
}  // namespace kelvaron
