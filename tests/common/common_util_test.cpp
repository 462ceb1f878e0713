#include "common/common_util.h"

#include <gtest/gtest.h>

#include "common/data_path.h"
#include "common/text_decoding.h"
#include "common/text_file.h"
#include "test_support.h"

namespace kelvaron {
namespace {

TEST(Round, TiesGoToEven) {
    // 0.5 and 2.5 fall to the even neighbour, 1.5 rises to 2.
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(-3.5L), -4);
    EXPECT_EQ(Round(std::nanl("")), 0);
}

TEST(GetField, FieldsBetweenCommasAndTheRestOfTheLine) {
    EXPECT_EQ(GetField("a,b,c", 1), "a");
    EXPECT_EQ(GetField("a,b,c", 3), "c");
    EXPECT_EQ(GetField("a, b ,c,d", 2), " b ");  // fields are not trimmed
    EXPECT_EQ(GetField("a,b", 3), "");           // beyond the last: does not convert
    EXPECT_FALSE(ParseInt(GetField("1,2", 5)).has_value());
}

TEST(ParseNumbers, StrictDecimalForms) {
    EXPECT_EQ(ParseInt("  -42"), -42);
    EXPECT_EQ(ParseInt("+7"), 7);
    EXPECT_FALSE(ParseInt("4 2"));
    EXPECT_FALSE(ParseInt("42 "));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("2147483648"));
    EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseFixed4("35.5"), 355000);
    EXPECT_EQ(ParseFixed4("0.0001"), 1);
    EXPECT_FALSE(ParseFixed4("35,5"));  // comma is no decimal separator
    EXPECT_FALSE(ParseFixed4("."));
}

TEST(ClampNotch, BoundsBothSides) {
    EXPECT_EQ(ClampNotch(99, 5, 8), 5);
    EXPECT_EQ(ClampNotch(-12, 5, 9), -9);
    EXPECT_EQ(ClampNotch(-3, 5, 9), -3);
    EXPECT_EQ(ClampNotch(0, 5, 9), 0);
}

TEST(Polar, ClockHandEndPoints) {
    // A hand of length 20 at 90 degrees points right; at 0 it points up.
    const long double pi = 3.14159265358979323846L;
    EXPECT_EQ(PolarX(25, 20, pi / 2), 45);
    EXPECT_EQ(PolarY(25, 20, pi / 2), 25);
    EXPECT_EQ(PolarX(25, 20, 0), 25);
    EXPECT_EQ(PolarY(25, 20, 0), 5);
}

TEST(TextFile, ShiftJisAndUtf8FilesDecodeToTheSameLines) {
    auto dir = test::MakeTempDir();
    test::WriteCp932File(dir / "sjis.dat", "[Station]\r\n東京,0\r\n#\r\n");
    test::WriteFile(dir / "utf8.dat", "[Station]\n東京,0\n#");
    for (const char* name : {"sjis.dat", "utf8.dat"}) {
        TextFile file;
        ASSERT_TRUE(file.Open(dir / name));
        EXPECT_EQ(file.ReadLine(), "[Station]");
        EXPECT_EQ(file.ReadLine(), "東京,0");
        EXPECT_EQ(file.ReadLine(), "#");
        EXPECT_TRUE(file.Eof());
        EXPECT_EQ(file.ReadLine(), "");  // past the end: empty lines
        EXPECT_EQ(file.ReadsPastEnd(), 1);
    }
}

TEST(TextFile, MissingFileReportsTheSystemReason) {
    TextFile file;
    std::string error;
    EXPECT_FALSE(file.Open("/nonexistent/kelvaron.dat", &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(file.Open(test::MakeTempDir(), &error));  // a folder is no file
    EXPECT_FALSE(error.empty());
}

TEST(DataPath, BackslashesAndCaseInsensitiveFallback) {
    auto dir = test::MakeTempDir();
    test::WriteFile(dir / "Sound" / "Horn.WAV", "x");
    EXPECT_EQ(ResolveDataPath(dir, "Sound\\Horn.WAV"), dir / "Sound" / "Horn.WAV");
    EXPECT_EQ(ResolveDataPath(dir, "sound\\horn.wav"), dir / "Sound" / "Horn.WAV");
    EXPECT_EQ(ResolveDataPath(dir, "sound\\missing.wav"), dir / "sound" / "missing.wav");
}

}  // namespace
}  // namespace kelvaron
