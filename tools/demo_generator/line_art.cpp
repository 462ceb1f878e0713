#include "line_art.h"

#include <array>

#include "cab_design.h"
#include "data_path_names.h"
#include "line_content.h"
#include "qt_art.h"

namespace kelvaron::demo {

namespace {

enum Lamp { kOff, kRed, kYellow, kGreen, kWhite };

QColor LampColour(Lamp lamp) {
    switch (lamp) {
        case kRed:
            return {255, 48, 40};
        case kYellow:
            return {255, 200, 40};
        case kGreen:
            return {60, 240, 150};
        case kWhite:
            return {250, 250, 236};
        case kOff:
            break;
    }
    return {46, 46, 48};
}

// A colour-light signal head: lamps from the top, each on or off.
QImage SignalHead(const std::vector<Lamp>& lamps) {
    QImage image = NewImage(50, 100, QColor(20, 24, 34));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const int n = static_cast<int>(lamps.size());
    const double pitch = 17, top = 50 - pitch * n / 2.0;
    p.setPen(QColor(90, 90, 96));
    p.setBrush(QColor(12, 12, 14));
    p.drawRoundedRect(QRectF(13, top - 4, 24, pitch * n + 8), 6, 6);
    for (int i = 0; i < n; ++i) {
        const QPointF c(25, top + pitch * (i + 0.5));
        if (lamps[static_cast<size_t>(i)] != kOff) {
            QColor glow = LampColour(lamps[static_cast<size_t>(i)]);
            glow.setAlpha(90);
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(c, 10, 10);
        }
        p.setPen(QColor(0, 0, 0));
        p.setBrush(LampColour(lamps[static_cast<size_t>(i)]));
        p.drawEllipse(c, 6.5, 6.5);
    }
    return image;
}

// A repeater: white lamps on a black disc, a row for stop, a slant for
// caution, upright for clear.
QImage Repeater(int pattern) {
    QImage image = NewImage(50, 100, QColor(20, 24, 34));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QColor(120, 120, 120));
    p.setBrush(QColor(10, 10, 12));
    p.drawEllipse(QPointF(25, 50), 22, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(LampColour(kWhite));
    for (int k = -1; k <= 1; ++k) {
        const QPointF at = pattern == 0   ? QPointF(25 + 13 * k, 50)
                           : pattern == 1 ? QPointF(25 + 9 * k, 50 - 9 * k)
                                          : QPointF(25, 50 + 13 * k);
        p.drawEllipse(at, 5, 5);
    }
    return image;
}

// The pictures in the order of the signal image index: three repeater
// patterns, then the heads of signals of two to five lamps in each aspect.
std::vector<QImage> SignalPictures() {
    const Lamp O = kOff, R = kRed, Y = kYellow, G = kGreen;
    return {
        Repeater(0),
        Repeater(1),
        Repeater(2),
        // two lamps (Y, R)
        SignalHead({O, R}),
        SignalHead({Y, O}),
        SignalHead({G, O}),
        // three lamps (G, Y, R)
        SignalHead({O, O, R}),
        SignalHead({O, Y, O}),
        SignalHead({G, O, O}),
        // four lamps (Y, G, Y, R): R, Y, YG, G
        SignalHead({O, O, O, R}),
        SignalHead({O, O, Y, O}),
        SignalHead({Y, G, O, O}),
        SignalHead({O, G, O, O}),
        // four lamps (Y, G, Y, R): R, YY, Y, G
        SignalHead({O, O, O, R}),
        SignalHead({Y, O, Y, O}),
        SignalHead({O, O, Y, O}),
        SignalHead({O, G, O, O}),
        // five lamps (Y, G, Y, Y, R): R, YY, Y, YG, G
        SignalHead({O, O, O, O, R}),
        SignalHead({Y, O, O, Y, O}),
        SignalHead({O, O, Y, O, O}),
        SignalHead({Y, G, O, O, O}),
        SignalHead({O, G, O, O, O}),
    };
}

QImage SignBoard(const std::string& text, QColor background, QColor ink, int pixels) {
    QImage image = NewImage(50, 50, QColor(28, 30, 36));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.setBrush(background);
    p.drawRoundedRect(QRectF(4, 4, 42, 42), 4, 4);
    DrawCentred(p, QRectF(4, 4, 42, 42), Text(text), JapaneseFont(pixels, true), ink);
    return image;
}

QImage TimePrompt() {
    QImage image = NewImage(50, 50, QColor(28, 30, 36));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(240, 240, 240), 2));
    p.setBrush(QColor(30, 60, 120));
    p.drawEllipse(QPointF(25, 20), 13, 13);
    p.drawLine(QPointF(25, 20), QPointF(25, 11));
    p.drawLine(QPointF(25, 20), QPointF(32, 23));
    DrawCentred(p, QRectF(0, 34, 50, 14), Text("時刻"), JapaneseFont(12, true),
                QColor(250, 250, 250));
    return image;
}

QImage SlopeSign(bool up) {
    QImage image = NewImage(64, 48, QColor(28, 30, 36));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(250, 250, 250), 3));
    p.drawLine(QPointF(6, 40), QPointF(58, 40));
    const QPointF from(8, up ? 38 : 12), to(56, up ? 12 : 38);
    p.setPen(QPen(up ? QColor(255, 170, 60) : QColor(110, 200, 255), 4));
    p.drawLine(from, to);
    DrawCentred(p, QRectF(0, 0, 64, 14), Text(up ? "上り勾配" : "下り勾配"), JapaneseFont(11, true),
                QColor(240, 240, 240));
    return image;
}

