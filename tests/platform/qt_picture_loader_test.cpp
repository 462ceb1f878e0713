#include "platform/qt/qt_picture_loader.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "test_support.h"

namespace kelvaron {
namespace {

// A flat-coloured picture saved by Qt in `format` ("jpg", "png" ...).
void WritePicture(const std::filesystem::path& path, const char* format, QRgb colour) {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), format, 95));
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 6) {
            return false;
        }
    }
    return true;
}

class QtPictureLoaderTest : public ::testing::Test {
  protected:
    std::filesystem::path dir = test::MakeTempDir();
    QtPictureLoader loader;
};

TEST_F(QtPictureLoaderTest, BitmapsAndJpegsDecodeToOpaqueArgb) {
    test::WriteBmp(dir / "panel.bmp", 7, 5, 0x123456);
    WritePicture(dir / "title.jpg", "jpg", 0xFF3080C0);

    for (auto formats : {PictureFormats::BitmapOnly, PictureFormats::BitmapOrJpeg}) {
        const auto bmp = loader.Load(dir / "panel.bmp", formats);
        ASSERT_TRUE(bmp.has_value());
        EXPECT_EQ(bmp->width, 7);
        EXPECT_EQ(bmp->height, 5);
        ASSERT_EQ(bmp->pixels.size(), 35u);
        EXPECT_EQ(bmp->At(0, 0), 0xFF123456u);
        EXPECT_EQ(bmp->At(6, 4), 0xFF123456u);
    }
    const auto jpeg = loader.Load(dir / "title.jpg", PictureFormats::BitmapOrJpeg);
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_EQ(jpeg->width, 16);
    EXPECT_EQ(jpeg->height, 8);
    EXPECT_EQ(jpeg->At(8, 4) >> 24, 0xFFu);
    EXPECT_TRUE(Near(jpeg->At(8, 4), 0x3080C0)) << std::hex << jpeg->At(8, 4);
}

TEST_F(QtPictureLoaderTest, FormatIsTakenFromTheContentNotTheName) {
    WritePicture(dir / "needle.bmp", "jpg", 0xFF000000);  // a JPEG named .bmp
    test::WriteBmp(dir / "lamp.jpg", 3, 3, 0xFF0000);     // a bitmap named .jpg
    WritePicture(dir / "sign.png", "png", 0xFFFFFFFF);

    EXPECT_FALSE(loader.Load(dir / "needle.bmp", PictureFormats::BitmapOnly).has_value());
    EXPECT_TRUE(loader.Load(dir / "needle.bmp", PictureFormats::BitmapOrJpeg).has_value());
    EXPECT_TRUE(loader.Load(dir / "lamp.jpg", PictureFormats::BitmapOnly).has_value());
    EXPECT_FALSE(loader.Load(dir / "sign.png", PictureFormats::BitmapOrJpeg).has_value());
}

TEST_F(QtPictureLoaderTest, MissingAndBrokenFilesGiveNothing) {
    test::WriteFile(dir / "junk.bmp", "BM not really a bitmap");
    test::WriteFile(dir / "empty.jpg", "");
    // A bitmap cut after its headers: its pixels would be whatever memory held.
    test::WriteBmp(dir / "whole.bmp", 64, 64, 0x123456);
    std::string whole;
    {
        std::ifstream in(dir / "whole.bmp", std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), {});
    }
    test::WriteFile(dir / "cut.bmp", whole.substr(0, 60));
    for (const char* name : {"missing.bmp", "junk.bmp", "empty.jpg", "cut.bmp"}) {
        EXPECT_FALSE(loader.Load(dir / name, PictureFormats::BitmapOrJpeg).has_value()) << name;
    }
}

TEST_F(QtPictureLoaderTest, HeadersClaimingHugePicturesAreRefusedUndecoded) {
    std::string why;
    // Run-length data of 2 bytes under a header of 5790 x 5790 pixels.
    EXPECT_FALSE(loader.Load(test::FuzzCorpusDir() / "picture" / "rle8_5790x5790.bmp",
                             PictureFormats::BitmapOnly, &why));
    EXPECT_EQ(why, "larger than 4096 x 4096 pixels");
    // (2^31 - 1) x 32 bits a row times 2^31 - 1 rows overflowed the completeness check.
    EXPECT_FALSE(loader.Load(test::FuzzCorpusDir() / "picture" / "bmp_rows_overflow.bmp",
                             PictureFormats::BitmapOnly, &why));
    EXPECT_FALSE(why.empty());

    // The largest side that any cab needs still loads.
    test::WriteBmp(dir / "wide.bmp", 4096, 1, 0x102030);
    EXPECT_TRUE(loader.Load(dir / "wide.bmp", PictureFormats::BitmapOnly, &why).has_value());
}

}  // namespace
}  // namespace kelvaron
