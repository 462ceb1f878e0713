#include "run/refresh.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "run/callouts.h"
#include "test_run.h"

namespace kelvaron {
namespace {

// A mixer whose volume command fails, as a broken sound device might.
class FailingMixer : public test::RecordingMixer {
  public:
    bool failVolume = false;
    bool SetVolume(int channel, int32_t v) override {
        if (failVolume) throw std::runtime_error("volume refused by the device");
        return RecordingMixer::SetVolume(channel, v);
    }
};

struct Fixture : test::BasicTestRun<FailingMixer> {
    std::vector<std::string> faults;
    std::string caption = "Kelvaron";
    RefreshExtras extras;

    Fixture() {
        train.Tons = 300 * kFixed4Scale;
        train.Brake = 8;
        train.Cars = 4;
        train.DriveSound.assign(13, "band.wav");
        line.LineName = "試験線";
        AddControl("Label3");
        extras.windowCaption = &caption;
        extras.reportFault = [this](const std::string& f) { faults.push_back(f); };
    }
};

TEST(Refresh, ClockEverySecondAndCaptionAtTheFirstRefresh) {
    Fixture f;
    f.state.ClockTicks = 1860;  // 00:01:02
    for (int i = 0; i < 9; ++i) Timer1Timer(f.run, f.extras);
    EXPECT_EQ(f.caption, "試験線");  // changed by the first refresh
    EXPECT_EQ(f.panel.Text("Label3"), "");
    Timer1Timer(f.run, f.extras);  // the tenth
    EXPECT_EQ(f.panel.Text("Label3"), "00:01:02");
    EXPECT_TRUE(f.faults.empty());
}

TEST(Refresh, AFailingStepEndsOnlyThatRefreshAndIsReported) {
    Fixture f;
    kanko_queue_add(f.state, 5);
    f.mixer.failVolume = true;
    Timer1Timer(f.run, f.extras);
    Timer1Timer(f.run, f.extras);
    // The brake squeal (step 4) failed: the call-out queue (step 23) never ran.
    EXPECT_EQ(f.mixer.Count("play", kCalloutChannel), 0);
    EXPECT_EQ(f.state.RefreshCount, 2);  // but each refresh started again from step 1
    EXPECT_EQ(f.faults, (std::vector<std::string>{"volume refused by the device",
                                                  "volume refused by the device"}));
    f.mixer.failVolume = false;
    Timer1Timer(f.run, f.extras);
    EXPECT_EQ(f.mixer.Count("play", kCalloutChannel), 1);
}

}  // namespace
}  // namespace kelvaron
