#include "data/controller_file_reader.h"

#include <gtest/gtest.h>

#include "platform/headless/memory_settings_store.h"
#include "test_support.h"

namespace kelvaron {
namespace {

bool Read(std::string_view text, MasconCodes& codes, std::string* error = nullptr) {
    auto dir = test::MakeTempDir();
    test::WriteFile(dir / "mascon.dat", text);
    return ReadMasconFile(dir, codes, error);
}

TEST(MasconFile, LinesUpToTheFirstCommentAreStoredVerbatim) {
    MasconCodes codes;
    codes[4] = "old";
    ASSERT_TRUE(Read(" P1 \r\n\nP3\n#end\nP5\n", codes));
    EXPECT_EQ(codes[0], " P1 ");  // no trimming
    EXPECT_EQ(codes[1], "");      // an empty line is an empty entry
    EXPECT_EQ(codes[2], "P3");
    EXPECT_EQ(codes[3], "");
    EXPECT_EQ(codes[4], "old");  // entries the file does not reach keep their contents

    MasconCodes untouched;
    untouched[0] = "keep";
    ASSERT_TRUE(Read("#only a comment\nP1\n", untouched));
    EXPECT_EQ(untouched[0], "keep");
}

TEST(MasconFile, MoreLinesThanTheTableHoldsAreIgnored) {
    std::string text;
    for (int i = 0; i < 30; ++i) text += "C" + std::to_string(i) + "\n";
    MasconCodes codes;
    ASSERT_TRUE(Read(text, codes));
    EXPECT_EQ(codes[0], "C0");
    EXPECT_EQ(codes[25], "C25");
}

TEST(MasconFile, MissingFileNamesTheFileAndTheReason) {
    MasconCodes codes;
    std::string error;
    EXPECT_FALSE(ReadMasconFile(test::MakeTempDir(), codes, &error));
    EXPECT_EQ(error, "mascon.dat: No such file or directory");
}

TEST(PsCodes, TheFirstMissingValueEndsTheReading) {
    MemorySettingsStore store;
    store.values = {{"P0", 10}, {"P1", 11}, {"P2", 12}, {"B0", 20}, {"EB", 99}};
    PsCodes codes{};
    codes[kPsPower0 + 3] = 7;  // left from an earlier run
    ReadPsCodes(store, codes);
    EXPECT_EQ(codes[0], 10);
    EXPECT_EQ(codes[2], 12);
    EXPECT_EQ(codes[3], 7);
    EXPECT_EQ(codes[kPsBrake0], 0);  // present, but read only after the gap
    EXPECT_EQ(codes[kPsEmergency], 0);
    // The gap is filled with the code in use; what the player wrote stays.
    EXPECT_EQ(store.values.at("P3"), 7);
    EXPECT_EQ(store.values.at("B1"), 0);
    EXPECT_EQ(store.values.at("B0"), 20);
    EXPECT_EQ(store.values.at("EB"), 99);

    store.keyExists = false;
    store.values["P0"] = 1;
    ReadPsCodes(store, codes);
    EXPECT_EQ(codes[0], 10);
}

}  // namespace
}  // namespace kelvaron
