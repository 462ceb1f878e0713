#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/menu_model.h"

class QAction;
class QMenu;
class QMenuBar;
class QObject;

namespace kelvaron {

// Shows a menu model in a Qt menu bar and reports clicks by component name.
// The bar is rebuilt only when the model's items change; captions, check
// marks and enabled states are brought up to date when they change.
class MenuBarView {
  public:
    MenuBarView(QMenuBar& bar, std::function<void(const std::string&)> onClick)
        : bar_(bar), onClick_(std::move(onClick)) {}

    void Sync(const MenuModel& model);

    // The action of a component, null when the bar has none.
    QAction* Action(const std::string& name) const;

    // A menu of the bar has closed, chosen or cancelled.
    std::function<void()> onMenuClosed;

  private:
    void Build(const MenuModel& model);
    void AddItems(QMenu& menu, const std::vector<MenuItem>& items);
    void WatchClosing(QMenu& menu);
    QAction* AddLeaf(const MenuItem& item, QMenu* menu);
    void Update(const std::vector<MenuItem>& items);

    QMenuBar& bar_;
    std::function<void(const std::string&)> onClick_;
    std::vector<std::string> layout_;
    std::vector<MenuItem> shown_;  // the model as last shown
    std::map<std::string, QAction*, std::less<>> actions_;
    std::vector<QObject*> owned_;  // top-level menus and actions of the bar
};

}  // namespace kelvaron
