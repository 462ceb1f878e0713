#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/text_decoding.h"
#include "headless_services.h"
#include "input/keyboard.h"
#include "shell/run_window.h"
#include "test_support.h"

namespace kelvaron {
namespace {

std::string ReadText(const std::filesystem::path& path) {
    return DecodeToUtf8(test::ReadAll(path));
}

// A data folder made from the sample files, which a test may then change.
class StartupTest : public ::testing::Test, public test::HeadlessServices<> {
  protected:
    void SetUp() override {
        dir = test::MakeTempDir();
        std::filesystem::copy(test::FixtureDir() / "fixtures", dir,
                              std::filesystem::copy_options::recursive);
        messages.echo = false;
        video.frameCountWhenOpen = 6000;
    }
    void Edit(const std::string& file, const std::string& from, const std::string& to) {
        std::string text = ReadText(dir / file);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        test::WriteCp932File(dir / file, text);
    }
    std::unique_ptr<RunWindow> Build() {
        auto window =
            std::make_unique<RunWindow>(Platform(), dir, "train_electric.dat", "line_basic.dat");
        window->FormCreate([this](const std::string& s) { status.push_back(s); });
        return window;
    }

    std::filesystem::path dir;
    std::vector<std::string> status;
};

TEST_F(StartupTest, BuildsTheRunAtItsStartValues) {
    auto w = Build();
    ASSERT_EQ(w->StartupError(), "");
    EXPECT_EQ(status, (std::vector<std::string>{
                          "設定ファイルを読み込んでいます", "運転台を描画しています",
                          "DirectSoundオブジェクトを作成しています", "サウンドを読み込んでいます",
                          "環境をセットアップしています"}));
    const RunState& s = w->State();
    EXPECT_EQ(s.Frame, 30);
    EXPECT_EQ(s.ClockTicks, 1080000);
    EXPECT_EQ(s.BrakeNotch, -8);  // standing in EB
    EXPECT_EQ(s.BcPressure, 4400000);
    EXPECT_TRUE(s.DoorsOpen);
    EXPECT_TRUE(s.InputLocked);
    EXPECT_EQ(s.AtsLimit, kNone);
    EXPECT_EQ(s.LeaderFrame, 120 * 30 + 30);  // [Pre_Time] x 30 + [StartPos]
    EXPECT_EQ(s.VideoFrameCount, 6000);
    EXPECT_EQ(w->Panel().Text("CarsLabel"), "4両");
    EXPECT_EQ(w->Panel().Text("Label4"), "中央駅");
    EXPECT_EQ(w->Panel().Text("Label1"), "前進");
    EXPECT_EQ(w->Panel().Text("BrakeLabel"), "非常");
    EXPECT_FALSE(w->Panel().IsVisible("Lamp_EB"));
    // Move items: the first station only (the second is passed, the last never listed).
    const MenuItem* move = w->Menu().Find("GoTo1");
    ASSERT_EQ(move->items.size(), 1u);
    EXPECT_EQ(move->items[0].name, "Sta0");
    EXPECT_EQ(move->caption, "駅へ移動(&M)");
    // 13 drive sounds, so the line's first sound is on channel 13; motor sounds from 240.
    EXPECT_EQ(mixer.BoundSound(13), 13);
    EXPECT_NE(mixer.BoundSound(240), kNoSound);
}

TEST_F(StartupTest, FaultsEndStartUpWithTheirMessages) {
    std::filesystem::remove(dir / "kelvaron.dat");
    auto noLabels = Build();
    EXPECT_EQ(noLabels->StartupError(),
              "stringファイルに誤りがありますkelvaron.dat: No such file or directory");
    EXPECT_TRUE(noLabels->StartupFatal());

    SetUp();
    std::filesystem::remove(dir / "mascon.dat");
    auto noCodes = Build();
    EXPECT_NE(noCodes->StartupError().find("mascon.dat"), std::string::npos);
    EXPECT_FALSE(noCodes->StartupFatal());  // the player goes back to the title screen

    SetUp();
    Edit("train_electric.dat", "[Brake]\r\n8", "[Brake]\r\n2");
    EXPECT_EQ(Build()->StartupError(), "ブレーキの段数を3段以上に設定してください");

    SetUp();
    std::filesystem::remove(dir / "cab" / "lamp_door.bmp");
    const std::string missing = Build()->StartupError();
    EXPECT_NE(missing.find("が見つかりません"), std::string::npos) << missing;
}

TEST_F(StartupTest, SeventeenMotorSoundsExceedTheChannels) {
    std::string motors = "[MotorSound]\r\n";
    for (int i = 0; i < 17; ++i) motors += "m.wav\r\n0\r\n0\r\n10\r\n1\r\n1\r\n100\r\n100\r\n";
    Edit("train_electric.dat", "[MotorSound]", motors + "#\r\n[Unused]");
    EXPECT_EQ(Build()->StartupError(),
              "DirectSoundの割り当てに失敗しました。256チャンネルを超えています。");
}

TEST_F(StartupTest, SecondRunStartsFresh) {
    auto first = Build();
    first->State().Speed = 500000;
    ASSERT_TRUE(first->FormCloseQuery());
    status.clear();
    auto second = Build();
    EXPECT_EQ(status.size(), 5u);
    EXPECT_EQ(second->State().Speed, 0);
}

TEST_F(StartupTest, MoveToAStationLeavesTheTrainReadyToDepart) {
    // Make the passed middle station a stop departing at 10:01:00.
    Edit("line_basic.dat", "桜町,1,2000,2060,0,0,0", "桜町,0,2000,2060,0,1081800,1082100");
    auto w = Build();
    w->start1Click();
    w->State().Speed = 300000;
    w->StationClick("Sta1");
    const RunState& s = w->State();
    EXPECT_EQ(s.Speed, 0);
    EXPECT_EQ(s.Frame, 2030);                // middle of the zone 2000..2060
    EXPECT_EQ(s.ClockTicks, 1081800 - 150);  // 5 s before its departure
    EXPECT_EQ(s.BrakeNotch, -8);
    EXPECT_FALSE(s.DoorsOpen);
    EXPECT_EQ(s.AnnouncePos, 2);  // one stop before it
    EXPECT_EQ(s.Distance, w->Line().Station[1].StopPosition);
    EXPECT_EQ(s.SpeedUnitIndex, -1);
    // Frame 2030 lies inside the view of the signal at 1800..2300: the display stays.
    EXPECT_EQ(s.ShownSignalImage, 1000);

    w->StationClick("Sta0");
    EXPECT_EQ(w->State().SignalImageIndex, kNone);  // frame 30 is in no signal's view
}

TEST_F(StartupTest, EnterCallsOutTheSignShown) {
    // The curve sign (OtherImageList entry 3, voice line_v_curve.wav) stands
    // over frames 2700..2900; the test keys put the train at 2730 doing 10 km/h.
    const auto toTheCurveSign = [](RunWindow& w) {
        w.start1Click();
        InputDispatcher& input = w.Input();
        for (int i = 0; i < 2; ++i) input.KeyDown(kVkF8, true);  // 30 -> 2030
        for (int i = 0; i < 7; ++i) input.KeyDown(kVkF6, true);  // -> 2730
        input.KeyDown(kVkF12, true);
    };
    auto w = Build();
    toTheCurveSign(*w);
    w->Timer1Timer();
    ASSERT_EQ(w->State().PromptImage, 3);
    w->Input().KeyDown(kVkReturn, false);
    EXPECT_NE(w->State().CalloutQueue[0], kNoSound);
    // The next refresh speaks it on the call-out channel.
    w->Timer1Timer();
    const auto& records = mixer.Records();
    const bool spoken = std::any_of(records.begin(), records.end(), [](const MixerCommand& c) {
        return c.channel == kCalloutChannel && c.op == MixerOp::Bind &&
               c.value.ends_with(" line_v_curve.wav");
    });
    EXPECT_TRUE(spoken);

    // The Windows controller's button 4 posts Enter from the refresh's
    // joystick scan, after the sign step of that refresh: the same call-out.
    SetUp();
    w = Build();
    toTheCurveSign(*w);
    w->ChooseController(1);
    joystick.state = JoystickState{0, 0, 1 << 4};
    w->Timer1Timer();
    EXPECT_NE(w->State().CalloutQueue[0], kNoSound);
}

TEST_F(StartupTest, NamesFromStrangersNeitherHangNorLeaveTheDataFolder) {
    // A pipe named as a line sound: opening it would wait for a writer for ever.
    ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    Edit("line_basic.dat", "line_melody.wav", "pipe.wav");
    // A NUL in the video's name would cut off ".avi" and open another file.
    Edit("line_basic.dat", "[DataName]\r\nline_basic",
         std::string("[DataName]\r\nline\0basic", 22));
    auto w = Build();
    ASSERT_EQ(w->StartupError(), "");
    EXPECT_EQ(mixer.BoundSound(13), kNoSound);  // the pipe plays silence
    EXPECT_EQ(w->State().VideoFrameCount, -1);  // no video rather than another file

    // The player's own video folder may lie anywhere; the line's name must stay in it.
    SetUp();
    const auto videos = test::MakeTempDir();
    Edit("kelvaron.dat", "movie\\", videos.string() + "/");
    EXPECT_EQ(Build()->State().VideoFrameCount, 6000);
    EXPECT_EQ(video.file, videos / "line_basic.avi");
    Edit("line_basic.dat", "[DataName]\r\nline_basic", "[DataName]\r\n..\\line_basic");
    EXPECT_EQ(Build()->State().VideoFrameCount, -1);

    SetUp();
    Edit("train_electric.dat", "cab\\lamp_door.bmp", "..\\lamp_door.bmp");
    EXPECT_EQ(Build()->StartupError(),
              "..\\lamp_door.bmpが見つかりません: outside the data folder");
}

}  // namespace
}  // namespace kelvaron
