#pragma once

#include <QtWidgets/QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/picture_loader.h"
#include "studio/studio_line.h"

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTableWidget;

namespace kelvaron {

// Who drives a test drive: the author at the keys, or the automatic driver
// that the run window's Controller menu offers.
enum class TestDriver { Player, Automatic };

class ProfileChart;
class RecordForm;
class TimelineView;

// The line studio: the video, frame by frame, with the line's records on a
// timeline and in a table; a form to place, change, move and delete them; the
// distances, the profile chart and the check message the run would give, all
// kept up to date after each edit; save, and a test drive in the run window.
class StudioWindow : public QMainWindow {
  public:
    // `line` is the line being edited; `video` the file shown (the line's own
    // when empty).
    StudioWindow(StudioLine line, std::filesystem::path video, QWidget* parent = nullptr);
    ~StudioWindow() override;

    StudioLine& Line() { return line_; }
    int32_t CurrentFrame() const { return frame_; }
    void ShowFrame(int32_t frame);

    // What the buttons do, for the keyboard, the menus and tests alike.
    bool AddAtCurrentFrame();
    bool ApplyToSelected();
    bool MoveSelectedHere();
    bool DeleteSelected();
    bool Save();
    void SelectRecord(RecordKind kind, size_t index);
    void SetEncoding(TextEncoding encoding);
    // The value line(s) of a one-value section such as "[LineName]" (one step of undo);
    // CheckLineValues only tells whether they could stand, naming the fault when not.
    bool SetLineValues(const std::string& header, const std::vector<std::string>& values);
    bool CheckLineValues(const std::string& header, const std::vector<std::string>& values);
    // Puts the filming speed's units into the line (one step of undo).
    bool UseSpeedFit(const std::vector<SpeedUnitData>& units);
    // The station a test drive from the frame on screen starts at: the last
    // trains stop at whose stop lies at or before it, else the first. None
    // without stations.
    std::optional<size_t> TestDriveStation() const;

    RecordForm& Form() { return *form_; }
    QTableWidget& Table() { return *table_; }
    ProfileChart& Chart() { return *chart_; }
    TimelineView& Timeline() { return *timeline_; }
    QLabel& CheckLabel() { return *check_; }
    // Shown instead of message boxes when set (tests).
    std::function<void(const std::string&)> onMessage;
    // Drives the line file `lineFile` of the data folder from station `station`.
    std::function<void(const std::string& lineFile, std::optional<size_t> station,
                       TestDriver driver)>
        onTestDrive;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void Refresh();
    void Tell(const std::string& text);
    void SpeedFromVideoOrGps();
    void TestDrive(TestDriver driver);
    std::optional<StudioRecord> Selected() const;

    StudioLine line_;
    std::filesystem::path video_;
    FfmpegVideoReader reader_;
    int32_t frame_ = 0;
    TextEncoding encoding_;
    std::vector<StudioRecord> records_;

    QLabel* picture_;
    QSlider* slider_;
    QSpinBox* frameBox_;
    QLabel* place_;
    TimelineView* timeline_;
    QTableWidget* table_;
    RecordForm* form_;
    ProfileChart* chart_;
    QLabel* check_;
    QComboBox* encodingBox_;
};

}  // namespace kelvaron
