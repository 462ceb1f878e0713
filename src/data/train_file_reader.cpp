#include "data/train_file_reader.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>

#include "common/common_util.h"
#include "common/data_path.h"
#include "common/text_file.h"

namespace kelvaron {

namespace {

constexpr std::string_view kFaultyFile = "車両ファイルに誤りがあります";
constexpr std::string_view kPowerNotchMismatch = "Power指定とNotch指定が矛盾しています";
constexpr std::string_view kNotchOnDiesel = "動力が気動車なのにNotch指定があります";
constexpr std::string_view kEngineOnElectric = "動力が電車なのにEngine指定があります";

constexpr std::string_view kBasicLabel = "- 列車の基本設定";
constexpr std::string_view kClockLabel = "- アナログ時計";
constexpr std::string_view kPanelLabel = "- 運転台パネル";

// Ends the load with the whole message to show.
struct LoadFault {
    std::string message;
};

// One pass of the reading loop compares the current line with every header
// in a fixed order. A header's value lines replace the current line, so the
// headers compared after it see its last value line, not the header line.
class TrainFileReader {
  public:
    TrainFileReader(TextFile& file, const std::filesystem::path& dataDir, PictureLoader& pictures,
                    CabImageLists& images, TrainConfig& train)
        : file_(file), dataDir_(dataDir), pictures_(pictures), images_(images), train_(train) {}

    void ReadAll();

    // Value lines of the current section.
    const std::string& Next() { return line_ = file_.ReadLine(); }
    int32_t Int() { return AsInt(Next()); }
    int32_t IntWithin(int32_t low, int32_t high) {
        int32_t value = Int();
        if (value < low || value > high) Fail();
        return value;
    }
    int32_t IntAtLeast(int32_t low) { return IntWithin(low, INT32_MAX); }
    Fixed4 Fixed() {
        auto value = ParseFixed4(Next());
        if (!value) Fail();
        return *value;
    }
    Fixed4 PositiveFixed() {
        Fixed4 value = Fixed();
        if (value <= 0) Fail();
        return value;
    }
    long double Extended() {
        auto value = ParseDecimal(Next());
        if (!value) Fail();
        return *value;
    }
    double Double() { return AsDouble(Next()); }

    // Loads the stop-position marker at once.
    void StopLine() {
        train_.StopLine = Next();
        auto picture = pictures_.Load(ResolveDataPath(dataDir_, train_.StopLine),
                                      PictureFormats::BitmapOrJpeg);
        if (!picture) Fail();
        images_.SignImageList.Append(std::move(*picture));
    }

  private:
    [[noreturn]] void Fail() const {
        throw LoadFault{std::string(kFaultyFile) + std::string(label_)};
    }

    int32_t AsInt(const std::string& text) const {
        auto value = ParseInt(text);
        if (!value) Fail();
        return *value;
    }
    double AsDouble(const std::string& text) const {
        if (!ParseDecimal(text)) Fail();
        // Converted straight to double: going through long double could round twice.
        return std::strtod(text.c_str(), nullptr);
    }

    // Reads the first line of the next entry of a list section; false at the
    // "#" line that ends the list. A list that runs off the end of the file
    // has lost its end line: the file is faulty rather than read for ever.
    bool NextEntry() {
        Next();
        if (file_.ReadsPastEnd() > 0) Fail();
        return !(line_.starts_with('#'));
    }

    void ReadNotch();
    void ReadEngine();
    void ReadMotorSound();
    void ReadDriveSound();
    void ReadPanelSections();
    void ReadLamp(Lamp& lamp);
    void ReadMeter(Meter& meter);
    void ReadImageList(ImageListPlace& place, ImageList& list);
    void ReadOthers();

    TextFile& file_;
    const std::filesystem::path& dataDir_;
    PictureLoader& pictures_;
    CabImageLists& images_;
    TrainConfig& train_;

