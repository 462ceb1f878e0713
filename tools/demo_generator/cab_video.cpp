#include "cab_video.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/ffmpeg/video_writer.h"
#include "qt_art.h"

namespace kelvaron::demo {

namespace {

VideoSettings Mpeg4(int32_t width, int32_t height) {
    VideoSettings s;
    s.width = width;
    s.height = height;
    s.fps = 30;
    s.codec = "mpeg4";
    s.keyframeInterval = 30;
    s.bFrames = 0;
    return s;
}

// Hands rendered frames to the encoding thread, one waiting at most.
class FrameHandoff {
  public:
    void Put(Picture picture) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !full_; });
        slot_ = std::move(picture);
        full_ = true;
        changed_.notify_all();
    }
    // False once the producer has finished and everything was taken.
    bool Take(Picture& picture) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return full_ || done_; });
        if (!full_) return false;
        picture = std::move(slot_);
        full_ = false;
        changed_.notify_all();
        return true;
    }
    void Finish() {
        std::lock_guard lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Picture slot_;
    bool full_ = false;
    bool done_ = false;
};

QImage Scene(const Route& route, const std::vector<Board>& boards, int32_t frame, int w, int h) {
    SceneRenderer renderer(route, boards, w, h);
    Picture picture;
    renderer.Render(frame, picture);
    return ToImage(picture);
}

void Title(QPainter& p, int width, double opacity) {
    p.setOpacity(opacity);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const int big = width / 9;
    const QRectF box(0, width / 40.0, width, big * 1.3);
    p.setFont(JapaneseFont(big, true));
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(box.translated(3, 3), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Kelvaron"));
    p.setPen(QColor(255, 255, 255));
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Kelvaron"));
    const QRectF sub(0, width / 40.0 + big * 1.25, width, big * 0.5);
    p.setFont(JapaneseFont(big * 2 / 5, true));
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(sub.translated(2, 2), Qt::AlignHCenter | Qt::AlignTop, Text("湾岸線 北浜 → 港町"));
    p.setPen(QColor(255, 250, 220));
    p.drawText(sub, Qt::AlignHCenter | Qt::AlignTop, Text("湾岸線 北浜 → 港町"));
    p.setOpacity(1);
}

}  // namespace

bool WriteCabVideo(const std::filesystem::path& file, const Route& route,
                   const std::vector<Board>& boards, int32_t width, int32_t height, int32_t frames,
                   std::string& error) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    VideoWriter writer;
    if (!writer.Open(file, Mpeg4(width, height))) {
        error = file.string() + ": the MPEG-4 encoder cannot write this file";
        return false;
    }
    FrameHandoff handoff;
    bool written = true;
    std::thread encoder([&] {
        Picture picture;
        while (handoff.Take(picture)) {
            if (written && !writer.Write(picture)) written = false;
        }
    });
    SceneRenderer renderer(route, boards, width, height);
    for (int32_t n = 0; n < frames; ++n) {
        Picture picture;
        renderer.Render(n, picture);
        handoff.Put(std::move(picture));
    }
    handoff.Finish();
    encoder.join();
    if (!writer.Close() || !written) {
        error = file.string() + ": writing the video failed";
        return false;
    }
    return true;
}

bool WriteStillPicture(const std::filesystem::path& file, const Route& route,
                       const std::vector<Board>& boards, std::string& error) {
    if (SaveJpeg(Scene(route, boards, route.stations[0].stopFrame, 480, 240), file, 90))
        return true;
    error = file.string();
    return false;
}

bool WriteTitlePictures(const std::filesystem::path& outDir, const Route& route,
                        const std::vector<Board>& boards, std::string& error) {
    const int32_t scenes[] = {
        route.stations[0].stopFrame - 60, route.crossings[0].frame - 150,
        route.limits[0].startFrame + 200, route.tunnels[0].startFrame - 240,
        route.bridge.startFrame - 40,     route.stations.back().stopFrame - 500,
    };
    for (int i = 0; i < 6; ++i) {
        QImage image = Scene(route, boards, std::max(0, scenes[i]), 640, 480);
        {
            QPainter p(&image);
            Title(p, 640, 1.0);
        }
        char name[40];
        std::snprintf(name, sizeof name, "image/title/%02d.jpg", i + 1);
        if (!SaveJpeg(image, outDir / name, 88)) {
            error = name;
            return false;
        }
    }
    return true;
}

bool WriteOpeningMovie(const std::filesystem::path& file, const Route& route,
                       const std::vector<Board>& boards, std::string& error) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    VideoWriter writer;
    constexpr int kFrames = 150;
    if (!writer.Open(file, Mpeg4(320, 240))) {
        error = file.string();
        return false;
    }
    SceneRenderer renderer(route, boards, 320, 240);
    const int32_t first = route.crossings[0].frame - 200;
    for (int n = 0; n < kFrames; ++n) {
        Picture picture;
        renderer.Render(first + n, picture);
        QImage image = ToImage(picture);
        {
            QPainter p(&image);
            Title(p, 320, std::clamp((n - 30) / 40.0, 0.0, 1.0));
        }
        if (!writer.Write(ToPicture(image))) {
            error = file.string();
            return false;
        }
    }
    if (writer.Close()) return true;
    error = file.string();
    return false;
}

bool WriteFrameStrip(const std::filesystem::path& file, const Route& route,
                     const std::vector<Board>& boards, const std::vector<int32_t>& frames,
                     int32_t height, std::string& error) {
    const int32_t width = height * 2;
    QImage strip = NewImage(width * static_cast<int>(frames.size()), height, Qt::black);
    {
        QPainter p(&strip);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        for (size_t i = 0; i < frames.size(); ++i) {
            const QImage scene = Scene(route, boards, frames[i], 480, 240);
            p.drawImage(QRect(static_cast<int>(i) * width, 0, width, height), scene);
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    if (strip.convertToFormat(QImage::Format_RGB888)
            .save(QString::fromStdString(file.string()), "PNG")) {
        return true;
    }
    error = file.string();
    return false;
}

}  // namespace kelvaron::demo
