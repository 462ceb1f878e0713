#include "platform/qt/qt_message_box.h"

#include <QtCore/QCoreApplication>
#include <QtWidgets/QMessageBox>

namespace kelvaron {

void QtMessageBox::Show(std::string_view text) {
    QWidget* owner = parent != nullptr && parent->isVisible() ? parent : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace kelvaron