    std::string line_;
    std::string_view label_ = kBasicLabel;
    bool notchSectionSeen_ = false;
    // Size of the picture last loaded for an image list: an empty line of a
    // list section sets the list to this size.
    int32_t workWidth_ = 0, workHeight_ = 0;
};

// The single-value driving sections in the order they are compared.
struct SingleSection {
    std::string_view header;
    void (*read)(TrainFileReader& r, TrainConfig& t);
};

constexpr std::array kSingleSections{
    SingleSection{"[Handle]", [](auto& r, auto& t) { t.Handle = r.Int(); }},
    SingleSection{"[BrakeType]", [](auto& r, auto& t) { t.BrakeType = r.Int(); }},
    SingleSection{"[Brake]", [](auto& r, auto& t) { t.Brake = r.Int(); }},
    SingleSection{"[Power]", [](auto& r, auto& t) { t.Power = r.Int(); }},
    SingleSection{"[Hold]", [](auto& r, auto& t) { t.Hold = r.Int(); }},
    SingleSection{"[BrakeRate]", [](auto& r, auto& t) { t.BrakeRate = r.Fixed(); }},
    // A delay below one tick would keep the handle from ever taking effect.
    SingleSection{"[PowerDelay]", [](auto& r, auto& t) { t.PowerDelay = r.IntAtLeast(1); }},
    SingleSection{"[BrakeDelay]", [](auto& r, auto& t) { t.BrakeDelay = r.IntAtLeast(1); }},
    SingleSection{"[SAPDelay]", [](auto& r, auto& t) { t.SAPDelay = r.IntAtLeast(1); }},
    SingleSection{"[BrakeUp]", [](auto& r, auto& t) { t.BrakeUp = r.Int(); }},
    SingleSection{"[BrakeDown]", [](auto& r, auto& t) { t.BrakeDown = r.Int(); }},
    SingleSection{"[EBPress]", [](auto& r, auto& t) { t.EBPress = r.Int(); }},
    SingleSection{"[SAPPress]", [](auto& r, auto& t) { t.SAPPress = r.Int(); }},
    SingleSection{"[HighAirPress]", [](auto& r, auto& t) { t.HighAirPress = r.Int(); }},
    SingleSection{"[LowAirPress]", [](auto& r, auto& t) { t.LowAirPress = r.Int(); }},
    SingleSection{"[Curr1]", [](auto& r, auto& t) { t.Curr1 = r.Int(); }},
    SingleSection{"[Curr2]", [](auto& r, auto& t) { t.Curr2 = r.Int(); }},
    SingleSection{"[Engine_Type]", [](auto& r, auto& t) { t.Engine_Type = r.Int(); }},
    SingleSection{"[DoorType]", [](auto& r, auto& t) { t.DoorType = r.Int(); }},
    SingleSection{"[Mt]", [](auto& r, auto& t) { t.Mt = r.Fixed(); }},
    SingleSection{"[Tt]", [](auto& r, auto& t) { t.Tt = r.Fixed(); }},
    // The running resistance is worked out per car for at most 20 cars.
    SingleSection{"[Cars]", [](auto& r, auto& t) { t.Cars = r.IntWithin(1, 20); }},
    SingleSection{"[StopLine]", [](auto& r, auto&) { r.StopLine(); }},
    // The motion update divides by the train mass.
    SingleSection{"[Tons]", [](auto& r, auto& t) { t.Tons = r.PositiveFixed(); }},
    SingleSection{"[EB]", [](auto& r, auto& t) { t.EB = r.Int(); }},
    SingleSection{"[MaxSpeed]", [](auto& r, auto& t) { t.MaxSpeed = r.Int(); }},
    SingleSection{"[Lose_elec]", [](auto& r, auto& t) { t.Lose_elec = r.Int(); }},
    SingleSection{"[Mc]", [](auto& r, auto& t) { t.Mc = r.Int(); }},
    SingleSection{"[ATS_Type]", [](auto& r, auto& t) { t.ATS_Type = r.Int(); }},
    SingleSection{"[ATS_Alert]", [](auto& r, auto& t) { t.ATS_Alert = r.Int(); }},
    SingleSection{"[ATS_Time]", [](auto& r, auto& t) { t.ATS_Time = r.Int(); }},
    SingleSection{"[ATS_Cnt]", [](auto& r, auto& t) { t.ATS_Cnt = r.Int(); }},
    SingleSection{"[Sound_br1]", [](auto& r, auto& t) { t.Sound_br1 = r.Int(); }},
    SingleSection{"[Sound_br2]", [](auto& r, auto& t) { t.Sound_br2 = r.Int(); }},
    SingleSection{"[Sound_EB]", [](auto& r, auto& t) { t.Sound_EB = r.Int(); }},
    SingleSection{"[Sound_Ats1]", [](auto& r, auto& t) { t.Sound_Ats1 = r.Int(); }},
    SingleSection{"[Sound_Ats2]", [](auto& r, auto& t) { t.Sound_Ats2 = r.Int(); }},
    SingleSection{"[Sound_Atc]", [](auto& r, auto& t) { t.Sound_Atc = r.Int(); }},
    SingleSection{"[Sound_Horn]", [](auto& r, auto& t) { t.Sound_Horn = r.Int(); }},
    SingleSection{"[Sound_Horn2]", [](auto& r, auto& t) { t.Sound_Horn2 = r.Int(); }},
    SingleSection{"[Sound_Horn3]", [](auto& r, auto& t) { t.Sound_Horn3 = r.Int(); }},
    SingleSection{"[Sound_DoorOpen]", [](auto& r, auto& t) { t.Sound_DoorOpen = r.Int(); }},
    SingleSection{"[Sound_DoorClose]", [](auto& r, auto& t) { t.Sound_DoorClose = r.Int(); }},
    SingleSection{"[Sound_EBring]", [](auto& r, auto& t) { t.Sound_EBring = r.Int(); }},
    SingleSection{"[Sound_squeak]", [](auto& r, auto& t) { t.Sound_squeak = r.Int(); }},
    SingleSection{"[CP_Start]", [](auto& r, auto& t) { t.CP_Start = r.Int(); }},
    SingleSection{"[CP_Cnt]", [](auto& r, auto& t) { t.CP_Cnt = r.Int(); }},
    SingleSection{"[CP_End]", [](auto& r, auto& t) { t.CP_End = r.Int(); }},
    SingleSection{"[Stop]", [](auto& r, auto& t) { t.Stop = r.Int(); }},
    SingleSection{"[Buzzer]",
                  [](auto& r, auto& t) {
                      for (auto& channel : t.Buzzer) channel = r.Int();
                  }},
    SingleSection{"[DepSign]", [](auto& r, auto& t) { t.DepSign = r.Int(); }},
    SingleSection{"[EngineSound]",
                  [](auto& r, auto& t) {
                      for (auto& channel : t.EngineSound) channel = r.Int();
                  }},
    // Any text other than the two kinds leaves the gear change as it was.
    SingleSection{"[Gear_Type]",
                  [](auto& r, auto& t) {
                      const std::string& kind = r.Next();
                      if (kind == "AT" || kind == "MT") t.Gear_Type = kind;
                  }},
};

void TrainFileReader::ReadAll() {
    while (!file_.Eof()) {
        label_ = kBasicLabel;
        Next();
        for (const SingleSection& section : kSingleSections) {
            if (StartsWith(line_, section.header)) section.read(*this, train_);
        }

        label_ = "[Notch]";
        if (StartsWith(line_, "[Notch]")) ReadNotch();
        label_ = "[Engine]";
        if (StartsWith(line_, "[Engine]")) ReadEngine();
        label_ = "[MotorSound]";
        if (StartsWith(line_, "[MotorSound]")) ReadMotorSound();
        label_ = "[DriveSound]";
        if (StartsWith(line_, "[DriveSound]")) ReadDriveSound();

        ReadPanelSections();
    }
    // An electric train without notch curves could never move.
    if (train_.Engine_Type != 0 && !notchSectionSeen_)
        throw LoadFault{std::string(kPowerNotchMismatch)};
}

void TrainFileReader::ReadNotch() {
    notchSectionSeen_ = true;
    train_.Notch.clear();
    while (NextEntry()) {
        if (train_.Notch.size() == kMaxNotchCurves) Fail();
        NotchCurve curve;
        curve.A0 = AsDouble(line_);
        curve.A1 = Double();
        // The constant-force region must end above standstill: the curve divides by it.
        curve.V1 = IntAtLeast(1);
        // Above V2 the force is divided by the speed and by X to the power V2.
        curve.V2 = IntAtLeast(1);
        curve.X = Double();
        if (!(curve.X > 0)) Fail();
        train_.Notch.push_back(curve);
    }
    // The engine type is checked as it stands when the list ends.
    if (train_.Engine_Type == 0) throw LoadFault{std::string(kNotchOnDiesel)};
    if (static_cast<int64_t>(train_.Notch.size()) != train_.Power) {
        throw LoadFault{std::string(kPowerNotchMismatch)};
    }
}

void TrainFileReader::ReadEngine() {
    train_.Engine.clear();
    while (NextEntry()) {
        if (train_.Engine.size() == kMaxGearCurves) Fail();
        GearCurve gear;
        gear.S0 = AsInt(line_);
        gear.S1 = Int();
        gear.S2 = Int();
        gear.C0 = Double();
        gear.C1 = Double();
        gear.C2 = Double();
        train_.Engine.push_back(gear);
    }
    if (train_.Engine_Type == 1) throw LoadFault{std::string(kEngineOnElectric)};
}

void TrainFileReader::ReadMotorSound() {
    train_.MotorSound.clear();
    while (NextEntry()) {
        if (train_.MotorSound.size() == kMaxMotorSounds) Fail();
        MotorSoundData sound;
        sound.FileName = line_;
        sound.Mode = Int();
        sound.LowSpeed = Extended();
        sound.HighSpeed = Extended();
        sound.LowPitch = Extended();
        sound.HighPitch = Extended();
        sound.LowVolume = Extended();
        sound.HighVolume = Extended();
        train_.MotorSound.push_back(std::move(sound));
    }
}

void TrainFileReader::ReadDriveSound() {
    train_.DriveSound.clear();
    while (NextEntry()) {
        if (train_.DriveSound.size() == kMaxDriveSounds) Fail();
        train_.DriveSound.push_back(line_);
    }
}

void TrainFileReader::ReadPanelSections() {
    label_ = kClockLabel;
    if (StartsWith(line_, "[Clock]")) {
        train_.Clock.X = Int();
        train_.Clock.Y = Int();
        train_.Clock.R = Int();
    }

    label_ = kPanelLabel;
    if (StartsWith(line_, "[Panel]")) ReadLamp(train_.Panel);
    if (StartsWith(line_, "[Panel2]")) ReadLamp(train_.Panel2);
    for (int i = 0; i < kLampCount; ++i) {
        if (StartsWith(line_, kLampInfo[i].section)) ReadLamp(train_.Lamps[i]);
    }

    for (int i = 0; i < kNeedleCount; ++i) {
        label_ = kNeedleInfo[i].errorLabel;
        if (StartsWith(line_, kNeedleInfo[i].section)) ReadMeter(train_.Needles[i]);
    }

    label_ = "[NotchImageP]";
    if (StartsWith(line_, "[NotchImageP]")) ReadImageList(train_.NotchImageP, images_.NotchImageP);
    label_ = "[NotchImageB]";
    if (StartsWith(line_, "[NotchImageB]")) ReadImageList(train_.NotchImageB, images_.NotchImageB);
    label_ = "[GearImageList]";
    if (StartsWith(line_, "[GearImageList]")) {
        ReadImageList(train_.GearImageList, images_.GearImageList);
    }
    label_ = "[Others]";
    if (StartsWith(line_, "[Others]")) ReadOthers();
}

void TrainFileReader::ReadLamp(Lamp& lamp) {
    lamp.FileName = Next();
    lamp.Left = Int();
    lamp.Top = Int();
}

void TrainFileReader::ReadMeter(Meter& meter) {
    meter.FileName = Next();
    meter.Left = Int();
    meter.Top = Int();
    meter.Width = Int();
    meter.Height = Int();
    meter.ZeroAngle = Int();
    meter.Scale = Extended();
}

// Every picture of a list shares one size: a picture of another size empties
// the list, and an empty line sets the size of the picture loaded last.
void TrainFileReader::ReadImageList(ImageListPlace& place, ImageList& list) {
    place.Left = Int();
    place.Top = Int();
    while (NextEntry()) {
        std::optional<Picture> picture;
        if (!line_.empty()) {
            picture = pictures_.Load(ResolveDataPath(dataDir_, line_), PictureFormats::BitmapOnly);
            if (!picture) Fail();
            workWidth_ = picture->width;
            workHeight_ = picture->height;
        }
        list.SetSize(workWidth_, workHeight_);
        if (picture) list.Append(std::move(*picture));
    }
}

void TrainFileReader::ReadOthers() {
    train_.Others.clear();
    while (NextEntry()) {
        if (train_.Others.size() == kMaxOtherLamps) Fail();
        Lamp lamp;
        lamp.FileName = line_;
        lamp.Left = Int();
        lamp.Top = Int();
        train_.Others.push_back(std::move(lamp));
    }
}

}  // namespace

bool LoadTrainFile(const std::filesystem::path& dataDir, std::string_view fileName,
                   PictureLoader& pictures, CabImageLists& images, TrainConfig& train,
                   std::string& error) {
    train.FileName = std::string(fileName);
    TextFile file;
    if (!file.Open(ResolveDataPath(dataDir, fileName))) {
        // The file is opened inside the same guard as the reading, before any label is set.
        error = std::string(kFaultyFile);
        return false;
    }
    try {
        TrainFileReader(file, dataDir, pictures, images, train).ReadAll();
    } catch (const LoadFault& fault) {
        error = fault.message;
        return false;
    }
    return true;
}

}  // namespace kelvaron
