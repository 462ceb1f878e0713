#include "gui/studio/line_values_dialog.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QVBoxLayout>
#include <string>

#include "gui/studio/studio_window.h"

namespace kelvaron {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

LineValuesDialog::LineValuesDialog(StudioWindow& window) : QDialog(&window), window_(window) {
    setWindowTitle("Line values");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    for (const ValueSectionLayout& section : ValueSections()) {
        const std::string header(section.header);
        const std::vector<std::string> values = window_.Line().Values(header);
        std::vector<QLineEdit*> edits;
        for (size_t i = 0; i < section.lines.size(); ++i) {
            auto* edit = new QLineEdit(QString::fromStdString(values[i]), this);
            edit->setToolTip(Text(section.lines[i].meaning));
            form->addRow(Text(section.lines[i].name), edit);
            auto* meaning = new QLabel(Text(section.lines[i].meaning), this);
            meaning->setStyleSheet("color: gray;");
            form->addRow(QString(), meaning);
            edits.push_back(edit);
        }
        edits_.emplace_back(&section, std::move(edits));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Apply()) accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QLineEdit* LineValuesDialog::Edit(std::string_view header, size_t line) const {
    for (const auto& [section, edits] : edits_) {
        if (section->header == header && line < edits.size()) return edits[line];
    }
    return nullptr;
}

bool LineValuesDialog::Apply() {
    std::vector<std::pair<std::string, std::vector<std::string>>> changed;
    for (const auto& [section, edits] : edits_) {
        std::string header(section->header);
        std::vector<std::string> values;
        for (const QLineEdit* edit : edits) values.push_back(edit->text().toStdString());
        // An untouched section stays as the file has it, even where it has none.
        if (values == window_.Line().Values(header)) continue;
        changed.emplace_back(std::move(header), std::move(values));
    }
    // All or nothing: the first value the file cannot hold is named before any goes in.
    for (const auto& [header, values] : changed) {
        if (!window_.CheckLineValues(header, values)) return false;
    }
    for (const auto& [header, values] : changed) {
        if (!window_.SetLineValues(header, values)) return false;
    }
    return true;
}

}  // namespace kelvaron
