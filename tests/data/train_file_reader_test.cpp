#include "data/train_file_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "data/brake_step_check.h"
#include "platform/qt/qt_picture_loader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

const std::string kFaulty = "車両ファイルに誤りがあります";
const std::string kPowerNotch = "Power指定とNotch指定が矛盾しています";

// n notch entries: A0, A1, V1, V2, X.
std::string Notches(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "1.0\n0.8\n30\n50\n0.97\n";
    return text;
}

// The sections every train must give, with plain values.
const std::string kRunBasics =
    "[BrakeRate]\n4.0\n[PowerDelay]\n1\n[BrakeDelay]\n1\n[SAPDelay]\n1\n[BrakeUp]\n200\n"
    "[BrakeDown]\n200\n[EBPress]\n440\n[HighAirPress]\n880\n[LowAirPress]\n780\n[Mt]\n30\n"
    "[Cars]\n1\n[Tons]\n30\n[MaxSpeed]\n100\n";

// The smallest electric train that loads: one notch.
std::string Electric(const std::string& more = "") {
    return kRunBasics + "[Engine_Type]\n1\n[Power]\n1\n[Notch]\n" + Notches(1) + "#\n" + more;
}

std::string Repeat(const std::string& entry, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += entry;
    return text;
}

class TrainFileTest : public ::testing::Test {
  protected:
    struct Result {
        bool ok = false;
        std::string error;
        TrainConfig train;
        CabImageLists images;
    };

    Result Load(const std::string& utf8Text) {
        test::WriteCp932File(dir_ / "train.dat", utf8Text);
        return LoadFrom(dir_, "train.dat");
    }
    Result LoadFrom(const std::filesystem::path& dir, const std::string& name) {
        Result r;
        r.ok = LoadTrainFile(dir, name, pictures_, r.images, r.train, r.error);
        return r;
    }
    void Bmp(const std::string& name, int w, int h, uint32_t rgb) {
        test::WriteBmp(dir_ / name, w, h, rgb);
    }
    // The message of a file that fails, or "loaded".
    std::string ErrorOf(const std::string& text) {
        Result r = Load(text);
        return r.ok ? "loaded" : r.error;
    }

    std::filesystem::path dir_ = test::MakeTempDir();
    QtPictureLoader pictures_;
};

TEST_F(TrainFileTest, ElectricFixtureLoadsEverySection) {
    Result r = LoadFrom(test::FixtureDir() / "fixtures", "train_electric.dat");
    ASSERT_TRUE(r.ok) << r.error;
    const TrainConfig& t = r.train;
    EXPECT_EQ(t.FileName, "train_electric.dat");
    EXPECT_EQ(t.BrakeRate, 42000);  // 4.2 x 10000
    EXPECT_EQ(t.Tons, 1305000);     // 130.5 t
    EXPECT_EQ(t.Buzzer, (std::array<int32_t, 2>{30, 31}));
    ASSERT_EQ(t.Notch.size(), 4u);
    EXPECT_EQ(t.Notch[3].V1, 48);
    EXPECT_EQ(t.Notch[1].X, 0.975);
    ASSERT_EQ(t.MotorSound.size(), 3u);
    EXPECT_EQ(t.MotorSound[2].Mode, 1);
    EXPECT_EQ(t.MotorSound[2].HighVolume, 90);
    ASSERT_EQ(t.DriveSound.size(), 13u);
    EXPECT_EQ(t.DriveSound[12], "sound\\run120.wav");
    EXPECT_EQ(t.Lamps[kLampBck].Left, 584);
    EXPECT_EQ(t.Needles[kNeedleSpeed].ZeroAngle, -135);
    EXPECT_EQ(t.Needles[kNeedleSpeed].Scale, 2.25L);
    ASSERT_EQ(t.Others.size(), 2u);
    EXPECT_EQ(t.Others[1].Top, 440);
    EXPECT_EQ(r.images.NotchImageP.Count(), 5);
    EXPECT_EQ(r.images.NotchImageB.Count(), 9);
    EXPECT_EQ(r.images.SignImageList.Count(), 1);  // the stop-position marker
}

TEST_F(TrainFileTest, DieselFixtureLoadsGearsAndAnAbsentNeedle) {
    Result r = LoadFrom(test::FixtureDir() / "fixtures", "train_diesel.dat");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.train.Engine_Type, 0);
    ASSERT_EQ(r.train.Engine.size(), 3u);
    EXPECT_EQ(r.train.Engine[2].C2, 0.2);
    EXPECT_EQ(r.train.EngineSound, (std::array<int32_t, 3>{13, 14, 15}));
    // [Needle_ER] with an empty name: no needle and no error.
    EXPECT_EQ(r.train.Needles[kNeedleER].FileName, "");
    EXPECT_EQ(r.images.GearImageList.Count(), 4);
}

