#pragma once

#include <QtWidgets/QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/key_route.h"
#include "platform/message_box.h"

class QPlainTextEdit;

namespace kelvaron {

// The operating instructions file: its first line is the window caption, the
// lines after it the text.
struct HelpText {
    std::string caption;
    std::vector<std::string> lines;
};

inline constexpr const char* kHelpTextFile = "operation.dat";

// Reads the instructions file of the data folder; false, with the file's name
// and the reason, when it cannot be read.
bool ReadHelpText(const std::filesystem::path& dataDir, HelpText& text, std::string* error);

// The help window: the instructions in a read-only text box. Keys typed into
// it drive the train as they do in the run window.
class HelpWindowWidget : public QWidget {
  public:
    explicit HelpWindowWidget(const KeyRoute& keys, QWidget* parent = nullptr);

    void ShowText(const HelpText& text);
    // Reads the instructions of a line folder and shows them; a file that
    // cannot be read is reported through `messages`.
    void LoadText(const std::filesystem::path& dataDir, MessageBox& messages);
    QPlainTextEdit& TextBox() { return *memo_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const KeyRoute& keys_;
    QPlainTextEdit* memo_;
};

}  // namespace kelvaron
