#include "shell/menu_model.h"

#include <array>

namespace kelvaron {

namespace {

MenuItem Item(std::string name, std::string caption) {
    MenuItem item;
    item.name = std::move(name);
    item.caption = std::move(caption);
    return item;
}

// Depth first, for both the mutable and the read-only menu.
template <class Items>
auto FindIn(Items& items, std::string_view name) -> decltype(items.data()) {
    for (auto& item : items) {
        if (item.name == name) return &item;
        if (auto* inner = FindIn(item.items, name)) return inner;
    }
    return nullptr;
}

struct ControllerItem {
    std::string_view name;
    int32_t kind;
};
constexpr std::array<ControllerItem, 4> kControllerItems{
    {{"COM11", 0}, {"COM21", 1}, {"COM31", 2}, {"COM41", 3}}};

}  // namespace

MenuModel::MenuModel() {
    MenuItem show = Item("Show1", "Display");
    show.items = {Item("menu_d1", "操作説明(&H)"),
                  Item("menu_d2", "再描画(&R)"),
                  Item("D1", "解説モード(&D)"),
                  Item("S1", "音声初期化(&S)"),
                  Item(std::string(kFullScreenItem), "全画面表示(&F)\tF11"),
                  Item(std::string(kReviewItem), "走行の振り返り(&V)")};
    show.items[2].enabled = false;

    MenuItem controller = Item("Controller1", "Controller(&C)");
    controller.items = {Item("COM11", "標準/TSマスコン(&N)"),
                        Item("COM21", "Windows用電車でGO! コントローラ(&U)"),
                        Item("COM31", "PS用電車でGO! コントローラ(&M)"),
                        Item("COM41", "ゲームコントローラ(&G)"),
                        Item("debug1", "デバッグオプション(&D)"),
                        Item("PadWindow1", "コントローラの設定(&K)..."),
                        Item("auto1", "自動運転"),
                        Item("play1", "再生"),
                        Item("N1", "-"),
                        Item("TS1", "TSマスコン(設定）"),
                        Item("TS2", "TSマスコン（接続）")};
    controller.items[0].checked = true;

    bar_ = {Item("start1", "Start"), Item("GoTo1", "Move"), std::move(show), std::move(controller)};
}

MenuItem* MenuModel::Find(std::string_view name) {
    return FindIn(bar_, name);
}

const MenuItem* MenuModel::Find(std::string_view name) const {
    return FindIn(bar_, name);
}

void MenuModel::ApplyCaptions(const MenuCaptions& captions) {
    const std::array<std::pair<const char*, const std::optional<std::string>*>, 6> map{{
        {"start1", &captions.start1},
        {"GoTo1", &captions.GoTo1},
        {"Show1", &captions.Show1},
        {"menu_d1", &captions.menu_d1},
        {"menu_d2", &captions.menu_d2},
        {"Controller1", &captions.Controller1},
    }};
    for (const auto& [name, caption] : map) {
        if (*caption) Find(name)->caption = **caption;
    }
}

bool MenuModel::ChooseController(std::string_view item, RunState& state) {
    const ControllerItem* chosen = nullptr;
    for (const auto& c : kControllerItems) {
        if (c.name == item) chosen = &c;
    }
    if (!chosen) return false;
    for (const auto& c : kControllerItems) Find(c.name)->checked = &c == chosen;
    state.ControllerKind = chosen->kind;
    return true;
}

void MenuModel::ToggleDebug(const std::string& lineName) {
    MenuItem& debug = *Find("debug1");
    debug.checked = !debug.checked;
    if (!debug.checked) WindowCaption = lineName;
}

bool MenuModel::Debug() const {
    return Find("debug1")->checked;
}

bool MenuModel::CommentaryMode() const {
    for (const MenuItem& menu : bar_) {
        if (menu.name != "Show1") continue;
        const MenuItem* item = FindIn(menu.items, "D1");
        return item && item->checked;
    }
    return false;
}

}  // namespace kelvaron
