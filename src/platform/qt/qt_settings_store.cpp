#include "platform/qt/qt_settings_store.h"

#include <QtCore/QSettings>

namespace kelvaron {

namespace {

QString Key(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore() = default;
QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::OpenKey() {
    // Opened afresh each time, so that values changed between runs are seen.
    settings_ = std::make_unique<QSettings>("Kelvaron", "dgcontroller");
    // A missing store reads as empty; only one that cannot be read fails.
    return settings_->status() != QSettings::AccessError;
}

std::optional<int32_t> QtSettingsStore::ReadInt(std::string_view name) {
    if (!settings_) return std::nullopt;
    const QVariant value = settings_->value(Key(name));
    if (!value.isValid()) return std::nullopt;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return static_cast<int32_t>(number);
}

bool QtSettingsStore::Contains(std::string_view name) {
    return settings_ && settings_->contains(Key(name));
}

void QtSettingsStore::WriteInt(std::string_view name, int32_t value) {
    if (!settings_) return;
    settings_->setValue(Key(name), value);
    // Written at once, so that the file is there to edit while the program runs.
    settings_->sync();
}

}  // namespace kelvaron
