#include "data/train_file_reader.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <set>
#include <utility>

#include "common/common_util.h"
#include "common/text_file.h"
#include "data/data_pictures.h"

namespace kelvaron {

namespace {

constexpr std::string_view kFaultyFile = "車両ファイルに誤りがあります";
constexpr std::string_view kPowerNotchMismatch = "Power指定とNotch指定が矛盾しています";
constexpr std::string_view kNotchOnDiesel = "動力が気動車なのにNotch指定があります";
constexpr std::string_view kEngineOnElectric = "動力が電車なのにEngine指定があります";

constexpr std::string_view kBasicLabel = "- 列車の基本設定";
constexpr std::string_view kClockLabel = "- アナログ時計";
constexpr std::string_view kPanelLabel = "- 運転台パネル";

// Far beyond the clock face; long enough for any face a cab may draw.
constexpr int32_t kMaxClockHand = 1000;

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
    std::string OutOfMemoryMessage() const {
        return std::string(kFaultyFile) + std::string(label_) + ": " +
               std::string(kPictureOutOfMemory);
    }

    // Value lines of the current section.
    const std::string& Next() { return line_ = file_.ReadLine(); }
    int32_t Int() { return AsInt(Next()); }
    int32_t IntWithin(int32_t low, int32_t high) {
        int32_t value = Int();
        if (value < low || value > high) Fail();
        return value;
    }
    int32_t IntAtLeast(int32_t low) { return IntWithin(low, INT32_MAX); }
    int32_t PositiveInt() { return IntAtLeast(1); }
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
        AppendPicture(images_.SignImageList, LoadPicture(PictureFormats::BitmapOrJpeg));
    }

    // Remembers that a section was given, for the check of the sections a run needs.
    void Seen(std::string_view header) { seen_.insert(header); }

  private:
    [[noreturn]] void Fail() const {
        throw LoadFault{std::string(kFaultyFile) + std::string(label_)};
    }
    // A file named on the current line that cannot be used: the message names it and says why.
    [[noreturn]] void FailOnFile(std::string_view why) const {
        throw LoadFault{std::string(kFaultyFile) + std::string(label_) + ": " + line_ + ": " +
                        std::string(why)};
    }

    Picture LoadPicture(PictureFormats formats) {
        std::string why;
        auto picture = LoadDataPicture(pictures_, dataDir_, line_, formats, why);
        if (!picture) FailOnFile(why);
        return std::move(*picture);
    }
    void AppendPicture(ImageList& list, Picture picture) {
        if (!list.CanAppend(picture)) FailOnFile(kImageListFull);
        list.Append(std::move(picture));
    }

    int32_t AsInt(const std::string& text) const {
        auto value = ParseInt(text);
        if (!value) Fail();
        return *value;
    }
    double AsDouble(const std::string& text) const {
        if (!ParseDecimal(text)) Fail();
        // Converted straight to double: going through long double could round twice.
        // A number beyond the double range would become infinity.
        const double value = std::strtod(text.c_str(), nullptr);
        if (!std::isfinite(value)) Fail();
        return value;
    }

    // Reads the first line of the next entry of a list section; false at the
    // "#" line that ends the list. A list that runs off the end of the file
    // has lost its end line: the file is faulty rather than read for ever.
    bool NextEntry() {
        Next();
        if (file_.ReadsPastEnd() > 0) Fail();
        return !(line_.starts_with('#'));
    }

    void CheckSectionsARunNeeds() const;
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
    std::set<std::string_view> seen_;
    bool notchSectionSeen_ = false;
    // Size of the picture last loaded for an image list: an empty line of a
    // list section sets the list to this size.
    int32_t workWidth_ = 0, workHeight_ = 0;
};

// The single-value driving sections in the order they are compared.
struct SingleSection {
    std::string_view header;
    void (*read)(TrainFileReader& r, TrainConfig& t);
    // A run cannot be driven without it: the file must give it.
    bool needed = false;
};

