#include "app/train_summary.h"

#include <algorithm>
#include <string>

namespace kelvaron {

namespace {

// A Fixed4 value with the decimals it needs: 355000 reads "35.5".
std::string Decimal(Fixed4 value) {
    const bool negative = value < 0;
    const uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string text = std::to_string(magnitude / kFixed4Scale);
    std::string fraction = std::to_string(magnitude % kFixed4Scale);
    fraction.insert(0, 4 - fraction.size(), '0');
    fraction.erase(fraction.find_last_not_of('0') + 1);
    if (!fraction.empty()) text += '.' + fraction;
    return negative ? '-' + text : text;
}

std::string ListSize(const ImageList& list) {
    return std::to_string(list.Count()) + " (" + std::to_string(list.Width()) + "x" +
           std::to_string(list.Height()) + ")";
}

}  // namespace

void PrintTrainSummary(const TrainConfig& train, const CabImageLists& images, std::ostream& out) {
    out << train.FileName << ": ";
    if (train.Engine_Type != 0) {
        out << "electric train, " << train.Notch.size() << " power notches";
    } else {
        out << "diesel train, " << train.Engine.size() << " gears ("
            << (train.ManualGears() ? "manual" : "automatic") << ")";
    }
    out << ", " << (train.Handle == 1 ? "two handles" : "one combined handle") << "\n";

    out << "  brake: type " << train.BrakeType << ", " << train.Brake << " positions (EB last)"
        << (train.Hold == 1 ? ", hold position" : "") << "; EB " << train.EBPress << " kPa at "
        << Decimal(train.BrakeRate) << " km/h/s\n";
    out << "  mass: " << Decimal(train.Tons) << " t, " << Decimal(train.Mt) << " t motored, "
        << train.Cars << " cars; top speed " << train.MaxSpeed << " km/h\n";
    out << "  handle delays (ticks): power " << train.PowerDelay << ", brake " << train.BrakeDelay
        << ", straight-air pipe " << train.SAPDelay << "\n";
    out << "  sounds: " << train.DriveSound.size() << " drive, " << train.MotorSound.size()
        << " motor\n";

    auto lamps = std::count_if(train.Lamps.begin(), train.Lamps.end(),
                               [](const Lamp& l) { return !l.FileName.empty(); });
    auto needles = std::count_if(train.Needles.begin(), train.Needles.end(),
                                 [](const Meter& m) { return !m.FileName.empty(); });
    out << "  panel: " << lamps << " of " << kLampCount << " lamps, " << needles << " of "
        << kNeedleCount << " needles, " << train.Others.size() << " other pictures\n";
    out << "  pictures: power notches " << ListSize(images.NotchImageP) << ", brake notches "
        << ListSize(images.NotchImageB) << ", gears " << ListSize(images.GearImageList) << "\n";
}

}  // namespace kelvaron
