#include "platform/qt/qt_shell_opener.h"

#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>

namespace kelvaron {

void QtShellOpener::Open(const std::filesystem::path& document) {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString(std::filesystem::absolute(document).string())));
}

}  // namespace kelvaron
