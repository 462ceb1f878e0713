#include "gui/studio/studio_window.h"

#include <QtGui/QAction>
#include <QtGui/QCloseEvent>
#include <QtGui/QKeySequence>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSlider>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "common/common_util.h"
#include "data/track_position_table.h"
#include "gui/panel_painter.h"
#include "gui/studio/line_values_dialog.h"
#include "gui/studio/profile_chart.h"
#include "gui/studio/record_form.h"
#include "gui/studio/speed_dialog.h"
#include "gui/studio/timeline_view.h"
#include "studio/line_profile.h"
#include "studio/line_video.h"

namespace kelvaron {

namespace {

// The copy of the line a test drive reads: beside the line, so that the names
// inside it resolve as they will for the line itself.
constexpr const char* kTestDriveFile = ".studio-test-drive.dat";

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString Metres(const std::optional<int32_t>& position) {
    if (!position) return "–";
    return QString::number(*position / 100.0, 'f', 2);
}

}  // namespace

StudioWindow::StudioWindow(StudioLine line, std::filesystem::path video, QWidget* parent)
    : QMainWindow(parent),
      line_(std::move(line)),
      video_(std::move(video)),
      encoding_(line_.Document().Encoding()),
      picture_(new QLabel(this)),
      slider_(new QSlider(Qt::Horizontal, this)),
      frameBox_(new QSpinBox(this)),
      place_(new QLabel(this)),
      timeline_(new TimelineView(this)),
      table_(new QTableWidget(this)),
      form_(new RecordForm(this)),
      chart_(new ProfileChart(this)),
      check_(new QLabel(this)),
      encodingBox_(new QComboBox(this)) {
    if (video_.empty()) video_ = LineVideoPath(line_.DataDir(), line_.Definition().DataName);
    const bool hasVideo = reader_.Open(video_);
    const int32_t frames = hasVideo ? reader_.FrameCount() : 1;

    picture_->setFixedSize(kFrameWidth, kFrameHeight);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setStyleSheet("background: black; color: white;");
    if (!hasVideo) picture_->setText("No video: " + QString::fromStdString(video_.string()));
    slider_->setRange(0, std::max(0, frames - 1));
    frameBox_->setRange(0, std::max(0, frames - 1));
    timeline_->SetFrameCount(frames);
    QObject::connect(slider_, &QSlider::valueChanged, [this](int f) { ShowFrame(f); });
    QObject::connect(frameBox_, &QSpinBox::valueChanged, [this](int f) { ShowFrame(f); });
    timeline_->onFrameChosen = [this](int32_t f) { ShowFrame(f); };

    auto step = [this](const char* text, int frames) {
        auto* button = new QPushButton(text, this);
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &QPushButton::clicked,
                         [this, frames] { ShowFrame(frame_ + frames); });
        return button;
    };
    auto* scrub = new QHBoxLayout;
    scrub->addWidget(step("−1 s", -30));
    scrub->addWidget(step("−1", -1));
    scrub->addWidget(slider_, 1);
    scrub->addWidget(step("+1", 1));
    scrub->addWidget(step("+1 s", 30));
    scrub->addWidget(frameBox_);
    scrub->addWidget(place_);

    table_->setColumnCount(5);
    table_->setHorizontalHeaderLabels({"Record", "No.", "Frame", "Distance m", "Fields"});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(table_, &QTableWidget::itemSelectionChanged, [this] {
        if (auto record = Selected()) form_->SetFields(record->kind, record->fields);
    });
    QObject::connect(table_, &QTableWidget::cellDoubleClicked, [this](int row, int) {
        if (row >= 0 && static_cast<size_t>(row) < records_.size()) {
            ShowFrame(static_cast<int32_t>(std::floor(records_[static_cast<size_t>(row)].frame)));
        }
    });

