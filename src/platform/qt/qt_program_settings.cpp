#include "platform/qt/qt_program_settings.h"

#include <QtCore/QFileInfo>
#include <QtCore/QSettings>

#include "shell/line_folders.h"

namespace kelvaron {

std::unique_ptr<QSettings> OpenProgramSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron",
                                       "kelvaron");
}

namespace {
constexpr const char* kRecentKey = "RecentFolders";
}

std::vector<std::string> ReadRecentFolders() {
    std::vector<std::string> folders;
    for (const QString& folder : OpenProgramSettings()->value(kRecentKey).toStringList()) {
        folders.push_back(folder.toStdString());
    }
    return folders;
}

void WriteRecentFolders(const std::vector<std::string>& folders) {
    QStringList list;
    for (const std::string& folder : folders) list.push_back(QString::fromStdString(folder));
    OpenProgramSettings()->setValue(kRecentKey, list);
}

void RememberFolder(const std::filesystem::path& folder) {
    RecentFolders recent(ReadRecentFolders());
    recent.Use(folder);
    WriteRecentFolders(recent.Stored());
}

std::filesystem::path SettingsFolder() {
    return QFileInfo(OpenProgramSettings()->fileName()).absolutePath().toStdString();
}

}  // namespace kelvaron
