#include "data/line_file_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/qt/qt_picture_loader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

const std::string kError = "路線ファイルに誤りがあります。";

class LineFileReader : public ::testing::Test {
  protected:
    bool Load(std::string_view text) {
        test::WriteCp932File(dir / "line.dat", text);
        return LoadLineFile(dir, "line.dat", pictures, images, line, error);
    }
    std::string Failure(std::string_view text) {
        EXPECT_FALSE(Load(text));
        return error;
    }
    // A list section with `count` copies of `entry`, ended by "#".
    static std::string List(std::string_view header, std::string_view entry, int count) {
        std::string text = std::string(header) + "\n";
        for (int i = 0; i < count; ++i) text += std::string(entry) + "\n";
        return text + "#\n";
    }

    std::filesystem::path dir = test::MakeTempDir();
    QtPictureLoader pictures;
    CabImageLists images;
    LineDefinition line;
    std::string error;
};

TEST_F(LineFileReader, WholeHeadersAreCompared) {
    // A prefix match would take these for [Speed_Y], [Sound] and [Sign]; the last two
    // would then fail on a file name.
    test::WriteBmp(dir / "up.bmp", 4, 4, 0x00FF00);
    ASSERT_TRUE(
        Load("[Speed_YY] double yellow\n45\n[SoundData]\na.wav\nb.wav\n#\n"
             "[SignImageList]\nup.bmp\n#\n[Unknown]\n1\n"))
        << error;
    EXPECT_EQ(line.Speed_YY, 45);
    EXPECT_EQ(line.Speed_Y, 0);
    EXPECT_EQ(line.SoundData, (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_TRUE(line.Sound.empty());
    EXPECT_TRUE(line.Sign.empty());
    EXPECT_EQ(images.SignImageList.Count(), 1);
    EXPECT_EQ(line.FileName, "line.dat");
}

TEST_F(LineFileReader, EntryErrorsNameTheSectionAndTheLine) {
    EXPECT_EQ(Failure("[Sound]\n1,2\n#\n"), kError + "[Sound]:1,2");
    // Single values are reported as "other".
    EXPECT_EQ(Failure("[StartPos]\n12x\n"), kError + "other:12x");
    EXPECT_EQ(Failure("[OneMan]\n"), kError + "other:");
    // A semicolon starts a comment in [Sound] only.
    ASSERT_TRUE(Load("[Sound]\n;crossing\n3,10,20,60,1\n#\n")) << error;
    ASSERT_EQ(line.Sound.size(), 1u);
    EXPECT_EQ(line.Sound[0].Mode, 1);
    EXPECT_EQ(Failure("[Signal]\n;home\n#\n"), kError + "[Signal]:;home");
}

TEST_F(LineFileReader, ValueLineThatIsALaterHeaderIsReadAsThatHeader) {
    ASSERT_TRUE(Load("[LineName]\n[StartPos]\n120\n")) << error;
    EXPECT_EQ(line.LineName, "[StartPos]");
    EXPECT_EQ(line.StartPos, 120);
    // An earlier header is not compared again in the same pass; its value line is skipped.
    ASSERT_TRUE(Load("[DataName]\n[LineName]\nfoo\n")) << error;
    EXPECT_EQ(line.DataName, "[LineName]");
    EXPECT_EQ(line.LineName, "");
}

TEST_F(LineFileReader, ConvertedValuesAndCallOutSlots) {
    ASSERT_TRUE(
        Load("[Pre_Time]\n10\n[Slope]\n-2.5,0,100\n#\n"
             "[KankoSound2]\nx.wav\ny.wav\nz.wav\n#\n"))
        << error;
    EXPECT_EQ(line.Pre_Time, 300);              // 10 s at 30 frames a second
    EXPECT_EQ(line.Slope[0].Gradient, -25000);  // -2.5 permil x 10000
    ASSERT_EQ(line.KankoSound2.size(), 3u);
    EXPECT_EQ(line.KankoSound2[2].Number, 2);
    EXPECT_EQ(line.KankoSound2[2].FileName, "z.wav");
    EXPECT_EQ(line.CommentaryCount(), 21);  // 18 fixed slots + 3
    ASSERT_TRUE(Load("[LineName]\nx\n")) << error;
    EXPECT_EQ(line.CommentaryCount(), 0);
    EXPECT_EQ(line.SpeedUnit.size(), 0u);
}

TEST_F(LineFileReader, RepeatedListsStartAgainButImageListsGrow) {
    test::WriteBmp(dir / "a.bmp", 8, 8, 0xFF0000);
    test::WriteBmp(dir / "b.bmp", 8, 8, 0x0000FF);
    ASSERT_TRUE(
        Load("[Station]\nA,0,1,2,0,0,0\nB,0,3,4,0,0,0\n#\n[Station]\nC,1,5,6,0,0,0\n#\n"
             "[KankoSound2]\nx\ny\n#\n[KankoSound2]\nz\n#\n"
             "[OtherImageList]\na.bmp\nva.wav\n#\n[OtherImageList]\nb.bmp\nvb.wav\n#\n"
             "[SignalImageList]\na.bmp\n#\n[SignalImageList]\nb.bmp\n#\n"))
        << error;
    ASSERT_EQ(line.Station.size(), 1u);
    EXPECT_EQ(line.Station[0].Name, "C");
    EXPECT_EQ(line.CommentaryCount(), 19);
    EXPECT_EQ(line.KankoSound2[0].Number, 0);
    EXPECT_EQ(line.OtherImageSounds, std::vector<std::string>{"vb.wav"});
    EXPECT_EQ(images.OtherImageList.Count(), 2);
    EXPECT_EQ(images.SignalImageList.Count(), 2);
    EXPECT_EQ(images.SignalImageList.Get(1)->At(0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(LineFileReader, ImageListEntries) {
    test::WriteBmp(dir / "small.bmp", 4, 4, 0xFF0000);
    test::WriteBmp(dir / "large.bmp", 6, 3, 0x00FF00);
    // A picture of another size empties the list before it is appended.
    ASSERT_TRUE(Load("[SignImageList]\nsmall.bmp\nSMALL.BMP\nlarge.bmp\n#\n")) << error;
    EXPECT_EQ(images.SignImageList.Count(), 1);
    EXPECT_EQ(images.SignImageList.Width(), 6);
    EXPECT_EQ(Failure("[SignImageList]\nsmall.bmp\n\n#\n"), kError + "[SignImageList]:");
    EXPECT_EQ(Failure("[OtherImageList]\nnone.bmp\nv.wav\n#\n"),
              kError + "[OtherImageList]:none.bmp: No such file or directory");
}

TEST_F(LineFileReader, ListsMustEndWithTheirMark) {
    EXPECT_EQ(Failure("[SoundData]\na.wav\n"), kError + "[SoundData]:");
    EXPECT_EQ(Failure("[KankoSound2]\na.wav"), kError + "[KankoSound2]:");
    EXPECT_EQ(Failure("[Station]\nA,0,1,2,0,0,0\n"), kError + "[Station]:");
    test::WriteBmp(dir / "a.bmp", 4, 4, 0);
    EXPECT_EQ(Failure("[OtherImageList]\na.bmp\n"), kError + "[OtherImageList]:");
}

TEST_F(LineFileReader, MissingFileNamesTheFile) {
    EXPECT_FALSE(LoadLineFile(dir, "nofile.dat", pictures, images, line, error));
    EXPECT_EQ(error, kError + "nofile.dat: No such file or directory");
}

TEST_F(LineFileReader, ListsBeyondTheirCapacity) {
    EXPECT_TRUE(Load(List("[Station]", "S,0,1,2,0,0,0", 100))) << error;
    EXPECT_EQ(Failure(List("[Station]", "S,0,1,2,0,0,0", 101)), kError + "[Station]:S,0,1,2,0,0,0");
    EXPECT_EQ(Failure(List("[SoundData]", "s.wav", 101)), kError + "[SoundData]:s.wav");
    EXPECT_EQ(Failure(List("[KankoSound2]", "k.wav", 183)), kError + "[KankoSound2]:k.wav");
    // Comments do not take a place.
    EXPECT_TRUE(Load(List("[Sound]", "1,1,2,60,0\n;", 101))) << error;
    EXPECT_EQ(Failure(List("[Sound]", "1,1,2,60,0", 102)), kError + "[Sound]:1,1,2,60,0");
}

TEST_F(LineFileReader, ValuesThatWouldBreakTheRun) {
    EXPECT_TRUE(Load("[FrameRate]\n30\n")) << error;
    EXPECT_EQ(Failure("[FrameRate]\n0\n"), kError + "other:0");
    EXPECT_EQ(Failure("[FrameRate]\n31\n"), kError + "other:31");
    EXPECT_EQ(Failure("[SpeedUnit]\n0,300,36,36\n300,300,36,36\n#\n"),
              kError + "[SpeedUnit]:300,300,36,36");
    // (20 + 20) x 100 000 000 = 4e9 does not fit 32 bits.
    EXPECT_EQ(Failure("[SpeedUnit]\n0,100000000,20,20\n#\n"),
              kError + "[SpeedUnit]:0,100000000,20,20");
    // Each unit is 2e9 / 2.16 = 925 925 926; the third takes the sum past 2^31 - 1.
    EXPECT_EQ(Failure("[SpeedUnit]\n0,100000000,10,10\n100000000,200000000,10,10\n"
                      "200000000,300000000,10,10\n#\n"),
              kError + "[SpeedUnit]:200000000,300000000,10,10");
    EXPECT_EQ(Failure("[SpeedLimit]\n0,1,0,100,200\n#\n"), kError + "[SpeedLimit]:0,1,0,100,200");
    EXPECT_EQ(Failure("[SpeedLimit]\n-5,1,0,100,200\n#\n"), kError + "[SpeedLimit]:-5,1,0,100,200");
}

TEST_F(LineFileReader, NamesThatLeaveTheDataFolderAreRefused) {
    // The data folder is a subfolder, so that its parent can hold a file.
    const auto data = dir / "line";
    test::WriteBmp(dir / "secret.bmp", 4, 4, 0);
    test::WriteBmp(data / "sub" / "up.bmp", 4, 4, 0);
    std::filesystem::create_symlink(dir / "secret.bmp", data / "link.bmp");
    ASSERT_EQ(::mkfifo((data / "pipe.bmp").c_str(), 0600), 0);
    const auto refusal = [&](const std::string& name) {
        test::WriteCp932File(data / "line.dat", "[SignImageList]\n" + name + "\n#\n");
        EXPECT_FALSE(LoadLineFile(data, "line.dat", pictures, images, line, error)) << name;
        return error.substr(error.rfind(": ") + 2);
    };
    // Whether the file outside exists or not, the message is the same.
    EXPECT_EQ(refusal("..\\secret.bmp"), "outside the data folder");
    EXPECT_EQ(refusal("../nothing.bmp"), "outside the data folder");
    EXPECT_EQ(refusal((dir / "secret.bmp").string()), "outside the data folder");
    EXPECT_EQ(refusal("sub/../../secret.bmp"), "outside the data folder");
    EXPECT_EQ(refusal("link.bmp"), "outside the data folder");
    // A NUL would cut the name short and open "sub/up.bmp".
    EXPECT_EQ(refusal(std::string("sub/up.bmp\0.x", 13)), "control character in the name");
    // Opening a pipe would wait for a writer for ever.
    EXPECT_EQ(refusal("pipe.bmp"), "not a regular file");
    EXPECT_EQ(error, kError + "[SignImageList]:pipe.bmp: not a regular file");

    test::WriteCp932File(data / "line.dat", "[SignImageList]\nsub\\..\\sub\\UP.BMP\n#\n");
    EXPECT_TRUE(LoadLineFile(data, "line.dat", pictures, images, line, error)) << error;
}

TEST_F(LineFileReader, PicturesAndImageListsAreBounded) {
    // 1080 bytes whose header claims 5790 x 5790 pixels: 134 MB each once decoded.
    std::filesystem::copy_file(test::FuzzCorpusDir() / "picture" / "rle8_5790x5790.bmp",
                               dir / "huge.bmp");
    EXPECT_EQ(Failure(List("[SignImageList]", "huge.bmp", 20)),
              kError + "[SignImageList]:huge.bmp: larger than 4096 x 4096 pixels");
    test::WriteBmp(dir / "small.bmp", 2, 2, 0);
    EXPECT_TRUE(Load(List("[SignalImageList]", "small.bmp", 100))) << error;
    EXPECT_EQ(Failure(List("[SignalImageList]", "small.bmp", 101)),
              kError + "[SignalImageList]:small.bmp: the image list already holds 100 pictures");
}

TEST_F(LineFileReader, PrecedingTrainStartsAtAFrame) {
    // The preceding train starts at [StartPos] + [Pre_Time] x 30, whichever comes first.
    EXPECT_EQ(Failure("[StartPos]\n2147483647\n[Pre_Time]\n1\n"), kError + "other:1");
    EXPECT_EQ(Failure("[Pre_Time]\n71582788\n[StartPos]\n30\n"), kError + "other:30");
    // 2147483617 + 30 = 2^31 - 1 still fits.
    EXPECT_TRUE(Load("[StartPos]\n2147483617\n[Pre_Time]\n1\n")) << error;
    EXPECT_EQ(line.StartPos + line.Pre_Time, 2147483647);
}

TEST_F(LineFileReader, ShiftJisFixture) {
    ASSERT_TRUE(LoadLineFile(test::FixtureDir() / "fixtures", "line_basic.dat", pictures, images,
                             line, error))
        << error;
    EXPECT_EQ(line.LineName, "関東平野線 普通 中央駅→港北");
    ASSERT_EQ(line.Station.size(), 3u);
    EXPECT_EQ(line.Station[0].Name, "中央駅");
    EXPECT_EQ(line.Station[1].Name, "桜町");
    EXPECT_EQ(line.Station[1].Kind, 1);
    EXPECT_EQ(line.Signal[1].Name, "場内");
    EXPECT_EQ(line.CommentaryCount(), 21);
    EXPECT_EQ(line.Slope[1].Gradient, 105000);
    EXPECT_EQ(images.SignImageList.Count(), 2);
    EXPECT_EQ(images.OtherImageList.Count(), 4);
    EXPECT_EQ(images.SignalImageList.Count(), 5);
}

}  // namespace
}  // namespace kelvaron
