#include "gui/menu_bar_view.h"

#include <QtGui/QAction>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>

namespace kelvaron {

namespace {

QString Text(const std::string& caption) {
    return QString::fromStdString(caption);
}

// Names in depth-first order, with a marker where a submenu closes: two
// models with the same layout have menus of the same shape.
void Layout(const std::vector<MenuItem>& items, std::vector<std::string>& out) {
    for (const MenuItem& item : items) {
        out.push_back(item.name);
        if (!item.items.empty()) {
            Layout(item.items, out);
            out.emplace_back();
        }
    }
}

}  // namespace

void MenuBarView::Sync(const MenuModel& model) {
    // Most refreshes change nothing in the menus.
    if (model.Bar() == shown_) return;
    std::vector<std::string> layout;
    Layout(model.Bar(), layout);
    if (layout != layout_) {
        layout_ = std::move(layout);
        Build(model);
    }
    Update(model.Bar());
    shown_ = model.Bar();
}

QAction* MenuBarView::Action(const std::string& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void MenuBarView::Build(const MenuModel& model) {
    // The old menus may be showing the click that led here: they go once it is over.
    bar_.clear();
    for (QObject* object : owned_) object->deleteLater();
    owned_.clear();
    actions_.clear();
    for (const MenuItem& item : model.Bar()) {
        if (item.items.empty()) {
            QAction* action = AddLeaf(item, nullptr);
            owned_.push_back(action);
            bar_.addAction(action);
            continue;
        }
        QMenu* menu = bar_.addMenu(Text(item.caption));
        WatchClosing(*menu);
        owned_.push_back(menu);
        actions_[item.name] = menu->menuAction();
        AddItems(*menu, item.items);
    }
}

void MenuBarView::AddItems(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (!item.items.empty()) {
            QMenu* sub = menu.addMenu(Text(item.caption));
            WatchClosing(*sub);
            actions_[item.name] = sub->menuAction();
            AddItems(*sub, item.items);
        } else if (item.caption == "-") {
            actions_[item.name] = menu.addSeparator();
        } else {
            menu.addAction(AddLeaf(item, &menu));
        }
    }
}

void MenuBarView::WatchClosing(QMenu& menu) {
    QObject::connect(&menu, &QMenu::aboutToHide, [this] {
        if (onMenuClosed) onMenuClosed();
    });
}

QAction* MenuBarView::AddLeaf(const MenuItem& item, QMenu* menu) {
    QObject* owner = menu ? static_cast<QObject*>(menu) : static_cast<QObject*>(&bar_);
    auto* action = new QAction(Text(item.caption), owner);
    const std::string name = item.name;
    QObject::connect(action, &QAction::triggered, [this, name] {
        // Qt has turned the item's check mark over by itself: the model says
        // whether it stays so at the next Sync.
        shown_.clear();
        onClick_(name);
    });
    actions_[name] = action;
    return action;
}

void MenuBarView::Update(const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (QAction* action = Action(item.name); action && !action->isSeparator()) {
            action->setText(Text(item.caption));
            // Only a checked item shows a check mark; the others show none.
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            action->setEnabled(item.enabled);
        }
        Update(item.items);
    }
}

}  // namespace kelvaron
