#pragma once

#include <string>

#include "test_run.h"

namespace kelvaron::test {

// One run whose panel holds hidden controls of the given names.
struct CabFixture : TestRun {
    explicit CabFixture(std::initializer_list<const char*> controls) {
        train.Brake = 8;
        for (const char* name : controls) AddControl(name);
    }
    // Controls of the cab start hidden here.
    PanelControl& AddControl(const std::string& name) { return TestRun::AddControl(name, false); }
    // `count` one-pixel pictures whose pixel is their index.
    static void FillList(ImageList& list, int count) {
        for (int i = 0; i < count; ++i) list.Append(Picture{1, 1, {static_cast<uint32_t>(i)}});
    }
    // Index of the picture a control shows, -1 for none.
    int64_t Shown(const std::string& name) const {
        const auto* c = panel.FindByName(name);
        return c && c->picture ? int64_t{c->picture->pixels[0]} : -1;
    }
    bool Visible(const std::string& name) const { return panel.IsVisible(name); }
};

}  // namespace kelvaron::test
