#include "shell/menu_model.h"

#include <gtest/gtest.h>

namespace kelvaron {
namespace {

TEST(MenuModel, DesignedCaptionsAndLabelsFileCaptions) {
    MenuModel menu;
    EXPECT_EQ(menu.Find("start1")->caption, "Start");
    EXPECT_EQ(menu.Find("COM21")->caption, "Windows用電車でGO! コントローラ(&U)");
    EXPECT_EQ(menu.Find("TS1")->caption, "TSマスコン(設定）");
    EXPECT_FALSE(menu.Find("D1")->enabled);
    EXPECT_FALSE(menu.CommentaryMode());
    menu.Find("D1")->checked = true;
    EXPECT_TRUE(menu.CommentaryMode());
    menu.Find("D1")->checked = false;
    EXPECT_TRUE(menu.Find("COM11")->checked);
    EXPECT_EQ(menu.Find("Sta0"), nullptr);

    MenuCaptions captions;
    captions.Show1 = "表示";
    captions.menu_d2 = "";  // present in the file, though empty
    menu.ApplyCaptions(captions);
    EXPECT_EQ(menu.Find("Show1")->caption, "表示");
    EXPECT_EQ(menu.Find("menu_d1")->caption, "操作説明(&H)");
    EXPECT_EQ(menu.Find("menu_d2")->caption, "");
    EXPECT_EQ(menu.Find("Controller1")->caption, "Controller(&C)");
}

TEST(MenuModel, ControllerChoiceAndDebugOption) {
    MenuModel menu;
    RunState state;
    EXPECT_TRUE(menu.ChooseController("COM31", state));
    EXPECT_EQ(state.ControllerKind, 2);
    EXPECT_FALSE(menu.Find("COM11")->checked);
    EXPECT_TRUE(menu.Find("COM31")->checked);
    EXPECT_FALSE(menu.ChooseController("debug1", state));
    EXPECT_TRUE(menu.Find("COM31")->checked);
    EXPECT_TRUE(menu.ChooseController("COM21", state));
    EXPECT_EQ(state.ControllerKind, 1);
    EXPECT_FALSE(menu.Find("COM31")->checked);

    menu.ToggleDebug("Local line");
    EXPECT_TRUE(menu.Debug());
    menu.WindowCaption = "X:0 Y:0";
    menu.ToggleDebug("Local line");
    EXPECT_FALSE(menu.Debug());
    EXPECT_EQ(menu.WindowCaption, "Local line");
}

}  // namespace
}  // namespace kelvaron
