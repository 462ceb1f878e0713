#include "platform/qt/qt_shell_opener.h"

#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>

namespace kelvaron {

bool QtShellOpener::Open(const std::filesystem::path& document) {
    return QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString(std::filesystem::absolute(document).string())));
}

}  // namespace kelvaron
