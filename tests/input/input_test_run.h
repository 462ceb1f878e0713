#pragma once

#include <string>

#include "test_run.h"

namespace kelvaron::test {

// Sound channels of the test train; announcement k plays on channel 20 + its sound.
enum Channel : int {
    kBr1 = 1,
    kBr2,
    kEB,
    kAts1,
    kAts2,
    kHorn,
    kDoorOpen,
    kDoorClose,
    kEBring,
    kBuzzer1,
    kBuzzer2
};

// A one-lever train with 5 power notches and 8 brake positions (EB -8), no
// hold position, stepped brake; a panel with the handle controls; notch
// pictures that carry their index as their only pixel; a recording mixer.
struct InputTestRun : TestRun {
    InputTestRun() {
        train.BrakeType = 1;
        train.Brake = 8;
        train.Power = 5;
        train.Engine_Type = 1;
        train.Sound_br1 = kBr1;
        train.Sound_br2 = kBr2;
        train.Sound_EB = kEB;
        train.Sound_Ats1 = kAts1;
        train.Sound_Ats2 = kAts2;
        train.Sound_Horn = kHorn;
        train.Sound_DoorOpen = kDoorOpen;
        train.Sound_DoorClose = kDoorClose;
        train.Sound_EBring = kEBring;
        train.Buzzer = {kBuzzer1, kBuzzer2};
        labels.Forward = "FWD";
        labels.Neutral = "NEU";
        labels.Reverse = "REV";
        labels.Neut = "BN";
        labels.Neut2 = "PN";
        labels.Apply = "APPLY";
        labels.Maintain = "MAINT";
        labels.Hold = "LAP";
        labels.Hold2 = "HOLD";
        labels.EB = "EMG";
        for (const char* name : {"PowerLabel", "BrakeLabel", "Label1", "GearLabel", "Lamp_P",
                                 "Lamp_B", "Lamp_Fwd", "Lamp_Bck", "Lamp_EB"}) {
            panel.Add(Named(name));
        }
        FillNotchImages(6, 9);
        train.DriveSound.assign(20, "");
        state.InputLocked = false;
    }

    static PanelControl Named(const char* name) {
        PanelControl c;
        c.name = name;
        return c;
    }
    void FillNotchImages(int power, int brake) {
        images.NotchImageP.Clear();
        images.NotchImageB.Clear();
        for (int i = 0; i < power; ++i) images.NotchImageP.Append(Picture{1, 1, {uint32_t(i)}});
        for (int i = 0; i < brake; ++i) images.NotchImageB.Append(Picture{1, 1, {uint32_t(i)}});
    }
    // Index of the notch picture a control shows, -1 when it shows none.
    int Shown(const char* control) const {
        const auto* c = panel.FindByName(control);
        return c && c->picture ? static_cast<int>(c->picture->pixels[0]) : -1;
    }
    std::string Text(const char* control) const { return panel.Text(control); }
};

}  // namespace kelvaron::test
