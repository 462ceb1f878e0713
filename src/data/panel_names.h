#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace kelvaron {

// Every component name the cab panel is built with. The run logic changes
// these controls at every refresh, so each name stands for a slot that the
// panel resolves once, when the control is added, instead of comparing names
// at every change.
inline constexpr std::array<std::string_view, 63> kPanelComponentNames{
    // the window's own pictures, read-outs and button
    "unten", "SignalImage", "SlopeImage", "SpeedLimitImage", "stop", "stopline", "OtherImage",
    "Image3", "digi_speed", "Label1", "PowerLabel", "BrakeLabel", "Label3", "Label4", "CarsLabel",
    "GearLabel", "SignalLabel", "SlopeText", "back", "CaptionLabel",
    // from the train file
    "Panel", "Panel2", "clock", "StaffImage", "Lamp_B", "Lamp_P", "Lamp_Gear", "Lamp_stopalert",
    "Lamp_Door", "Lamp_Power", "Lamp_EB", "Lamp_Gen", "Lamp_Air", "Lamp_Ele", "Lamp_Ats",
    "Lamp_Atsp1", "Lamp_Atsp2", "Lamp_G", "Lamp_YG", "Lamp_Y", "Lamp_YY", "Lamp_R", "Lamp_Fwd",
    "Lamp_Bck", "Needle_Speed", "Needle_BC", "Needle_SAP", "Needle_ER", "Needle_BP", "Needle_MR",
    "Needle_V", "Needle_I", "Others0", "Others1", "Others2", "Others3", "Others4", "Others5",
    "Others6", "Others7", "Others8", "Others9", "Others10"};

// A component name checked when the program is compiled: a name that is not
// one of the panel's does not compile.
class PanelName {
  public:
    template <size_t N>
    consteval PanelName(const char (&name)[N]) : slot_(SlotOf(std::string_view(name, N - 1))) {
        if (slot_ == kPanelComponentNames.size()) throw "not a component name of the cab panel";
    }

    constexpr size_t Slot() const { return slot_; }
    constexpr std::string_view Text() const { return kPanelComponentNames[slot_]; }

    // Slot of a name met at run time; kPanelComponentNames.size() for none.
    static constexpr size_t SlotOf(std::string_view name) {
        size_t slot = 0;
        while (slot < kPanelComponentNames.size() && kPanelComponentNames[slot] != name) ++slot;
        return slot;
    }

  private:
    size_t slot_;
};

}  // namespace kelvaron
