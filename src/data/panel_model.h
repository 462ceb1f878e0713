#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/picture.h"
#include "data/panel_names.h"

namespace kelvaron {

// One control of the run window: a picture, a label or a rotating needle. The
// run logic changes these; the renderer only draws them.
struct PanelControl {
    enum class Kind { Image, Label, Needle };

    Kind kind = Kind::Image;
    std::string name;  // component name ("Lamp_Door", "Needle_Speed", "Label4"); may be empty
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool autoSize = false;  // the size follows the picture (labels: the text)
    bool visible = true;
    bool transparent = false;                // the picture's bottom-left colour is not drawn
    std::shared_ptr<const Picture> picture;  // null: nothing drawn
    int32_t angle = 0;                       // needles: whole degrees
    std::string text;                        // labels
    bool centred = false;                    // labels: text centred
    uint32_t textColour = 0xFFFFFFFF;        // labels: ARGB
    uint32_t background = 0;                 // labels: ARGB, 0 = none
};

// One straight black line of the clock face, in pixels of the "clock" control.
struct ClockLine {
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The hands of the analog clock, drawn over the "clock" control. Nothing is
// drawn until the first time the face is drawn (and never on a panel whose
// clock is placed at X or Y 0).
struct ClockHands {
    bool drawn = false;
    ClockLine hour, minute, second;
};

// The panel as data: controls in drawing order (later ones are drawn over
// earlier ones). Controls are found by their component name; where two share
// a name, the first added.
class PanelModel {
  public:
    PanelModel() { slots_.fill(kNoControl); }

    // Adds a control at the top of the drawing order and returns it. The
    // returned index stays valid for the life of the model. A control keeps
    // the name it was added with.
    size_t Add(PanelControl control) {
        const size_t slot = PanelName::SlotOf(control.name);
        if (slot < slots_.size() && slots_[slot] == kNoControl) slots_[slot] = controls_.size();
        controls_.push_back(std::move(control));
        return controls_.size() - 1;
    }
    PanelControl* Find(PanelName name) {
        const size_t index = slots_[name.Slot()];
        return index == kNoControl ? nullptr : &controls_[index];
    }
    const PanelControl* Find(PanelName name) const {
        const size_t index = slots_[name.Slot()];
        return index == kNoControl ? nullptr : &controls_[index];
    }
    // Any name, known when the program is compiled or not ("Others" + n).
    const PanelControl* FindByName(std::string_view name) const {
        for (const auto& c : controls_)
            if (c.name == name) return &c;
        return nullptr;
    }
    PanelControl& At(size_t index) { return controls_[index]; }
    const PanelControl& At(size_t index) const { return controls_[index]; }
    const std::vector<PanelControl>& Controls() const { return controls_; }

    // Convenience for run logic: these do nothing when the panel lacks the control.
    void SetVisible(PanelName name, bool visible) {
        if (auto* c = Find(name)) c->visible = visible;
    }
    bool IsVisible(std::string_view name) const {
        const auto* c = FindByName(name);
        return c && c->visible;
    }
    void SetText(PanelName name, std::string text) {
        if (auto* c = Find(name)) c->text = std::move(text);
    }
    std::string Text(std::string_view name) const {
        const auto* c = FindByName(name);
        return c ? c->text : std::string();
    }
    // Draws a picture into a control (null clears it). A control that sizes
    // itself to its picture takes the new picture's size: drawn at the size it
    // had while empty, nothing of the picture would show.
    void SetPicture(PanelName name, std::shared_ptr<const Picture> picture) {
        auto* c = Find(name);
        if (!c) return;
        if (c->autoSize && picture) {
            c->width = picture->width;
            c->height = picture->height;
        }
        c->picture = std::move(picture);
    }

    ClockHands& Clock() { return clock_; }
    const ClockHands& Clock() const { return clock_; }

  private:
    static constexpr size_t kNoControl = static_cast<size_t>(-1);

    std::vector<PanelControl> controls_;
    std::array<size_t, kPanelComponentNames.size()> slots_;  // control index of each name
    ClockHands clock_;
};

}  // namespace kelvaron
