#pragma once

#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/video_reader.h"

namespace kelvaron {

// Plays a video's pictures at 30 frames a second in a 320 x 240 area; a
// click on it is reported. At the end the last picture stays.
class MovieView : public QWidget {
  public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    MovieView(VideoReader& reader, QWidget* parent = nullptr);

    // The file the player is given; empty when it has none.
    void SetFileName(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& FileName() const { return file_; }

    // False when the file cannot be opened as a video.
    bool Open();
    void Play();
    void Stop();
    void Close();

    std::function<void()> onClick;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void NextFrame();

    VideoReader& reader_;
    std::filesystem::path file_;
    QTimer timer_;
    int32_t next_ = 0;
    QImage picture_;
};

}  // namespace kelvaron
