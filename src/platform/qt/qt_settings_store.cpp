#include "platform/qt/qt_settings_store.h"

#include <QtCore/QSettings>

namespace kelvaron {

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
    const QVariant value =
        settings_->value(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (!value.isValid()) return std::nullopt;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return static_cast<int32_t>(number);
}

}  // namespace kelvaron
