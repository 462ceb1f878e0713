#include "shell/line_folders.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_support.h"

namespace kelvaron {
namespace {

std::filesystem::path MakeLine(const std::filesystem::path& folder, const char* labels) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / labels) << "[LineName]\nx\n";
    return folder;
}

// XDG data folders as the desktop lists them: the user's, then the system's.
struct DataFolders : ::testing::Test {
    std::filesystem::path root = test::MakeTempDir();
    std::filesystem::path user = root / "home-share";
    std::filesystem::path system = root / "usr-share";
    std::vector<std::filesystem::path> folders{user, system};
};

TEST_F(DataFolders, TheInstalledDemoIsFoundWhenTheUserHasNoLineOfTheirOwn) {
    EXPECT_EQ(DefaultLineFolder(RecentFolders(), folders), ".");
    const auto demo = MakeLine(system / "kelvaron" / "demo", "kelvaron.dat");
    EXPECT_EQ(DefaultLineFolder(RecentFolders(), folders), demo);

    // The user's own data folder comes first; of its lines the first by name,
    // and a labels file written in capitals counts.
    std::filesystem::create_directories(user / "kelvaron" / "0-empty");
    MakeLine(user / "kelvaron" / "b-line", "kelvaron.dat");
    const auto a = MakeLine(user / "kelvaron" / "a-line", "KELVARON.DAT");
    EXPECT_EQ(DefaultLineFolder(RecentFolders(), folders), a);
}

TEST_F(DataFolders, TheLastFolderUsedWinsWhileItStillHoldsALine) {
    MakeLine(system / "kelvaron" / "demo", "kelvaron.dat");
    const auto mine = MakeLine(root / "mine", "kelvaron.dat");
    const auto gone = MakeLine(root / "gone", "kelvaron.dat");
    RecentFolders recent;
    recent.Use(mine);
    recent.Use(gone);
    recent.Use(root / "mine" / ".");  // the same folder written another way moves up
    ASSERT_EQ(recent.Stored().size(), 2u);
    EXPECT_EQ(recent.Stored()[0], FolderKey(mine));
    EXPECT_EQ(DefaultLineFolder(recent, folders), FolderKey(mine));

    std::filesystem::remove_all(mine);
    EXPECT_EQ(DefaultLineFolder(recent, folders), FolderKey(gone));
    // The list is kept short.
    for (int i = 0; i < 20; ++i) recent.Use(root / std::to_string(i));
    EXPECT_EQ(recent.Stored().size(), RecentFolders::kMax);
    EXPECT_EQ(recent.Stored()[0], FolderKey(root / "19"));
}

}  // namespace
}  // namespace kelvaron
