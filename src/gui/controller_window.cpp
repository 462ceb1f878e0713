#include "gui/controller_window.h"

#include <QtWidgets/QComboBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

#include "platform/qt/qt_pad_profile_store.h"

namespace kelvaron {

namespace {

constexpr int kRefreshMs = 50;

// The driving keys a button can give, with what they do.
struct KeyChoice {
    const char* code;
    const char* meaning;
};
constexpr KeyChoice kKeyChoices[] = {
    {"char z", "power up / one step toward power"},
    {"char a", "power down / one step toward brake"},
    {"char ,", "brake release"},
    {"char .", "brake apply"},
    {"char /", "emergency brake"},
    {"char 8", "one step toward power"},
    {"char 2", "one step toward brake"},
    {"char 5", "power off, brake released"},
    {"char 0", "emergency brake, power off"},
    {"char f", "reverser forward"},
    {"char n", "reverser neutral"},
    {"char b", "reverser back"},
    {"char 3", "horn"},
    {"char 6", "second horn"},
    {"char 4", "buzzer"},
    {"char 1", "second buzzer / next announcement"},
    {"char 7", "doors (one-man train)"},
    {"char r", "emergency reset"},
    {"char space", "train protection acknowledged"},
    {"char s", "gear up"},
    {"char x", "gear down"},
    {"key RETURN", "call-out"},
};

enum AxisColumn {
    kAxisName,
    kAxisReading,
    kAxisRole,
    kAxisDead,
    kAxisRest,
    kAxisFull,
    kAxisOpposite,
    kAxisGives,
    kAxisColumns
};
enum ButtonColumn { kButtonName, kButtonHeld, kButtonKey, kButtonColumns };

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SetCell(QTableWidget& table, int row, int column, const QString& text) {
    QTableWidgetItem* item = table.item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        table.setItem(row, column, item);
    }
    if (item->text() != text) item->setText(text);
}

}  // namespace

ControllerWindow::ControllerWindow(GameControllers& pads, PadProfiles& profiles,
                                   QtPadProfileStore& store, std::filesystem::path mappingsFile)
    : QWidget(nullptr, Qt::Window),
      pads_(pads),
      profiles_(profiles),
      store_(store),
      mappingsFile_(std::move(mappingsFile)),
      deviceList_(new QComboBox(this)),
      note_(new QLabel(this)),
      raw_(new QLabel(this)),
      axes_(new QTableWidget(kPadAxisCount, kAxisColumns, this)),
      buttons_(new QTableWidget(kPadButtonCount, kButtonColumns, this)),
      save_(new QPushButton("Save for this device", this)) {
    setWindowTitle("Game controllers");
    deviceList_->setObjectName("devices");
    save_->setObjectName("save");
    note_->setWordWrap(true);
    raw_->setWordWrap(true);
    raw_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BuildAxisRows();
    BuildButtonRows();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(deviceList_);
    layout->addWidget(note_);
    layout->addWidget(raw_);
    layout->addWidget(
        new QLabel("Axes: move a handle to its off position, its last notch (or EB) and, for one "
                   "handle, its EB end, and press the reading's button at each.",
                   this));
    layout->addWidget(axes_, 2);
    layout->addWidget(buttons_, 3);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(save_);
    layout->addLayout(row);
    resize(760, 640);

    QObject::connect(deviceList_, &QComboBox::currentIndexChanged, [this](int index) {
        if (showing_ || index < 0) return;
        ShowDevice(deviceList_->itemData(index).toString().toStdString());
    });
    QObject::connect(save_, &QPushButton::clicked, [this] { Save(); });
    timer_.setInterval(kRefreshMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Refresh(); });
}

