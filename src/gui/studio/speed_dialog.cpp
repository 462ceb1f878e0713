#include "gui/studio/speed_dialog.h"

#include <QtCore/QCoreApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QDoubleSpinBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QProgressDialog>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QVBoxLayout>
#include <atomic>
#include <sstream>
#include <thread>

#include "common/common_util.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/opencv/opencv_optical_flow.h"
#include "platform/qt/qt_gpx_reader.h"
#include "studio/flow_analysis.h"
#include "studio/gps_alignment.h"
#include "studio/track_flow.h"

namespace kelvaron {

namespace {

// The video's motion, measured on a worker thread while the progress dialog
// runs; the cache makes a second call instant.
std::optional<FlowRecord> MeasureWithProgress(const std::filesystem::path& video, QWidget* parent,
                                              std::string& error) {
    if (auto cached = LoadFlowCache(video)) return cached;
    QProgressDialog progress("Measuring the video's motion…", "Stop", 0, 1000, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    std::atomic<int32_t> done{0};
    std::atomic<int32_t> total{1};
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::optional<FlowRecord> record;
    std::string workError;
    std::thread worker([&] {
        FfmpegVideoReader reader;
        OpenCvOpticalFlow flow;
        record = FlowOfVideo(
            video, reader, flow,
            [&](int32_t d, int32_t t) {
                done = d;
                total = t;
                return !stop.load();
            },
            workError);
        finished = true;
    });
    while (!finished) {
        progress.setValue(static_cast<int>(int64_t{done} * 1000 / std::max(1, total.load())));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (progress.wasCanceled()) stop = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.join();
    if (!record) error = workError;
    return record;
}

}  // namespace

SpeedDialog::SpeedDialog(std::filesystem::path video, int32_t currentFrame, QWidget* parent)
    : QDialog(parent),
      video_(std::move(video)),
      sources_(new QTabWidget(this)),
      spans_(new QPlainTextEdit(this)),
      gpx_(new QLineEdit(this)),
      findOffset_(new QCheckBox("find it from the standstills", this)),
      offset_(new QDoubleSpinBox(this)),
      tolerance_(new QDoubleSpinBox(this)) {
    setWindowTitle("Filming speed");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Video: " + QString::fromStdString(video_.string()), this));

    auto* flowPage = new QWidget(this);
    auto* flowLayout = new QVBoxLayout(flowPage);
    flowLayout->addWidget(new QLabel(
        "Spans of known length, one a line: first frame, last frame and the metres between "
        "(kilometre posts, a platform, rail lengths). The frame on screen is " +
            QString::number(currentFrame) + ".",
        flowPage));
    spans_->setPlaceholderText("1200:2900:500");
    flowLayout->addWidget(spans_);
    sources_->addTab(flowPage, "From the video's motion");

    auto* gpsPage = new QWidget(this);
    auto* gpsForm = new QFormLayout(gpsPage);
    auto* browse = new QPushButton("Choose…", gpsPage);
    gpsForm->addRow("GPX file", gpx_);
    gpsForm->addRow("", browse);
    offset_->setRange(-86400, 86400);
    offset_->setDecimals(2);
    offset_->setSuffix(" s");
    findOffset_->setChecked(true);
    gpsForm->addRow("Video starts after the track's first point", offset_);
    gpsForm->addRow("", findOffset_);
    QObject::connect(browse, &QPushButton::clicked, [this] {
        const QString file = QFileDialog::getOpenFileName(this, "GPS track", {}, "GPX (*.gpx)");
        if (!file.isEmpty()) gpx_->setText(file);
    });
    sources_->addTab(gpsPage, "From a GPS track");

    auto* common = new QFormLayout;
    tolerance_->setRange(0.1, 20);
    tolerance_->setValue(kDefaultSpeedTolerance);
    tolerance_->setSuffix(" km/h");
    common->addRow("Tolerance", tolerance_);
    layout->addLayout(common);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &SpeedDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &SpeedDialog::reject);
    layout->addWidget(sources_);
    layout->addWidget(buttons);
}

bool SpeedDialog::Compute(std::string& error) {
    std::optional<SpeedProfile> profile;
    if (sources_->currentIndex() == 0) {
        std::vector<KnownSpan> spans;
        std::istringstream lines(spans_->toPlainText().toStdString());
        for (std::string line; std::getline(lines, line);) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            KnownSpan span;
            char colon1 = 0;
            char colon2 = 0;
            std::istringstream in(line);
            if (!(in >> span.from >> colon1 >> span.to >> colon2 >> span.metres) || colon1 != ':' ||
                colon2 != ':') {
                error = "\"" + line + "\" is not FIRST:LAST:METRES";
                return false;
            }
            spans.push_back(span);
        }
        auto record = MeasureWithProgress(video_, this, error);
        if (!record) return false;
        auto motion = EstimateTrackMotion(*record, error);
        if (!motion) return false;
        profile = CalibratedSpeedProfile(*motion, spans, error);
    } else {
        QtGpxReader reader;
        auto track = reader.Read(gpx_->text().toStdString(), error);
        if (!track) return false;
        VideoTiming timing;
        double offset = offset_->value();
        if (findOffset_->isChecked()) {
            auto record = MeasureWithProgress(video_, this, error);
            if (!record) return false;
            auto motion = EstimateTrackMotion(*record, error);
            if (!motion) return false;
            timing = {record->FrameCount(), record->framesPerSecond, motion->still};
            auto found = FindGpsOffset(*track, timing, error);
            if (!found) return false;
            offset = *found;
            offset_->setValue(offset);
            findOffset_->setChecked(false);
        } else {
            FfmpegVideoReader reader;
            if (!reader.Open(video_)) {
                error = video_.string() + ": no picture stream that can be read";
                return false;
            }
            timing.frameCount = reader.FrameCount();
            timing.framesPerSecond = reader.FramesPerSecond();
        }
        profile = GpsSpeedProfile(*track, offset, timing, error);
    }
    if (!profile) return false;
    result_ = FitSpeedUnits(*profile, tolerance_->value(), error);
    return result_.has_value();
}

void SpeedDialog::accept() {
    std::string error;
    if (!Compute(error)) {
        if (error != "stopped")
            QMessageBox::warning(this, "Filming speed", QString::fromStdString(error));
        return;
    }
    QDialog::accept();
}

}  // namespace kelvaron
