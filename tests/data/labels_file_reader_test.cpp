#include "data/labels_file_reader.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvaron {
namespace {

struct LabelsRead {
    bool ok = false;
    std::string error;
    Labels labels;
    MenuCaptions captions;
};

LabelsRead Read(std::string_view utf8, bool write = true) {
    auto dir = test::MakeTempDir();
    if (write) test::WriteCp932File(dir / "kelvaron.dat", utf8);
    LabelsRead r;
    r.ok = ReadLabelsFile(dir, r.labels, r.captions, &r.error);
    return r;
}

TEST(LabelsFile, KeysTakeTheNextLineAnywhereInTheFile) {
    auto r =
        Read("# 表示文字列\n[Neut2]\n切\n\n[Neut]\nN\n[Hold2]\n抑速\n[EB]\n非常\n[EB]\n非常2\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.labels.Neut2, "切");  // "[Neut2]" is not taken for "[Neut]"
    EXPECT_EQ(r.labels.Neut, "N");
    EXPECT_EQ(r.labels.Hold2, "抑速");
    EXPECT_EQ(r.labels.Hold, "");
    EXPECT_EQ(r.labels.EB, "非常2");  // the last value wins
    EXPECT_FALSE(r.captions.start1);

    r = Read("[Start]\n運転開始(&S)\n");  // only a Start caption: every label empty
    EXPECT_EQ(r.captions.start1, "運転開始(&S)");
    EXPECT_FALSE(r.captions.GoTo1 || r.captions.Show1 || r.captions.Controller1);
    EXPECT_EQ(r.labels.Forward, "");
}

TEST(LabelsFile, ValuesCutShortByTheEndOfTheFile) {
    auto r = Read("[Control]\n操作(&C)\n[Display]\n表示\n説明");
    EXPECT_EQ(r.captions.Controller1, "操作(&C)");
    EXPECT_EQ(r.captions.menu_d1, "説明");
    EXPECT_EQ(r.captions.menu_d2, "");  // present but empty
    EXPECT_EQ(Read("[Move]").captions.GoTo1, "");
}

TEST(LabelsFile, AValueLineCanStartALaterKey) {
    // The [Path] value begins with "[Forward]", so it also starts that key; a
    // value beginning with an earlier key ([Path]) is not tested again.
    auto r = Read("[Path]\n[Forward]\nFWD\n[Reverse]\n[Path]x\n");
    EXPECT_EQ(r.labels.Path, "[Forward]");
    EXPECT_EQ(r.labels.Forward, "FWD");
    EXPECT_EQ(r.labels.Reverse, "[Path]x");
}

TEST(LabelsFile, MissingFileIsTheLabelsError) {
    auto r = Read("", false);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "stringファイルに誤りがありますkelvaron.dat: No such file or directory");
}

}  // namespace
}  // namespace kelvaron