void ControllerWindow::BuildAxisRows() {
    axes_->setHorizontalHeaderLabels({"axis", "reading", "drives", "dead zone", "off at",
                                      "last notch at", "EB end at", "gives"});
    axes_->verticalHeader()->hide();
    for (int a = 0; a < kPadAxisCount; ++a) {
        const QString name = Text(PadAxisName(a));
        SetCell(*axes_, a, kAxisName, name);
        AxisRow& row = axisRows_[static_cast<size_t>(a)];
        row.role = new QComboBox;
        row.role->setObjectName("role/" + name);
        for (AxisRole role :
             {AxisRole::None, AxisRole::Power, AxisRole::Brake, AxisRole::OneHandle}) {
            row.role->addItem(Text(AxisRoleName(role)), static_cast<int>(role));
        }
        row.deadZone = new QSpinBox;
        row.deadZone->setObjectName("dead/" + name);
        row.deadZone->setRange(0, 32767);
        row.rest = new QPushButton;
        row.rest->setObjectName("rest/" + name);
        row.full = new QPushButton;
        row.full->setObjectName("full/" + name);
        row.opposite = new QPushButton;
        row.opposite->setObjectName("opposite/" + name);
        axes_->setCellWidget(a, kAxisRole, row.role);
        axes_->setCellWidget(a, kAxisDead, row.deadZone);
        axes_->setCellWidget(a, kAxisRest, row.rest);
        axes_->setCellWidget(a, kAxisFull, row.full);
        axes_->setCellWidget(a, kAxisOpposite, row.opposite);

        QObject::connect(row.role, &QComboBox::currentIndexChanged, [this, a, &row] {
            if (showing_) return;
            editing_.axes[static_cast<size_t>(a)].role =
                static_cast<AxisRole>(row.role->currentData().toInt());
        });
        QObject::connect(row.deadZone, &QSpinBox::valueChanged, [this, a](int value) {
            if (!showing_) editing_.axes[static_cast<size_t>(a)].deadZone = value;
        });
        QObject::connect(row.rest, &QPushButton::clicked,
                         [this, a] { Capture(a, &AxisBinding::rest); });
        QObject::connect(row.full, &QPushButton::clicked,
                         [this, a] { Capture(a, &AxisBinding::full); });
        QObject::connect(row.opposite, &QPushButton::clicked,
                         [this, a] { Capture(a, &AxisBinding::opposite); });
    }
    axes_->resizeColumnsToContents();
}

void ControllerWindow::BuildButtonRows() {
    buttons_->setHorizontalHeaderLabels({"button", "held", "gives"});
    buttons_->verticalHeader()->hide();
    buttons_->horizontalHeader()->setStretchLastSection(true);
    for (int b = 0; b < kPadButtonCount; ++b) {
        const QString name = Text(PadButtonName(b));
        SetCell(*buttons_, b, kButtonName, name);
        SetCell(*buttons_, b, kButtonHeld, "");
        auto* keys = new QComboBox;
        keys->setObjectName("key/" + name);
        keys->addItem("(nothing)", QString());
        for (const KeyChoice& choice : kKeyChoices) {
            keys->addItem(QString("%1 - %2").arg(choice.code, choice.meaning), choice.code);
        }
        buttons_->setCellWidget(b, kButtonKey, keys);
        keys_[static_cast<size_t>(b)] = keys;
        QObject::connect(keys, &QComboBox::currentIndexChanged, [this, b, keys] {
            if (showing_) return;
            editing_.buttons[static_cast<size_t>(b)] =
                ParseCode(keys->currentData().toString().toStdString());
        });
    }
}

void ControllerWindow::SetNotches(int32_t power, int32_t brake) {
    power_ = power;
    brake_ = brake;
}

void ControllerWindow::ShowDevice(const std::string& guid) {
    guid_ = guid;
    editing_ = profiles_.For(guid);
    ShowTable();
}

void ControllerWindow::ShowTable() {
    showing_ = true;
    for (size_t a = 0; a < axisRows_.size(); ++a) {
        const AxisBinding& b = editing_.axes[a];
        AxisRow& row = axisRows_[a];
        row.role->setCurrentIndex(row.role->findData(static_cast<int>(b.role)));
        row.deadZone->setValue(b.deadZone);
        row.rest->setText(QString::number(b.rest));
        row.full->setText(QString::number(b.full));
        row.opposite->setText(QString::number(b.opposite));
        row.opposite->setEnabled(b.role == AxisRole::OneHandle);
    }
    for (size_t n = 0; n < keys_.size(); ++n) {
        const auto& code = editing_.buttons[n];
        const int index = code ? keys_[n]->findData(Text(CodeText(*code))) : 0;
        keys_[n]->setCurrentIndex(std::max(index, 0));
    }
    showing_ = false;
}