    auto button = [this](const char* text, bool (StudioWindow::*action)()) {
        auto* b = new QPushButton(text, this);
        QObject::connect(b, &QPushButton::clicked, [this, action] { (this->*action)(); });
        return b;
    };
    auto* formButtons = new QHBoxLayout;
    formButtons->addWidget(button("Add at this frame", &StudioWindow::AddAtCurrentFrame));
    formButtons->addWidget(button("Apply", &StudioWindow::ApplyToSelected));
    formButtons->addWidget(button("Move here", &StudioWindow::MoveSelectedHere));
    formButtons->addWidget(button("Delete", &StudioWindow::DeleteSelected));
    auto* formBox = new QWidget(this);
    auto* formLayout = new QVBoxLayout(formBox);
    formLayout->addWidget(form_);
    formLayout->addLayout(formButtons);

    check_->setWordWrap(true);
    check_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(picture_, 0, Qt::AlignHCenter);
    leftLayout->addLayout(scrub);
    leftLayout->addWidget(timeline_);
    leftLayout->addWidget(chart_);
    leftLayout->addWidget(check_);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(formBox);
    right->addWidget(table_);
    splitter->addWidget(right);
    setCentralWidget(splitter);

    encodingBox_->addItem("Shift-JIS");
    encodingBox_->addItem("UTF-8");
    encodingBox_->setCurrentIndex(encoding_ == TextEncoding::Utf8 ? 1 : 0);
    QObject::connect(encodingBox_, &QComboBox::currentIndexChanged, [this](int index) {
        encoding_ = index == 1 ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
    });
    BuildMenus();
    resize(1280, 820);
    Refresh();
    ShowFrame(line_.Definition().StartPos);
}

StudioWindow::~StudioWindow() = default;

void StudioWindow::BuildMenus() {
    auto* file = menuBar()->addMenu("&File");
    auto* edit = menuBar()->addMenu("&Edit");
    auto* line = menuBar()->addMenu("&Line");
    auto add = [this](QMenu* menu, const char* text, QKeySequence keys, auto action) {
        QAction* a = menu->addAction(text);
        a->setShortcut(keys);
        QObject::connect(a, &QAction::triggered, this, action);
        return a;
    };
    add(file, "&Save", QKeySequence::Save, [this] { Save(); });
    add(file, "&Close", QKeySequence::Close, [this] { close(); });
    add(edit, "&Undo", QKeySequence::Undo, [this] {
        line_.Undo();
        Refresh();
    });
    add(edit, "&Redo", QKeySequence::Redo, [this] {
        line_.Redo();
        Refresh();
    });
    add(edit, "&Add at this frame", QKeySequence(Qt::CTRL | Qt::Key_Return),
        [this] { AddAtCurrentFrame(); });
    add(edit, "&Delete", QKeySequence::Delete, [this] { DeleteSelected(); });
    add(line, "Line &values…", QKeySequence(), [this] { LineValuesDialog(*this).exec(); });
    add(line, "Filming &speed…", QKeySequence(), [this] { SpeedFromVideoOrGps(); });
    // The captions are those of the run window's Controller menu, where the same driver is
    // handed the train.
    auto* drive = line->addMenu("&Test drive");
    add(drive, "手動運転", QKeySequence(Qt::Key_F5), [this] { TestDrive(TestDriver::Player); });
    add(drive, "自動運転", QKeySequence(Qt::SHIFT | Qt::Key_F5),
        [this] { TestDrive(TestDriver::Automatic); });

    auto* bar = addToolBar("Studio");
    bar->addAction("Save", [this] { Save(); });
    bar->addWidget(encodingBox_);
    bar->addSeparator();
    bar->addAction("Undo", [this] {
        line_.Undo();
        Refresh();
    });
    bar->addAction("Redo", [this] {
        line_.Redo();
        Refresh();
    });
    bar->addSeparator();
    bar->addAction("Filming speed…", [this] { SpeedFromVideoOrGps(); });
    auto* driveButton = new QToolButton(bar);
    driveButton->setText("Test drive");
    driveButton->setMenu(drive);
    driveButton->setPopupMode(QToolButton::InstantPopup);
    bar->addWidget(driveButton);
}

