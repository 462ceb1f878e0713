#include "platform/qt/qt_pad_profile_store.h"

#include <QtCore/QSettings>

#include "platform/qt/qt_program_settings.h"

namespace kelvaron {

namespace {
constexpr const char* kGroup = "GameControllers";
}

PadProfiles QtPadProfileStore::Load() const {
    PadProfiles profiles;
    const auto opened = OpenProgramSettings();
    QSettings& settings = *opened;
    settings.beginGroup(kGroup);
    for (const QString& guid : settings.childGroups()) {
        settings.beginGroup(guid);
        std::map<std::string, std::string> entries;
        for (const QString& key : settings.allKeys()) {
            entries[key.toStdString()] = settings.value(key).toString().toStdString();
        }
        settings.endGroup();
        profiles.Set(guid.toStdString(), ProfileFromEntries(entries));
    }
    return profiles;
}

void QtPadProfileStore::Save(const std::string& guid, const PadProfile& profile) {
    const auto opened = OpenProgramSettings();
    QSettings& settings = *opened;
    settings.beginGroup(QString(kGroup) + '/' + QString::fromStdString(guid));
    settings.remove("");
    for (const auto& [key, value] : ProfileEntries(profile)) {
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    }
    settings.endGroup();
    settings.sync();
}

}  // namespace kelvaron