void ControllerWindow::Capture(int axis, int32_t AxisBinding::*end) {
    for (const PadDevice& device : devices_) {
        if (device.guid != guid_ || !device.mapped) continue;
        editing_.axes[static_cast<size_t>(axis)].*end = device.axes[static_cast<size_t>(axis)];
        ShowTable();
        ShowReadings();
        return;
    }
}

void ControllerWindow::Save() {
    if (guid_.empty()) return;
    profiles_.Set(guid_, editing_);
    store_.Save(guid_, editing_);
}

void ControllerWindow::Refresh() {
    devices_ = pads_.Poll();
    // The list changes only when a device comes or goes, so a choice stays put.
    std::vector<std::string> listed;
    for (int i = 0; i < deviceList_->count(); ++i) {
        listed.push_back(deviceList_->itemData(i).toString().toStdString());
    }
    std::vector<std::string> attached;
    for (const PadDevice& d : devices_) attached.push_back(d.guid);
    if (listed != attached) {
        showing_ = true;
        deviceList_->clear();
        for (const PadDevice& d : devices_) {
            deviceList_->addItem(Text(d.name + "  [" + d.guid + "]"), Text(d.guid));
        }
        showing_ = false;
        const int keep = deviceList_->findData(Text(guid_));
        if (keep >= 0) {
            deviceList_->setCurrentIndex(keep);
        } else if (!devices_.empty()) {
            deviceList_->setCurrentIndex(0);
            ShowDevice(devices_.front().guid);
        } else {
            guid_.clear();
        }
    }
    ShowReadings();
}

void ControllerWindow::ShowReadings() {
    const PadDevice* device = nullptr;
    for (const PadDevice& d : devices_) {
        if (d.guid == guid_) device = &d;
    }
    save_->setEnabled(device != nullptr);
    axes_->setEnabled(device != nullptr && device->mapped);
    buttons_->setEnabled(device != nullptr && device->mapped);
    if (device == nullptr) {
        note_->setText("No game controller is attached.");
        raw_->clear();
        return;
    }
    note_->setText(device->mapped
                       ? QString("Mapped as a game controller: %1").arg(Text(device->name))
                       : QString("SDL has no mapping for this device: add a line for GUID %1 "
                                 "to %2 and start the program again.")
                             .arg(Text(device->guid), Text(mappingsFile_.string())));
    QString raw = "raw axes:";
    for (size_t i = 0; i < device->rawAxes.size(); ++i) {
        raw += QString("  %1=%2").arg(i).arg(device->rawAxes[i]);
    }
    raw += "\nraw buttons held:";
    for (size_t i = 0; i < device->rawButtons.size(); ++i) {
        if (device->rawButtons[i]) raw += QString(" %1").arg(i);
    }
    raw_->setText(raw);
    if (!device->mapped) return;

    for (int a = 0; a < kPadAxisCount; ++a) {
        const int32_t reading = device->axes[static_cast<size_t>(a)];
        SetCell(*axes_, a, kAxisReading, QString::number(reading));
        const HandlePosition position =
            AxisPosition(editing_.axes[static_cast<size_t>(a)], reading, power_, brake_);
        SetCell(*axes_, a, kAxisGives, Text(PositionText(position, brake_)));
    }
    for (int b = 0; b < kPadButtonCount; ++b) {
        const bool held = (device->buttons >> b) & 1u;
        const auto& code = editing_.buttons[static_cast<size_t>(b)];
        SetCell(*buttons_, b, kButtonHeld,
                held ? (code ? Text("held: " + CodeText(*code)) : QString("held")) : QString());
    }
}

void ControllerWindow::showEvent(QShowEvent* event) {
    Refresh();
    timer_.start();
    QWidget::showEvent(event);
}

void ControllerWindow::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace kelvaron
