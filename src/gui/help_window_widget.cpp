#include "gui/help_window_widget.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QPlainTextEdit>

#include "common/text_file.h"

namespace kelvaron {

bool ReadHelpText(const std::filesystem::path& dataDir, HelpText& text, std::string* error) {
    TextFile in;
    std::string reason;
    if (!in.OpenData(dataDir, kHelpTextFile, &reason)) {
        if (error) *error = std::string(kHelpTextFile) + ": " + reason;
        return false;
    }
    text.caption = in.ReadLine();
    while (!in.Eof()) text.lines.push_back(in.ReadLine());
    return true;
}

HelpWindowWidget::HelpWindowWidget(const KeyRoute& keys, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      keys_(keys),
      memo_(new QPlainTextEdit(this)) {
    setFixedSize(227, 331);
    move(567, 341);
    setWindowTitle("Help");
    memo_->setGeometry(0, 0, 225, 329);
    memo_->setReadOnly(true);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The instructions are laid out in columns of the Japanese fixed-width
    // kind: a full-width character takes exactly two half-width places. The
    // usual monospaced fonts borrow wider or narrower Japanese glyphs from
    // elsewhere, which throws every line with them out of line.
    QFont font;
    font.setFamilies({"IPAGothic", "Monospace"});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    memo_->setFont(font);
    memo_->installEventFilter(this);
}

void HelpWindowWidget::LoadText(const std::filesystem::path& dataDir, MessageBox& messages) {
    HelpText text;
    std::string error;
    if (ReadHelpText(dataDir, text, &error)) {
        ShowText(text);
    } else {
        messages.Show(error);
    }
}

void HelpWindowWidget::ShowText(const HelpText& text) {
    setWindowTitle(QString::fromStdString(text.caption));
    memo_->clear();
    for (const std::string& line : text.lines) {
        memo_->appendPlainText(QString::fromStdString(line));
    }
    memo_->moveCursor(QTextCursor::Start);
}

bool HelpWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    // The text box still scrolls with the keys; being read-only it changes nothing.
    if (watched == memo_ && event->type() == QEvent::KeyPress) {
        keys_.Forward(*static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kelvaron
