#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/sound_mixer.h"
#include "platform/video_reader.h"

namespace kelvaron {

// Plays a video in a 320 x 240 area at the video's own frame rate, with its
// sound track on the mixer's on-demand channel; a click on it is reported,
// and so is the end of the movie. The pictures follow the clock, not the
// count of timer calls, so a slow machine drops pictures and stays with the
// sound.
class MovieView : public QWidget {
  public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;
    static constexpr int kSoundChannel = 255;

    MovieView(VideoReader& reader, SoundMixer& mixer, QWidget* parent = nullptr);
    ~MovieView() override;

    // The file the player is given; empty when it has none.
    void SetFileName(std::filesystem::path file) { file_ = std::move(file); }
    const std::filesystem::path& FileName() const { return file_; }

    // False when the file cannot be opened as a video.
    bool Open();
    void Play();
    void Stop();
    void Close();

    // Shows the picture the clock has reached, or reports the end. The view's
    // own timer calls this; tests may too.
    void Advance();
    // The picture on show, -1 before the first.
    int32_t ShownFrame() const { return shown_; }

    // Milliseconds of a steady clock; tests put their own here.
    std::function<int64_t()> clock;
    std::function<void()> onClick;
    // The last picture has had its time (or the rest cannot be decoded).
    std::function<void()> onFinished;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void Finish();
    void FreeSound();

    VideoReader& reader_;
    SoundMixer& mixer_;
    std::filesystem::path file_;
    QTimer timer_;
    QElapsedTimer elapsed_;
    double framesPerSecond_ = 0;
    int64_t startedAt_ = 0;
    int32_t shown_ = -1;
    bool playing_ = false;
    SoundId sound_ = kNoSound;
    QImage picture_;
};

}  // namespace kelvaron
