#pragma once

#include <QtWidgets/QDialog>
#include <string_view>
#include <utility>
#include <vector>

#include "studio/value_sections.h"

class QLineEdit;

namespace kelvaron {

class StudioWindow;

// The line's one-value sections ([LineName], [StartTime], [Staf] …) in one
// form, each value with its meaning and unit. OK puts the changed sections
// into the line, each one step of undo; a value the file cannot hold is named
// and the form stays open.
class LineValuesDialog : public QDialog {
  public:
    explicit LineValuesDialog(StudioWindow& window);

    // The field of value line `line` of section `header`; null when there is none.
    QLineEdit* Edit(std::string_view header, size_t line) const;
    // Puts the changed sections into the line; false at the first one refused.
    bool Apply();

  private:
    StudioWindow& window_;
    std::vector<std::pair<const ValueSectionLayout*, std::vector<QLineEdit*>>> edits_;
};

}  // namespace kelvaron
