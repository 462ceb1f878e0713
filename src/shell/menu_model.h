#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/labels_file_reader.h"
#include "sim/run_state.h"

namespace kelvaron {

// One menu entry of the run window, found by its component name; a submenu
// holds its entries in display order.
struct MenuItem {
    std::string name;
    std::string caption;
    bool checked = false;
    bool enabled = true;
    std::vector<MenuItem> items;

    bool operator==(const MenuItem&) const = default;
};

// The Display item that switches the desktop's run window to full screen and
// back; checked while it is.
inline constexpr std::string_view kFullScreenItem = "FullScreen1";
// The Display item that opens the review of the run so far.
inline constexpr std::string_view kReviewItem = "Review1";

// The run window's menu bar as a model: captions, check marks and enabled
// state. The window shows it; commands change it here.
class MenuModel {
  public:
    MenuModel();

    const std::vector<MenuItem>& Bar() const { return bar_; }
    MenuItem* Find(std::string_view name);
    const MenuItem* Find(std::string_view name) const;

    // Captions from the labels and paths file replace the designed ones.
    void ApplyCaptions(const MenuCaptions& captions);

    // COM11, COM21 or COM31: selects the controller and checks only that
    // item. False (and nothing changes) for any other name.
    bool ChooseController(std::string_view item, RunState& state);

    // debug1: toggles the controller debug display; switched off, the window
    // caption returns to the line name.
    void ToggleDebug(const std::string& lineName);
    bool Debug() const;

    // D1, the Display menu's commentary mode, asked at every refresh: looked
    // up within its own menu rather than past every station of Move.
    bool CommentaryMode() const;

    // The run window's caption (the joystick debug display writes here).
    std::string WindowCaption = "Kelvaron";

  private:
    std::vector<MenuItem> bar_;
};

}  // namespace kelvaron