TEST_F(TrainFileTest, TractionConsistencyMessages) {
    // The engine type is still 0 (diesel) when the notch list ends.
    EXPECT_EQ(ErrorOf("[Power]\n1\n[Notch]\n" + Notches(1) + "#\n[Engine_Type]\n1\n"),
              "動力が気動車なのにNotch指定があります");
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n[Power]\n5\n[Notch]\n" + Notches(4) + "#\n"), kPowerNotch);
    const std::string gears = "[Engine]\n0\n20\n45\n1.6\n1.2\n0.6\n#\n";
    EXPECT_EQ(ErrorOf(kRunBasics + gears), "loaded");
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n" + gears), "動力が電車なのにEngine指定があります");
    // An electric train without notch curves could never move.
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n[Power]\n0\n"), kPowerNotch);
}

TEST_F(TrainFileTest, ValueConversionsAndTheirLabel) {
    Result r = Load(Electric("[Tons]\n35.5\n[Gear_Type]\nmt\n"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.train.Tons, 355000);      // 35.5 t x 10000
    EXPECT_FALSE(r.train.ManualGears());  // lower case is no gear kind
    // Any other text leaves the gear change as it was.
    EXPECT_TRUE(Load(Electric("[Gear_Type]\nMT\n[Gear_Type]\nCVT\n")).train.ManualGears());

    const std::string basic = kFaulty + "- 列車の基本設定";
    EXPECT_EQ(ErrorOf(Electric("[Tons]\n35,5\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[Tons]")), basic);  // no value line at the end of the file
    EXPECT_EQ(ErrorOf(Electric("[Buzzer]\n3\n")), basic);
    // A file that cannot be used is named, with the reason.
    EXPECT_EQ(ErrorOf(Electric("[StopLine]\nmissing.bmp\n")),
              basic + ": missing.bmp: No such file or directory");
    EXPECT_EQ(LoadFrom(dir_, "absent.dat").error,
              kFaulty + "absent.dat: No such file or directory");
}

TEST_F(TrainFileTest, BrakeStepCheckAfterLoading) {
    Result r = Load(Electric("[BrakeType]\n1\n[Brake]\n2\n"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(CheckBrakeSteps(r.train), "ブレーキの段数を3段以上に設定してください");
    r.train.Brake = 3;
    EXPECT_EQ(CheckBrakeSteps(r.train), std::nullopt);
    // The automatic air brake always has four positions.
    r = Load(Electric("[BrakeType]\n0\n[Brake]\n2\n"));
    EXPECT_EQ(CheckBrakeSteps(r.train), std::nullopt);
    EXPECT_EQ(r.train.Brake, 4);
}

TEST_F(TrainFileTest, HeaderMatching) {
    // Text after the closing bracket is ignored; case, brackets and position matter.
    Result r = Load(Electric("[Cars] 編成の両数\n6\n[cars]\n7\n [Cars]\n8\nCars\n9\n"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.train.Cars, 6);

    // A value line that starts with a later header is taken as that header too.
    r = Load("[Gear_Type]\n[Notch]\n" + Notches(1) + "#\n");
    EXPECT_EQ(r.error, "動力が気動車なのにNotch指定があります");
    Bmp("[Tons]", 8, 4, 0);  // a stop-marker picture with a header for a name
    r = Load(Electric("[StopLine]\n[Tons]\n35.5\n"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.train.Tons, 355000);
    // An earlier header is not compared again: "[Handle]" is only the gear kind here.
    r = Load(Electric("[Gear_Type]\n[Handle]\n1\n"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.train.Handle, 0);

    // A section given twice takes its last value; lists start again.
    r = Load("[Engine_Type]\n1\n[Power]\n2\n[Notch]\n" + Notches(3) + "#\n");
    EXPECT_EQ(r.error, kPowerNotch);
    r = Load(Electric("[DriveSound]\na.wav\nb.wav\n#\n[DriveSound]\nc.wav\n#\n"));
    EXPECT_EQ(r.train.DriveSound, std::vector<std::string>{"c.wav"});
}

TEST_F(TrainFileTest, ShiftJisFileWithJapaneseComments) {
    Result r = Load(kRunBasics +
                    "- 列車の基本設定\r\n通勤形電車 ４両\r\n[Engine_Type]\r\n1\r\n[Power]\r\n1\r\n"
                    "- 力行ノッチ\r\n[Notch]\r\n" +
                    Notches(1) + "#\r\n- 走行音\r\n[DriveSound]\r\nsound\\走行音.wav\r\n#\r\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.train.DriveSound, std::vector<std::string>{"sound\\走行音.wav"});
}

TEST_F(TrainFileTest, EachSectionReportsItsOwnLabel) {
    const std::string lamp = "[Lamp_R]\nr.bmp\n1\nx\n";
    const std::string needle = "n.bmp\n1\n2\n3\n4\n-135\n";
    struct Case {
        std::string text, label;
    } cases[] = {
        {Electric("[Notch]\n1.0\n0.8\n30\n50\nx\n#\n"), "[Notch]"},
        {"[Engine]\n0\n20\n4.5\n1.6\n1.2\n0.6\n#\n", "[Engine]"},
        {Electric("[MotorSound]\nm.wav\nzero\n"), "[MotorSound]"},
        {Electric("[Clock]\n1\n2\n"), "- アナログ時計"},
        {Electric(lamp), "- 運転台パネル"},
        {Electric("[Needle_Speed]\n" + needle + "2,25\n"), "- 速度計"},
        {Electric("[Needle_I]\n" + needle + "\n"), "- 電流計"},
        {Electric("[NotchImageP]\n0\n0\nmissing.bmp\n#\n"),
         "[NotchImageP]: missing.bmp: No such file or directory"},
        {Electric("[GearImageList]\n0\n\n"), "[GearImageList]"},
        {Electric("[Others]\no.bmp\n1\n-\n#\n"), "[Others]"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), kFaulty + c.label) << c.text;
}

TEST_F(TrainFileTest, ImageListsShareOneSize) {
    Bmp("a.bmp", 20, 10, 0xFF0000);
    Bmp("b.bmp", 20, 10, 0x00FF00);
    Bmp("big.bmp", 30, 15, 0x0000FF);
    Result r =
        Load(Electric("[NotchImageP]\n5\n6\na.bmp\n\nb.bmp\n#\n"
                      "[NotchImageB]\n0\n0\na.bmp\nbig.bmp\nbig.bmp\n#\n"
                      "[GearImageList]\n0\n0\n\n#\n"));
    ASSERT_TRUE(r.ok) << r.error;
    // The empty line adds nothing and does not end the list.
    EXPECT_EQ(r.images.NotchImageP.Count(), 2);
    EXPECT_EQ(r.train.NotchImageP.Top, 6);
    // The larger second picture discards the first.
    EXPECT_EQ(r.images.NotchImageB.Count(), 2);
    EXPECT_EQ(r.images.NotchImageB.Width(), 30);
    EXPECT_EQ(r.images.NotchImageB.Get(0)->At(0, 0) & 0xFFFFFF, 0x0000FFu);
    // An empty line takes the size of the picture loaded last, even from another list.
    EXPECT_EQ(r.images.GearImageList.Count(), 0);
    EXPECT_EQ(r.images.GearImageList.Width(), 30);
}

TEST_F(TrainFileTest, ListsLongerThanTheirTablesAreRefused) {
    const std::string gear = "0\n20\n45\n1.6\n1.2\n0.6\n";
    const std::string motor = "m.wav\n0\n0\n40\n0.5\n1.2\n60\n100\n";
    const std::string other = "o.bmp\n1\n2\n";
    const auto electric = [](int power, int notches) {
        return kRunBasics + "[Engine_Type]\n1\n[Power]\n" + std::to_string(power) + "\n[Notch]\n" +
               Notches(notches) + "#\n";
    };
    EXPECT_EQ(ErrorOf(electric(11, 11)), "loaded");
    EXPECT_EQ(ErrorOf(electric(12, 12)), kFaulty + "[Notch]");
    EXPECT_EQ(ErrorOf(kRunBasics + "[Engine]\n" + Repeat(gear, 11) + "#\n"), "loaded");
    EXPECT_EQ(ErrorOf("[Engine]\n" + Repeat(gear, 12) + "#\n"), kFaulty + "[Engine]");
    EXPECT_EQ(ErrorOf(Electric("[MotorSound]\n" + Repeat(motor, 100) + "#\n")), "loaded");
    EXPECT_EQ(ErrorOf(Electric("[MotorSound]\n" + Repeat(motor, 101) + "#\n")),
              kFaulty + "[MotorSound]");
    EXPECT_EQ(ErrorOf(Electric("[DriveSound]\n" + Repeat("d.wav\n", 100) + "#\n")), "loaded");
    EXPECT_EQ(ErrorOf(Electric("[DriveSound]\n" + Repeat("d.wav\n", 101) + "#\n")),
              kFaulty + "[DriveSound]");
    EXPECT_EQ(ErrorOf(Electric("[Others]\n" + Repeat(other, 11) + "#\n")), "loaded");
    EXPECT_EQ(ErrorOf(Electric("[Others]\n" + Repeat(other, 12) + "#\n")), kFaulty + "[Others]");
}

TEST_F(TrainFileTest, ListWithoutItsEndLineIsRefused) {
    Bmp("a.bmp", 8, 8, 0);
    // Names and empty lines never fail to convert: only the missing "#" can end these.
    EXPECT_EQ(ErrorOf(Electric("[DriveSound]\nd.wav\n")), kFaulty + "[DriveSound]");
    EXPECT_EQ(ErrorOf(Electric("[NotchImageB]\n0\n0\na.bmp\n\n")), kFaulty + "[NotchImageB]");
    EXPECT_EQ(ErrorOf(Electric("[Others]\n")), kFaulty + "[Others]");
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n[Power]\n1\n[Notch]\n" + Notches(1)), kFaulty + "[Notch]");
}

TEST_F(TrainFileTest, ValuesThatWouldStopTheRunAreRefused) {
    const std::string basic = kFaulty + "- 列車の基本設定";
    EXPECT_EQ(ErrorOf(Electric("[Tons]\n0\n")), basic);  // the motion update divides by it
    EXPECT_EQ(ErrorOf(Electric("[Tons]\n-3.5\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[Tons]\n0.0001\n")), "loaded");  // smallest positive Fixed4
    EXPECT_EQ(ErrorOf(Electric("[PowerDelay]\n0\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[BrakeDelay]\n-1\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[SAPDelay]\n0\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[PowerDelay]\n1\n[BrakeDelay]\n1\n[SAPDelay]\n1\n")), "loaded");
    EXPECT_EQ(ErrorOf(Electric("[Cars]\n0\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[Cars]\n21\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[Cars]\n20\n")), "loaded");
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n[Power]\n1\n[Notch]\n1.0\n0.8\n0\n50\n0.97\n#\n"),
              kFaulty + "[Notch]");
    // Above V2 the curve divides by the speed and by X^V2: both must stay positive.
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n[Power]\n1\n[Notch]\n1.0\n0.8\n30\n0\n0.97\n#\n"),
              kFaulty + "[Notch]");
    EXPECT_EQ(ErrorOf("[Engine_Type]\n1\n[Power]\n1\n[Notch]\n1.0\n0.8\n30\n50\n0\n#\n"),
              kFaulty + "[Notch]");
}

TEST_F(TrainFileTest, SectionsARunNeedsMustBeGiven) {
    // An empty file once loaded as a train of 0 t that never moved; the first
    // missing section in the file's order is named.
    EXPECT_EQ(ErrorOf(""), kFaulty + "[BrakeRate]");
    std::string noTons = Electric();
    noTons.erase(noTons.find("[Tons]\n30\n"), 10);
    EXPECT_EQ(ErrorOf(noTons), kFaulty + "[Tons]");
    // A diesel train without gears could never move either.
    EXPECT_EQ(ErrorOf(kRunBasics + "[Engine_Type]\n0\n"), kFaulty + "[Engine]");

    // The same train saved as UTF-16 (little-endian, with its mark) is refused as such.
    const std::string text = Electric();
    std::string utf16 = "\xFF\xFE";
    for (char c : text) utf16 += std::string{c, '\0'};
    test::WriteFile(dir_ / "train16.dat", utf16);
    EXPECT_EQ(LoadFrom(dir_, "train16.dat").error,
              kFaulty +
                  "train16.dat: written in UTF-16, which is not read: save it as Shift-JIS "
                  "or UTF-8");
}

TEST_F(TrainFileTest, NumbersThatDoNotFitTheirFieldAreRefused) {
    const std::string basic = kFaulty + "- 列車の基本設定";
    // 10^400 is beyond a double: it became infinity and the train never moved.
    const std::string huge = "1" + std::string(400, '0');
    EXPECT_EQ(ErrorOf(kRunBasics + "[Engine_Type]\n1\n[Power]\n1\n[Notch]\n" + huge +
                      "\n0.8\n30\n50\n0.97\n#\n"),
              kFaulty + "[Notch]");
    EXPECT_EQ(ErrorOf(kRunBasics + "[Engine]\n0\n20\n45\n1.6\n1.2\n" + huge + "\n#\n"),
              kFaulty + "[Engine]");
    // Without an EB pressure or a deceleration rate the train has no brakes.
    EXPECT_EQ(ErrorOf(Electric("[EBPress]\n0\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[BrakeRate]\n0\n")), basic);
    EXPECT_EQ(ErrorOf(Electric("[BrakeRate]\n-1.5\n")), basic);
    // A clock hand of -2^31 pixels overflowed its end point when drawn.
    EXPECT_EQ(ErrorOf(Electric("[Clock]\n30\n30\n-2147483648\n")), kFaulty + "- アナログ時計");
    EXPECT_EQ(ErrorOf(Electric("[Clock]\n30\n30\n1001\n")), kFaulty + "- アナログ時計");
    EXPECT_EQ(ErrorOf(Electric("[Clock]\n30\n30\n20\n")), "loaded");
}

}  // namespace
}  // namespace kelvaron
