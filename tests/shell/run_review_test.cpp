#include "shell/run_review.h"

#include <gtest/gtest.h>

#include <sstream>

#include "shell/hand_made_review.h"

namespace kelvaron {
namespace {

TEST(RunReview, SeriesAndMarkersAlongTheRun) {
    test::HandMadeReview made;
    const RunReview& review = made.review;
    const auto& samples = review.Samples();
    ASSERT_EQ(samples.size(), 8u);
    EXPECT_EQ(samples[0].tMs, 100);
    EXPECT_DOUBLE_EQ(samples[0].distanceM, 50.0);
    EXPECT_EQ(samples[0].brakeNotch, -8);
    EXPECT_DOUBLE_EQ(samples[3].speedKmh, 60.0);
    EXPECT_EQ(samples[5].powerNotch, 3);
    EXPECT_EQ(samples[6].limitKmh, 45);

    // The pattern aims at the limit only within 600 m of it: first at 1000 m,
    // 500 m short. Target 45 + 5 km/h at 80 % of 3.5 km/h/s:
    // sqrt(50^2 + 2.8 x 7.2 x (500 - 10)) = 111.258 brakes,
    // sqrt(50^2 + 2.8 x 7.2 x (500 - 50)) - 5 = 102.573 warns.
    for (size_t i : {0, 1, 2, 3, 4, 6, 7}) EXPECT_FALSE(samples[i].patternKmh) << i;
    ASSERT_TRUE(samples[5].patternKmh && samples[5].warningKmh);
    EXPECT_NEAR(*samples[5].patternKmh, 111.258, 0.001);
    EXPECT_NEAR(*samples[5].warningKmh, 102.573, 0.001);

    // The signal is marked where the line places it (600 m), not where the
    // refresh that saw the train beyond it was (610 m), with what it showed.
    ASSERT_EQ(review.Signals().size(), 1u);
    EXPECT_EQ(review.Signals()[0].name, "S1");
    EXPECT_DOUBLE_EQ(review.Signals()[0].distanceM, 600.0);
    EXPECT_EQ(review.Signals()[0].aspect, "Y");

    // A left 3 ticks (0.1 s) after its 10:00:30; B stood 150 (1/100 m) past
    // its stop position, 450 ticks (15 s) after its 10:01:40.
    // P has no stop position: it stands at its zone's middle frame 1050,
    // 1050 / 3 = 350 m along the line.
    const auto stations = review.Stations(made.summary);
    ASSERT_EQ(stations.size(), 3u);
    EXPECT_EQ(stations[0].name, "A");
    EXPECT_DOUBLE_EQ(stations[0].distanceM, 50.0);
    EXPECT_EQ(stations[0].result, "dep +0.1 s");
    EXPECT_DOUBLE_EQ(stations[1].distanceM, 350.0);
    EXPECT_EQ(stations[1].result, "passed");
    EXPECT_DOUBLE_EQ(stations[2].distanceM, 2000.0);
    EXPECT_EQ(stations[2].result, "+1.50 m, arr +15.0 s");

    const auto protection = review.Protection(made.summary);
    ASSERT_EQ(protection.size(), 1u);
    EXPECT_EQ(protection[0].what, "ATS alarm");
    EXPECT_DOUBLE_EQ(protection[0].distanceM, 1000.0);
    EXPECT_EQ(protection[0].clockTicks, 1081500);
}

TEST(RunReview, ScoreSaysHowEachPartWasCounted) {
    test::HandMadeReview made;
    const std::vector<std::string> lines = made.review.ScoreLines(made.summary);
    ASSERT_EQ(lines.size(), 5u);
    // Punctuality: both times within 15 s, 25. Stop accuracy: 1.50 m is 1 m
    // beyond 0.5, a tenth of the share lost: 22.5, rounded 23. Comfort: the
    // brake released standing is felt by nobody, P0 -> P4 starting off costs
    // 3, P4 -> P3 nothing, P3 -> N with B2 at once (3 notches) 2: 20.
    // Safety: one bell, 22. Total 90.
    EXPECT_EQ(lines[0], "Score 90/100");
    EXPECT_EQ(lines[1],
              "  Punctuality 25/25: 2 of 2 timetable times within 15 s (departures, else "
              "arrivals), worst B +15.0 s; beyond 15 s a stop loses its share over 2 min");
    EXPECT_EQ(lines[2],
              "  Stop accuracy 23/25: 0 of 1 stops within 0.5 m, worst B +1.50 m; beyond 0.5 m "
              "a stop loses its share over 10 m");
    EXPECT_EQ(lines[3].substr(0, 36), "  Comfort 20/25: 4 handle moves, 2 j");
    EXPECT_EQ(lines[4],
              "  Safety 22/25: 1 ATS alarms (3 points each), 0 forced brakings (10 points each)");

    // A stop run through counts as missed in both parts: punctuality keeps
    // A's share only, 12.5 rounded 13; stop accuracy has nothing left.
    test::HandMadeReview ranThrough(2150);
    const auto missed = ranThrough.review.Score(ranThrough.summary);
    EXPECT_EQ(missed[0].points, 13);
    EXPECT_EQ(missed[1].points, 0);
    EXPECT_EQ(missed[1].counted.substr(0, 27), "0 of 1 stops within 0.5 m; ");
    EXPECT_EQ(ranThrough.review.Stations(ranThrough.summary)[2].result, "not stopped");
}

TEST(RunReview, TableHasOneRowPerRefresh) {
    test::HandMadeReview made;
    std::ostringstream csv;
    made.review.WriteCsv(csv);
    std::istringstream in(csv.str());
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) rows.push_back(line);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0],
              "t_ms,clock,distance_m,speed_kmh,limit_kmh,pattern_brake_kmh,pattern_warning_kmh,"
              "power_notch,brake_notch,forced_braking");
    // 1081500 ticks = 10:00:50; no limit in force there yet.
    EXPECT_EQ(rows[6], "600,10:00:50,1000.00,60.00,,111.26,102.57,3,0,0");
    EXPECT_EQ(rows[7], "700,10:01:20,1500.00,45.00,45,,,0,-2,0");
}

}  // namespace
}  // namespace kelvaron
