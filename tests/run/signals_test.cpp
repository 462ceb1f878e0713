#include "run/signals.h"

#include <gtest/gtest.h>

#include <vector>

#include "cab_fixture.h"

namespace kelvaron {
namespace {

// Signal i of the given type stands at frame 1000 (i + 1), shown from 300 frames before.
struct SignalFixture : test::CabFixture {
    explicit SignalFixture(std::vector<int32_t> types)
        : CabFixture{"SignalImage", "SignalLabel", "Lamp_G", "Lamp_Y", "Lamp_R"} {
        for (int32_t type : types) {
            const auto i = static_cast<int32_t>(line.Signal.size());
            line.Signal.push_back({0, "S" + std::to_string(i), 40 + i, type, 1000 * i + 700,
                                   1000 * (i + 1), -1000, -1000, 0, 0, 0});
        }
        FillList(images.SignalImageList, 22);
    }
    void Refresh() {
        UpdateBlockAspects(run);
        ApplyFixedAspects(run);
        ProcessSignals(run);
    }
    std::vector<int32_t> Aspects() {
        UpdateBlockAspects(run);
        ApplyFixedAspects(run);
        std::vector<int32_t> a;
        for (const auto& s : line.Signal) a.push_back(s.Aspect);
        return a;
    }
};

TEST(BlockAspects, LeaderBetweenSignalsFiveAndSeven) {
    SignalFixture f({1, 1, 0, 1, 0, 1, 0, 1, 1});  // 2, 4, 6 are repeaters
    f.state.LeaderFrame = 6500;  // past signal 5 (6000), before block signal 7 (8000)
    // 5 R, 4 repeats it, 3 Y, 2 repeats Y, 1 G ends the walk; 0 and those ahead stay G.
    EXPECT_EQ(f.Aspects(), (std::vector<int32_t>{4, 4, 2, 2, 0, 0, 4, 4, 4}));
    f.state.LeaderFrame = 9500;  // beyond the last block signal: nothing held
    EXPECT_EQ(f.Aspects(), std::vector<int32_t>(9, 4));
}

TEST(BlockAspects, FixedAspectsAndTheLeaderLeaving) {
    SignalFixture f({1, 1, 1, 1});
    f.line.Signal[0].Control = 2;  // always YY
    f.line.Signal[0].FixedAspect = 1;
    f.line.Signal[2].Control = 1;  // G until 10:00:00
    f.line.Signal[2].FixedAspect = 4;
    f.line.Signal[2].FixedUntil = 1080000;
    f.state.LeaderFrame = 3500;  // in signal 2's block
    f.state.ClockTicks = 1079999;
    EXPECT_EQ(f.Aspects(), (std::vector<int32_t>{1, 2, 4, 4}));
    f.state.ClockTicks = 1080000;
    EXPECT_EQ(f.Aspects(), (std::vector<int32_t>{1, 2, 0, 4}));
    f.state.LeaderFrame = 0;
    EXPECT_EQ(f.Aspects(), (std::vector<int32_t>{1, 4, 4, 4}));
}

TEST(SignalDisplay, PictureNameAndClearingAtTheSignal) {
    SignalFixture f({1, 3, 1});
    f.state.LeaderFrame = 2500;  // signal 1 (type 3) R: picture 9
    f.state.Frame = 1800;
    f.Refresh();
    EXPECT_EQ(f.Shown("SignalImage"), 9);
    EXPECT_TRUE(f.Visible("SignalLabel"));
    EXPECT_EQ(f.panel.Text("SignalLabel"), "S1");
    EXPECT_EQ(f.state.CurrentSignal * 100 + f.state.ShownCallNumber, 141);

    // A picture the list does not hold draws nothing; the rest still happens.
    f.images.SignalImageList.Clear();
    f.state.LeaderFrame = 0;  // G: picture 12
    f.Refresh();
    EXPECT_EQ(f.Shown("SignalImage"), -1);
    EXPECT_EQ(f.state.ShownSignalImage, 12);

    f.state.Frame = 2009;  // just past the signal
    f.Refresh();
    EXPECT_EQ(f.state.CurrentSignal, kNone);
    EXPECT_EQ(f.panel.Text("SignalLabel"), "");
}

TEST(SignalDisplay, SignalBeforeItsViewStartIsNeverShown) {
    SignalFixture f({1, 1});
    f.line.Signal[0].ViewStart = 1200;  // after its own frame 1000
    for (int32_t frame : {700, 1000, 1100, 1200}) {
        f.state.Frame = frame;
        f.Refresh();
        EXPECT_EQ(f.state.CurrentSignal, kNone) << frame;
    }
}

TEST(SignalPoints, RestrictionOfTheAspectOnDisplayAtTheLimitPoint) {
    struct Case {
        int32_t alert, leader, expected;
    };
    // Signal 0 (type 2): R picture 6, Y picture 7, G picture 8. At frame 900
    // it is on display and 20 frames past its limit point at 880.
    for (Case c : {Case{0, 1500, 0}, Case{0, 0, kNone}, Case{1, 2500, 45}, Case{1, 0, kNone}}) {
        SignalFixture f({2, 1, 1});
        f.line.Speed_Y = 45;
        f.train.ATS_Alert = c.alert;
        f.line.Signal[0].LimitFrame = 880;
        f.state.AtsLimit = 70;
        f.state.LeaderFrame = c.leader;
        f.state.Frame = 900;
        f.Refresh();
        EXPECT_EQ(f.state.AtsLimit, c.expected) << c.alert << " " << c.leader;
    }
}

TEST(SignalPoints, LimitPointTakesItsOwnSignalNotTheNextOnDisplay) {
    SignalFixture f({2, 2, 2});
    f.line.Signal[0].LimitFrame = 1005;
    f.line.Signal[1].ViewStart = 1000;  // the next signal comes into view at once
    f.state.LeaderFrame = 2500;         // signal 1 red (picture 6), signal 0 behind it Y
    f.state.AtsLimit = 70;
    f.state.Frame = 1004;
    f.Refresh();
    ASSERT_EQ(f.state.SignalImageIndex, 6);
    f.state.Frame = 1020;  // 15 frames past signal 0's limit point
    f.Refresh();
    EXPECT_EQ(f.state.AtsLimit, kNone);  // passed at Y: no stop restriction
}

TEST(SignalPoints, AlarmOnStopPictureOrRawStopOutOfView) {
    struct Case {
        int32_t viewStart, fixedAspect;
        bool alarms;
    };
    // Type 3: raw 3 (YG) is picture 11, raw 0 picture 9. Out of view only the
    // raw R counts; a raw 3 is not the stop picture 3 of another type.
    for (Case c :
         {Case{700, 0, true}, Case{700, 3, false}, Case{950, 0, true}, Case{950, 3, false}}) {
        SignalFixture f({3});
        f.line.Signal[0] = {2, "", 0, 3, c.viewStart, 1000, 795, -1000, c.fixedAspect, 0, 0};
        f.state.Frame = 800;
        f.Refresh();
        EXPECT_EQ(f.state.AtsLimit, c.alarms ? 998 : kNone) << c.viewStart << " " << c.fixedAspect;
    }
}

}  // namespace
}  // namespace kelvaron