void StudioWindow::ShowFrame(int32_t frame) {
    frame = std::clamp(frame, 0, std::max(0, reader_.FrameCount() - 1));
    frame_ = frame;
    Picture picture;
    if (reader_.DecodeFrame(frame, picture)) {
        picture_->setPixmap(QPixmap::fromImage(ToImage(picture)));
    }
    const QSignalBlocker a(slider_);
    const QSignalBlocker b(frameBox_);
    slider_->setValue(frame);
    frameBox_->setValue(frame);
    timeline_->SetCurrentFrame(frame);
    place_->setText(PositionOfFrame(line_.Definition(), frame)
                        ? Metres(PositionOfFrame(line_.Definition(), frame)) + " m"
                        : "no filming speed here");
}

void StudioWindow::Refresh() {
    records_ = line_.AllRecords();
    std::stable_sort(
        records_.begin(), records_.end(),
        [](const StudioRecord& a, const StudioRecord& b) { return a.frame < b.frame; });
    const QSignalBlocker blocker(table_);
    table_->setRowCount(static_cast<int>(records_.size()));
    for (size_t i = 0; i < records_.size(); ++i) {
        const StudioRecord& r = records_[i];
        std::string fields;
        for (size_t f = 0; f < r.fields.size(); ++f) fields += (f ? "," : "") + r.fields[f];
        const QString cells[] = {Text(LayoutOf(r.kind).caption), QString::number(r.index),
                                 QString::number(static_cast<double>(r.frame), 'f', 1),
                                 Metres(r.position), QString::fromStdString(fields)};
        for (int c = 0; c < 5; ++c)
            table_->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
    }
    timeline_->SetRecords(records_, line_.Definition().SpeedUnit);
    chart_->SetProfile(line_.CheckMessage().empty() ? BuildLineProfile(line_.Definition())
                                                    : LineProfile{});
    if (line_.CheckMessage().empty()) {
        check_->setStyleSheet("color: darkgreen;");
        check_->setText("check: no faults");
    } else {
        check_->setStyleSheet("color: darkred;");
        QString where;
        if (line_.Source().faultLine)
            where = " (line " + QString::number(*line_.Source().faultLine + 1) + ")";
        check_->setText(QString::fromStdString(line_.CheckMessage()) + where);
    }
    setWindowTitle(QString::fromStdString(line_.FileName()) + (line_.Modified() ? " *" : "") +
                   " — Kelvaron line studio");
    place_->setText(PositionOfFrame(line_.Definition(), frame_)
                        ? Metres(PositionOfFrame(line_.Definition(), frame_)) + " m"
                        : "no filming speed here");
}

void StudioWindow::Tell(const std::string& text) {
    if (onMessage) {
        onMessage(text);
    } else {
        QMessageBox::warning(this, "Line studio", QString::fromStdString(text));
    }
}

std::optional<StudioRecord> StudioWindow::Selected() const {
    const auto rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    const auto row = static_cast<size_t>(rows.front().row());
    if (row >= records_.size()) return std::nullopt;
    return records_[row];
}

void StudioWindow::SelectRecord(RecordKind kind, size_t index) {
    for (size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].kind == kind && records_[i].index == index) {
            table_->selectRow(static_cast<int>(i));
            return;
        }
    }
}

bool StudioWindow::AddAtCurrentFrame() {
    const RecordKind kind = form_->Kind();
    // An empty form is filled in for the frame on screen; a filled one is taken as it stands.
    auto fields = form_->Fields();
    if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); })) {
        fields = DefaultFields(kind, frame_);
    }
    std::string error;
    if (!line_.Add(kind, fields, error)) {
        Tell(error);
        return false;
    }
    Refresh();
    for (const StudioRecord& r : line_.Records(kind)) {
        if (r.fields == fields) SelectRecord(kind, r.index);
    }
    return true;
}

bool StudioWindow::ApplyToSelected() {
    auto record = Selected();
    if (!record || record->kind != form_->Kind()) {
        Tell("choose a record of this kind in the table first");
        return false;
    }
    std::string error;
    if (!line_.Replace(record->kind, record->index, form_->Fields(), error)) {
        Tell(error);
        return false;
    }
    Refresh();
    return true;
}