constexpr std::array kSingleSections{
    SingleSection{"[Handle]", [](auto& r, auto& t) { t.Handle = r.Int(); }},
    SingleSection{"[BrakeType]", [](auto& r, auto& t) { t.BrakeType = r.Int(); }},
    SingleSection{"[Brake]", [](auto& r, auto& t) { t.Brake = r.Int(); }},
    SingleSection{"[Power]", [](auto& r, auto& t) { t.Power = r.Int(); }},
    SingleSection{"[Hold]", [](auto& r, auto& t) { t.Hold = r.Int(); }},
    // Without a deceleration rate or an EB pressure the train would have no brakes.
    SingleSection{"[BrakeRate]", [](auto& r, auto& t) { t.BrakeRate = r.PositiveFixed(); }, true},
    // A delay below one tick would keep the handle from ever taking effect.
    SingleSection{"[PowerDelay]", [](auto& r, auto& t) { t.PowerDelay = r.IntAtLeast(1); }, true},
    SingleSection{"[BrakeDelay]", [](auto& r, auto& t) { t.BrakeDelay = r.IntAtLeast(1); }, true},
    SingleSection{"[SAPDelay]", [](auto& r, auto& t) { t.SAPDelay = r.IntAtLeast(1); }, true},
    SingleSection{"[BrakeUp]", [](auto& r, auto& t) { t.BrakeUp = r.Int(); }, true},
    SingleSection{"[BrakeDown]", [](auto& r, auto& t) { t.BrakeDown = r.Int(); }, true},
    SingleSection{"[EBPress]", [](auto& r, auto& t) { t.EBPress = r.PositiveInt(); }, true},
    SingleSection{"[SAPPress]", [](auto& r, auto& t) { t.SAPPress = r.Int(); }},
    SingleSection{"[HighAirPress]", [](auto& r, auto& t) { t.HighAirPress = r.Int(); }, true},
    SingleSection{"[LowAirPress]", [](auto& r, auto& t) { t.LowAirPress = r.Int(); }, true},
    SingleSection{"[Curr1]", [](auto& r, auto& t) { t.Curr1 = r.Int(); }},
    SingleSection{"[Curr2]", [](auto& r, auto& t) { t.Curr2 = r.Int(); }},
    SingleSection{"[Engine_Type]", [](auto& r, auto& t) { t.Engine_Type = r.Int(); }},
    SingleSection{"[DoorType]", [](auto& r, auto& t) { t.DoorType = r.Int(); }},
    SingleSection{"[Mt]", [](auto& r, auto& t) { t.Mt = r.Fixed(); }, true},
    SingleSection{"[Tt]", [](auto& r, auto& t) { t.Tt = r.Fixed(); }},
    // The running resistance is worked out per car for at most 20 cars.
    SingleSection{"[Cars]", [](auto& r, auto& t) { t.Cars = r.IntWithin(1, 20); }, true},
    SingleSection{"[StopLine]", [](auto& r, auto&) { r.StopLine(); }},
    // The motion update divides by the train mass.
    SingleSection{"[Tons]", [](auto& r, auto& t) { t.Tons = r.PositiveFixed(); }, true},
    SingleSection{"[EB]", [](auto& r, auto& t) { t.EB = r.Int(); }},
    SingleSection{"[MaxSpeed]", [](auto& r, auto& t) { t.MaxSpeed = r.Int(); }, true},
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
            if (!StartsWith(line_, section.header)) continue;
            section.read(*this, train_);
            Seen(section.header);
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
    CheckSectionsARunNeeds();
}

// An absent section would read as zero and skip the limits its value is
// checked against: an empty file, or one in another encoding, would be a
// train of 0 t that never moves and never brakes.
void TrainFileReader::CheckSectionsARunNeeds() const {
    for (const SingleSection& section : kSingleSections) {
        if (section.needed && !seen_.contains(section.header)) {
            throw LoadFault{std::string(kFaultyFile) + std::string(section.header)};
        }
    }
    if (train_.Engine_Type == 0 && train_.Engine.empty()) {
        throw LoadFault{std::string(kFaultyFile) + "[Engine]"};
    }
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
        // A hand length, drawn on a face of 50 x 50 pixels.
        train_.Clock.R = IntWithin(0, kMaxClockHand);
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
            picture = LoadPicture(PictureFormats::BitmapOnly);
            workWidth_ = picture->width;
            workHeight_ = picture->height;
        }
        list.SetSize(workWidth_, workHeight_);
        if (picture) AppendPicture(list, std::move(*picture));
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
    std::string why;
    if (!file.OpenData(dataDir, fileName, &why)) {
        // No section has been read yet: the file's name is the label.
        error = std::string(kFaultyFile) + std::string(fileName) + ": " + why;
        return false;
    }
    TrainFileReader reader(file, dataDir, pictures, images, train);
    try {
        reader.ReadAll();
    } catch (const LoadFault& fault) {
        error = fault.message;
        return false;
    } catch (const std::bad_alloc&) {
        error = reader.OutOfMemoryMessage();
        return false;
    }
    return true;
}

}  // namespace kelvaron
