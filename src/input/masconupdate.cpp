#include "input/masconupdate.h"

#include "common/common_util.h"

namespace kelvaron {

std::string GearText(int32_t gear) {
    // Direct gears past the fourth only exist on trains with long gear lists;
    // they keep the same naming rather than leaving a stale label.
    if (gear <= 0) return "変";
    return "直" + ToDecimal(gear);
}

namespace {

void WriteLabels(RunContext& run) {
    const RunState& s = run.state;
    const TrainConfig& t = run.train;
    const Labels& text = run.labels;
    PanelModel& panel = run.panel;

    // Later writes win: the order below decides which text a position shows.
    if (s.BrakeNotch == -t.Brake) panel.SetText("BrakeLabel", text.EB);
    if (s.PowerNotch == 0) panel.SetText("PowerLabel", text.Neut2);
    if (s.BrakeNotch == 0) panel.SetText("BrakeLabel", text.Neut);
    if (s.PowerNotch > 0 && s.PowerNotch <= t.Power) {
        panel.SetText("PowerLabel", "P" + ToDecimal(s.PowerNotch));
    }
    if (t.BrakeType >= 1 && s.BrakeNotch > -t.Brake && s.BrakeNotch < 0 && !s.HoldPosition) {
        panel.SetText("BrakeLabel", "B" + ToDecimal(-static_cast<int64_t>(s.BrakeNotch)));
    }
    if (s.HoldPosition) panel.SetText("BrakeLabel", text.Hold2);
    if (t.BrakeType == 0) {
        if (s.BrakeNotch == -3) panel.SetText("BrakeLabel", text.Apply);
        if (s.BrakeNotch == -2) panel.SetText("BrakeLabel", text.Hold);
        if (s.BrakeNotch == -1) panel.SetText("BrakeLabel", text.Maintain);
    }
    if (s.Reverser == 1) panel.SetText("Label1", text.Forward);
    if (s.Reverser == -1) panel.SetText("Label1", text.Reverse);
    if (s.Reverser == 0) panel.SetText("Label1", text.Neutral);
}

void DrawNotches(RunContext& run, int32_t powerImage, int32_t brakeImage) {
    // ImageList::Get gives null for an index outside the list: nothing is drawn.
    run.panel.SetPicture("Lamp_P", run.images.NotchImageP.Get(powerImage));
    run.panel.SetPicture("Lamp_B", run.images.NotchImageB.Get(brakeImage));
}

void DrawNotchImages(RunContext& run) {
    const RunState& s = run.state;
    const ImageList& brakeList = run.images.NotchImageB;
    if (!s.ForcedEB && !s.SpeedCheckEB) {
        // With a hold position, image 1 is the hold position and brake step k
        // is image k + 1.
        int32_t brakeImage = -1;
        if (run.train.Hold == 0) {
            brakeImage = -s.BrakeNotch;
        } else if (run.train.Hold == 1 && !s.HoldPosition) {
            brakeImage = s.BrakeNotch == 0 ? 0 : 1 - s.BrakeNotch;
        }
        if (s.HoldPosition) brakeImage = 1;
        DrawNotches(run, s.PowerNotch, brakeImage);
    }
    if (s.ForcedEB) DrawNotches(run, 0, brakeList.Count() - 1);
    if (s.SpeedCheckEB) DrawNotches(run, 0, brakeList.Count() - 2);
}

}  // namespace

void masconupdate(RunContext& run) {
    WriteLabels(run);
    DrawNotchImages(run);
    run.panel.SetText("GearLabel", GearText(run.state.Gear));
    run.state.VigilanceTimer = 0;
}

}  // namespace kelvaron