bool StudioWindow::MoveSelectedHere() {
    auto record = Selected();
    if (!record) {
        Tell("choose a record in the table first");
        return false;
    }
    std::string error;
    const auto by = static_cast<int32_t>(std::lround(frame_ - static_cast<double>(record->frame)));
    if (!line_.Move(record->kind, record->index, by, error)) {
        Tell(error);
        return false;
    }
    Refresh();
    return true;
}

bool StudioWindow::DeleteSelected() {
    auto record = Selected();
    if (!record) return false;
    std::string error;
    if (!line_.Remove(record->kind, record->index, error)) {
        Tell(error);
        return false;
    }
    Refresh();
    return true;
}

void StudioWindow::SetEncoding(TextEncoding encoding) {
    encodingBox_->setCurrentIndex(encoding == TextEncoding::Utf8 ? 1 : 0);
}

bool StudioWindow::Save() {
    std::string error;
    if (!line_.Save(encoding_, error)) {
        Tell(error);
        return false;
    }
    Refresh();
    return true;
}

bool StudioWindow::SetLineValues(const std::string& header,
                                 const std::vector<std::string>& values) {
    std::string error;
    if (!line_.SetValue(header, values, error)) {
        Tell(error);
        return false;
    }
    Refresh();
    return true;
}

bool StudioWindow::CheckLineValues(const std::string& header,
                                   const std::vector<std::string>& values) {
    if (auto fault = StudioLine::CheckValues(header, values)) {
        Tell(*fault);
        return false;
    }
    return true;
}

bool StudioWindow::UseSpeedFit(const std::vector<SpeedUnitData>& units) {
    std::string error;
    if (!line_.ReplaceSpeedUnits(units, error)) {
        Tell(error);
        return false;
    }
    Refresh();
    return true;
}

void StudioWindow::SpeedFromVideoOrGps() {
    SpeedDialog dialog(video_, frame_, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Result()) return;
    UseSpeedFit(dialog.Result()->units);
    Tell(ToDecimal(static_cast<int64_t>(dialog.Result()->units.size())) +
         " filming-speed units, within " +
         FormatFixed4(static_cast<Fixed4>(dialog.Result()->tolerance * 10000), 2) + " km/h");
}

std::optional<size_t> StudioWindow::TestDriveStation() const {
    const auto& stations = line_.Definition().Station;
    if (stations.empty()) return std::nullopt;
    // A station the train passes has no timetable to start from: moved there, the run's clock
    // would read midnight.
    size_t chosen = 0;
    for (size_t i = 0; i < stations.size(); ++i) {
        const long double middle =
            (static_cast<long double>(stations[i].ZoneStart) + stations[i].ZoneEnd) / 2;
        if (middle <= frame_ && stations[i].Kind != 1) chosen = i;
    }
    return chosen;
}

void StudioWindow::TestDrive(TestDriver driver) {
    if (!line_.CheckMessage().empty()) {
        Tell("the line has a fault the run would stop at:\n" + line_.CheckMessage());
        return;
    }
    std::string error;
    auto bytes = line_.Bytes(encoding_, error);
    if (!bytes) {
        Tell(error);
        return;
    }
    const auto copy = line_.DataDir() / kTestDriveFile;
    {
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
        if (!out) {
            Tell(copy.string() + " cannot be written");
            return;
        }
    }
    if (onTestDrive) onTestDrive(kTestDriveFile, TestDriveStation(), driver);
}

void StudioWindow::closeEvent(QCloseEvent* event) {
    std::error_code ignored;
    std::filesystem::remove(line_.DataDir() / kTestDriveFile, ignored);
    if (line_.Modified() && !onMessage) {
        const auto answer = QMessageBox::question(
            this, "Line studio",
            "Save the changes to " + QString::fromStdString(line_.FileName()) + "?",
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !Save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace kelvaron
