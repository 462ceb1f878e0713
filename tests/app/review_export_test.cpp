// The review of a whole run through `kelvaron --headless --review`: the sample
// train and line driven by the drive-and-stop script.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QtCore/QXmlStreamReader>
#include <QtGui/QImage>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ffmpeg/video_writer.h"
#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ReviewExport : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = test::MakeTempDir();
        data_ = dir_ / "data";
        fs::copy(test::FixtureDir() / "fixtures", data_, fs::copy_options::recursive);
        fs::create_directories(data_ / "movie");
        VideoSettings video;
        video.width = 32;
        video.height = 16;
        ASSERT_TRUE(WriteTestVideo(data_ / "movie" / "line_basic.avi", video, 6000,
                                   [](int32_t, Picture&) {}));
    }

    // Exit code of the drive-and-stop run asked for `review`; stdout in out_, stderr in err_.
    int Drive(const std::string& review) {
        const std::string command =
            std::string("'") + KELVARON_BINARY + "' --headless --data '" + data_.string() +
            "' --train train_electric.dat --line e2e_line.dat --script '" +
            (test::FixtureDir() / "fixtures" / "e2e_drive_and_stop.txt").string() + "' --review '" +
            review + "' >'" + (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
        const int status = std::system(command.c_str());
        out_ = ReadAll(dir_ / "out");
        err_ = ReadAll(dir_ / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_, data_;
    std::string out_, err_;
};

TEST_F(ReviewExport, TableHasARowPerRefreshAndTheScoreFollowsTheSummary) {
    ASSERT_EQ(Drive((dir_ / "review.csv").string()), 0) << err_;
    std::map<int64_t, std::vector<std::string>> rows;
    std::istringstream csv(ReadAll(dir_ / "review.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line,
              "t_ms,clock,distance_m,speed_kmh,limit_kmh,pattern_brake_kmh,pattern_warning_kmh,"
              "power_notch,brake_notch,forced_braking");
    while (std::getline(csv, line)) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        cells.resize(10);
        rows[std::stoll(cells[0])] = cells;
    }
    // Refreshes every 100 ms from the start at 0 to the close at 70.05 s: 700.
    ASSERT_EQ(rows.size(), 700u);
    EXPECT_EQ(rows.begin()->first, 100);
    EXPECT_EQ(rows.rbegin()->first, 70000);
    // Three ticks of 1/30 s after the line's 10:00:00.
    EXPECT_EQ(rows[100][1], "10:00:00");
    // Standing until full power at 41 s; 3.0 km/h/s for 0.1 s gives 0.30 km/h at 41.2 s.
    EXPECT_EQ(rows[41000][2], "0.00");
    EXPECT_EQ(rows[41100][7], "4");
    EXPECT_EQ(rows[41200][3], "0.30");
    // "5" at 48 s lets go of both handles; four "." at 50 s take B4.
    EXPECT_EQ(rows[48100][7], "0");
    EXPECT_EQ(rows[50100][8], "-4");

    // The score comes after the summary's table. The start brake let go
    // standing costs nothing; P0 -> P4 starting off, P4 -> N and N -> B4
    // while moving, three notches beyond the first each: 25 - 9.
    const size_t summaryEnd = out_.find("ATS alarms: 0;");
    const size_t score = out_.find("Score ");
    ASSERT_NE(summaryEnd, std::string::npos) << out_;
    ASSERT_NE(score, std::string::npos) << out_;
    EXPECT_LT(summaryEnd, score);
    EXPECT_NE(out_.find("  Comfort 16/25: 4 handle moves, 3 jolts"), std::string::npos) << out_;
}

TEST_F(ReviewExport, PicturesHoldTheWholeLine) {
    ASSERT_EQ(Drive((dir_ / "review.svg").string()), 0) << err_;
    QXmlStreamReader svg(QString::fromStdString(ReadAll(dir_ / "review.svg")));
    QString text;
    bool rootIsSvg = false;
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isStartElement() && svg.name() == QStringLiteral("svg")) rootIsSvg = true;
        if (svg.isCharacters()) text += svg.text();
    }
    ASSERT_FALSE(svg.hasError()) << svg.errorString().toStdString();
    EXPECT_TRUE(rootIsSvg);
    // The run ends before 桜町; the line's every station is still in the picture.
    for (const char* station : {"中央駅", "桜町", "港北"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(station))) << station;
    }
    EXPECT_TRUE(text.contains("Score ")) << text.toStdString();

    ASSERT_EQ(Drive((dir_ / "review.PNG").string()), 0) << err_;
    const QImage png(QString::fromStdString((dir_ / "review.PNG").string()), "PNG");
    EXPECT_EQ(png.size(), QSize(1600, 900));
}

TEST_F(ReviewExport, AReviewThatCannotBeWrittenFailsTheRun) {
    EXPECT_EQ(Drive((dir_ / "review.pdf").string()), 2);
    EXPECT_NE(err_.find("--review takes a .svg, .png or .csv file"), std::string::npos) << err_;
    // The run and its summary stand; the missing file is reported, not passed over.
    for (const char* name : {"review.csv", "review.svg", "review.png"}) {
        EXPECT_EQ(Drive((dir_ / "no-such-folder" / name).string()), 1) << name;
        EXPECT_NE(out_.find("Run summary"), std::string::npos);
        EXPECT_NE(err_.find("cannot write the review"), std::string::npos) << name << err_;
    }
}

}  // namespace
}  // namespace kelvaron
