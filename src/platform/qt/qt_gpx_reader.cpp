#include "platform/qt/qt_gpx_reader.h"

#include <QDateTime>
#include <QFile>
#include <QXmlStreamReader>
#include <cmath>

namespace kelvaron {

namespace {

std::string Where(const std::filesystem::path& file, const QXmlStreamReader& xml) {
    return file.filename().string() + " line " + std::to_string(xml.lineNumber()) + ": ";
}

}  // namespace

std::optional<GpsTrack> QtGpxReader::Read(const std::filesystem::path& file, std::string& error) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) {
        error = file.string() + ": " + in.errorString().toStdString();
        return std::nullopt;
    }
    QXmlStreamReader xml(&in);
    GpsTrack track;
    bool inPoint = false;
    bool sawGpx = false;
    GpsPoint point;
    bool hasTime = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"gpx") sawGpx = true;
            if (name == u"trkpt") {
                bool latOk = false;
                bool lonOk = false;
                point = GpsPoint{};
                point.latitude = xml.attributes().value("lat").toDouble(&latOk);
                point.longitude = xml.attributes().value("lon").toDouble(&lonOk);
                point.sourceLine = xml.lineNumber();
                if (!latOk || !lonOk || std::abs(point.latitude) > 90 ||
                    std::abs(point.longitude) > 180) {
                    error = Where(file, xml) + "a track point without a valid lat and lon";
                    return std::nullopt;
                }
                inPoint = true;
                hasTime = false;
            } else if (inPoint && name == u"time") {
                const QString text = xml.readElementText();
                const QDateTime when = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
                if (!when.isValid()) {
                    error = Where(file, xml) + "the time \"" + text.toStdString() +
                            "\" is not an ISO 8601 date and time";
                    return std::nullopt;
                }
                point.time = static_cast<double>(when.toMSecsSinceEpoch()) / 1000.0;
                hasTime = true;
            }
        } else if (xml.isEndElement() && xml.name() == u"trkpt") {
            if (!hasTime) {
                error = Where(file, xml) + "a track point without a time";
                return std::nullopt;
            }
            track.points.push_back(point);
            inPoint = false;
        }
    }
    if (xml.hasError()) {
        error = Where(file, xml) + xml.errorString().toStdString();
        return std::nullopt;
    }
    if (!sawGpx) {
        error = file.filename().string() + ": not a GPX file";
        return std::nullopt;
    }
    return track;
}

}  // namespace kelvaron