QImage StopMarker() {
    QImage image = NewImage(64, 48, QColor(28, 30, 36));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.setBrush(QColor(200, 30, 30));
    p.drawRoundedRect(QRectF(3, 3, 58, 42), 5, 5);
    DrawCentred(p, QRectF(3, 5, 58, 22), Text("停車"), JapaneseFont(18, true),
                QColor(255, 255, 255));
    DrawCentred(p, QRectF(3, 27, 58, 16), Text("停止位置"), JapaneseFont(11),
                QColor(255, 230, 230));
    return image;
}

// The driver's timetable card: one row per station with the arrival and the
// departure, "レ" for a station passed.
QImage StaffCard(const Route& route, const Timetable& t, const std::string& title,
                 const std::string& train) {
    QImage image = NewImage(160, 400, QColor(250, 248, 236));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawRect(1, 1, 157, 397);
    DrawCentred(p, QRectF(0, 6, 160, 20), Text(title), JapaneseFont(15, true), QColor(20, 20, 20));
    DrawCentred(p, QRectF(0, 26, 160, 16), Text(train), JapaneseFont(11), QColor(60, 60, 60));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(6, 46, 154, 46);
    DrawCentred(p, QRectF(4, 48, 56, 16), Text("駅名"), JapaneseFont(11), QColor(60, 60, 60));
    DrawCentred(p, QRectF(60, 48, 48, 16), Text("着"), JapaneseFont(11), QColor(60, 60, 60));
    DrawCentred(p, QRectF(106, 48, 52, 16), Text("発"), JapaneseFont(11), QColor(60, 60, 60));
    p.drawLine(6, 66, 154, 66);
    const auto shortTime = [](int32_t ticks) {
        return Text(ClockText(ticks).substr(3));  // minutes and seconds
    };
    for (size_t i = 0; i < route.stations.size(); ++i) {
        const StationTimes& s = t.stations[i];
        const double y = 72 + 58.0 * static_cast<double>(i);
        DrawCentred(p, QRectF(4, y, 58, 22), Text(route.stations[i].name),
                    JapaneseFont(route.stations[i].name.size() > 6 ? 12 : 14, true),
                    QColor(20, 20, 20));
        const QColor ink(20, 20, 90);
        if (s.kind == 1) {
            DrawCentred(p, QRectF(60, y, 48, 22), Text("レ"), JapaneseFont(14), ink);
            DrawCentred(p, QRectF(106, y, 52, 22), shortTime(s.arrival), JapaneseFont(12), ink);
        } else {
            if (i > 0)
                DrawCentred(p, QRectF(60, y, 48, 22), shortTime(s.arrival), JapaneseFont(12), ink);
            if (i + 1 < route.stations.size()) {
                DrawCentred(p, QRectF(106, y, 52, 22), shortTime(s.departure),
                            JapaneseFont(12, true), ink);
            }
            if (s.kind == 2) {
                DrawCentred(p, QRectF(4, y + 20, 150, 14), Text("運転停車"), JapaneseFont(10),
                            QColor(160, 40, 40));
            }
        }
        p.setPen(QPen(QColor(180, 180, 170), 1));
        p.drawLine(QPointF(10, y + 40), QPointF(150, y + 40));
    }
    DrawCentred(p, QRectF(0, 374, 160, 16), Text("10時台"), JapaneseFont(10), QColor(90, 90, 90));
    return image;
}

// Saves a picture as a BMP under its data-file name; false with the name in
// `error` when it cannot be written.
bool Save(const std::filesystem::path& outDir, const QImage& image, const std::string& name,
          std::string& error) {
    if (SaveBmp(image, DataFile(outDir, name))) return true;
    error = name;
    return false;
}

}  // namespace

bool DrawTimetableCards(const std::filesystem::path& outDir, const Route& route,
                        const Timetable& local, const Timetable& express, std::string& error) {
    return Save(outDir, StaffCard(route, local, "各駅停車", "1000系 4両"), kStaffLocal, error) &&
           Save(outDir, StaffCard(route, express, "急行", "キハ2000形 3両"), kStaffExpress, error);
}

bool DrawLinePictures(const std::filesystem::path& outDir, const Route& route,
                      const Timetable& local, const Timetable& express, std::string& error) {
    const auto save = [&](const QImage& image, const std::string& name) {
        return Save(outDir, image, name, error);
    };
    const std::vector<std::string> signalFiles = SignalPictureFiles();
    const std::vector<QImage> signals = SignalPictures();
    for (size_t i = 0; i < signalFiles.size(); ++i) {
        if (!save(signals[i], signalFiles[i])) return false;
    }
    const std::vector<SignPicture> signs = SignPictures();
    const std::array<QImage, 5> signImages = {
        TimePrompt(),
        SignBoard("45", QColor(250, 250, 250), QColor(10, 10, 10), 24),
        SignBoard("35", QColor(250, 250, 250), QColor(10, 10, 10), 24),
        SignBoard("汽笛", QColor(250, 250, 250), QColor(10, 10, 10), 15),
        SignBoard("踏切", QColor(250, 206, 40), QColor(10, 10, 10), 15),
    };
    for (size_t i = 0; i < signs.size(); ++i) {
        if (!save(signImages[i], signs[i].image)) return false;
    }
    const std::vector<std::string> slopes = SlopePictureFiles();
    return save(SlopeSign(true), slopes[0]) && save(SlopeSign(false), slopes[1]) &&
           save(StopMarker(), kStopMarker) &&
           DrawTimetableCards(outDir, route, local, express, error);
}

}  // namespace kelvaron::demo
