#include "common/common_util.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

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

// Every power of two up to 2^61 and its odd neighbour, both signs: n + 1/2 goes
// to whichever of n and n + 1 is even, and one unit of the 64-bit mantissa
// either side of the half goes to the nearer of the two. That covers the
// largest Fixed4 values (forces of 10^9 N stored x 10^4) and far beyond.
TEST(Round, TiesToEvenAndNearestAcrossTheFixed4Range) {
    for (int k = 1; k <= 61; ++k) {
        for (int64_t n : {int64_t{1} << k, (int64_t{1} << k) + 1}) {
            for (int64_t sign : {1, -1}) {
                const long double half = static_cast<long double>(sign * n) + sign * 0.5L;
                const int64_t even = n % 2 == 0 ? n : n + 1;
                EXPECT_EQ(Round(half), sign * even) << sign * n << " + 1/2";
                EXPECT_EQ(Round(std::nextafter(half, 0.0L)), sign * n) << sign * n;
                EXPECT_EQ(Round(std::nextafter(half, sign * 1e30L)), sign * (n + 1)) << sign * n;
            }
        }
    }
    EXPECT_EQ(Round(1e30L), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Round(-1e30L), std::numeric_limits<int64_t>::min());
    int32_t small = 7;
    EXPECT_TRUE(Round32(-2147483648.4L, small));
    EXPECT_EQ(small, std::numeric_limits<int32_t>::min());
    EXPECT_FALSE(Round32(2147483647.5L, small));  // the tie goes to 2^31, which does not fit
    EXPECT_FALSE(Round32(std::numeric_limits<long double>::infinity(), small));
}

// The store rounds in the processor's current mode. Under any other mode than
// to-nearest 2.4 or 2.6 would store wrongly, so the whole run would drift.
TEST(Round, TheRoundingModeIsToNearest) {
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_EQ(Round(2.4L), 2);
    EXPECT_EQ(Round(2.6L), 3);
    EXPECT_EQ(Round(-2.4L), -2);
    EXPECT_EQ(Round(-2.6L), -3);
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
    EXPECT_EQ(Polar(25, 20, pi / 2).x, 45);
    EXPECT_EQ(Polar(25, 20, pi / 2).y, 25);
    EXPECT_EQ(Polar(25, 20, 0).x, 25);
    EXPECT_EQ(Polar(25, 20, 0).y, 5);
    // The point comes from one sine-and-cosine call; the hands must stay
    // exactly where the separate sine and cosine put them, at every angle a
    // hand takes within two days.
    for (int32_t tenths = 0; tenths <= 2 * 24 * 360 * 10; ++tenths) {
        const long double theta = tenths * 0.1L * (pi / 180);
        long double sine = 0, cosine = 0;
        sincosl(theta, &sine, &cosine);
        ASSERT_EQ(sine, std::sin(theta)) << tenths;
        ASSERT_EQ(cosine, std::cos(theta)) << tenths;
    }
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
    EXPECT_EQ(ResolveDataPath(dir, "Sound\\Horn.WAV").path, dir / "Sound" / "Horn.WAV");
    EXPECT_EQ(ResolveDataPath(dir, "sound\\horn.wav").path, dir / "Sound" / "Horn.WAV");
    EXPECT_EQ(ResolveDataPath(dir, "sound\\missing.wav").path, dir / "sound" / "missing.wav");
}

}  // namespace
}  // namespace kelvaron
