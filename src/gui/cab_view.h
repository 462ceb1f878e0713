#pragma once

#include <QtGui/QImage>
#include <QtGui/QRegion>
#include <QtWidgets/QWidget>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "data/panel_model.h"
#include "gui/key_mapping.h"
#include "gui/panel_painter.h"
#include "platform/video_reader.h"

class QPainter;

namespace kelvaron {

// The run window's client area: the cab view and the panel around it, a
// 640 x 440 picture scaled as one to the widget's size, centred on black.
// The panel is kept in a picture of its own at the shown size; only the
// controls that changed are painted again, and a new video frame repaints
// only the video's place, decoded straight into the image the window is shown
// from. Keys, the wheel and the close button are handed on.
class CabView : public QWidget {
  public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 440;

    explicit CabView(const PanelModel& panel, QWidget* parent = nullptr);
    ~CabView() override;

    // Widget pixels per cab pixel.
    double Scale() const;
    // A widget position in cab pixels.
    QPointF ToCab(QPointF widgetPos) const;

    // Draws the video's frame into a target (the image the widget is shown
    // from, or a picture of the frame at its shown size); false when there is
    // no frame to draw.
    std::function<bool(const FrameTarget&)> drawFrame;
    // A new frame is to be shown: it is drawn when the view paints.
    void VideoChanged();
    // The video's place, device pixels of the widget.
    QRect VideoPlace();
    // A still picture in the video's place, cab pixel for cab pixel from the
    // top-left corner, on black.
    void ShowCabPicture(const QImage& picture);

    // The panel model may have changed: repaints what differs from the shown panel.
    void PanelChanged();

    std::function<void(const QKeyEvent&)> onKey;
    std::function<void(int step)> onWheel;  // +1 away from the player, -1 toward
    std::function<void()> onBack;
    // After each paint; `video` when the video's place was among what was painted.
    std::function<void(bool video)> onPainted;

    // The size the window is laid out for at first.
    void SetPreferredSize(QSize size) {
        preferred_ = size;
        updateGeometry();
    }
    QSize sizeHint() const override { return preferred_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    // What was last painted of one control.
    struct Shown {
        std::string name;
        PanelControl::Kind kind = PanelControl::Kind::Image;
        int32_t left = 0, top = 0, width = 0, height = 0;
        bool autoSize = false;
        bool visible = false;
        bool transparent = false;
        const Picture* picture = nullptr;
        int32_t angle = 0;
        std::string text;
        bool centred = false;
        uint32_t textColour = 0, background = 0;
        QRect extent;  // where it was drawn, cab pixels
    };
    struct FreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };

    // Places the cab for the widget's size and the screen's pixel ratio;
    // true when anything moved.
    bool Layout();
    static bool Same(const Shown& shown, const PanelControl& control);
    Shown Snapshot(const PanelControl& control) const;
    // Paints the whole panel again, after a new layout or a new panel.
    void RenderAll();
    // Paints the panel picture again inside `area` (cab pixels) and shows it.
    void RenderPanel(const QRegion& area);
    void FindOverVideo();
    QRect ToDevice(const QRect& cabRect) const;
    QRect ToWidget(const QRect& deviceRect) const;
    void Relaid();
    void DrawStill();
    // Draws the new frame straight into the image being painted on, when the
    // video's whole place is painted and nothing else shows there.
    bool DrawFrameDirectly(QPainter& painter, const QRegion& video);

    const PanelModel& panel_;
    QSize preferred_{kWidth, kHeight};
    PanelPainter painter_;
    WheelSteps wheel_;

    double ratio_ = 0;   // device pixels per widget pixel the layout is for
    QSize laidOutFor_;   // widget size the layout is for
    double scale_ = 1;   // device pixels per cab pixel
    QRect cab_;          // the cab, device pixels of the widget
    QRect video_;        // the video's place, device pixels of the widget
    QImage layer_;       // the panel at cab_'s size; clear where the video shows
    QRegion overVideo_;  // device pixels where controls are drawn over the video
    std::unique_ptr<uint8_t, FreeDeleter> frameMemory_;
    QImage frame_;  // the shown video picture, over frameMemory_
    // frame_ does not hold the newest frame: it was drawn straight to the
    // screen's image, or not at all yet.
    bool frameStale_ = false;
    QImage still_;                  // the still picture while it is shown
    std::vector<uint32_t> beside_;  // the pixels beside the video a direct draw may spill on
    std::vector<Shown> shown_;
    ClockHands shownClock_;
};

}  // namespace kelvaron
