#include "gui/studio/record_form.h"

#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QVBoxLayout>

namespace kelvaron {

RecordForm::RecordForm(QWidget* parent)
    : QWidget(parent), kinds_(new QComboBox(this)), layout_(new QFormLayout) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(kinds_);
    outer->addLayout(layout_);
    outer->addStretch();
    for (const auto& layout : RecordKinds()) {
        kinds_->addItem(
            QString::fromUtf8(layout.caption.data(), static_cast<int>(layout.caption.size())) +
            "  " + QString::fromUtf8(layout.header.data(), static_cast<int>(layout.header.size())));
    }
    QObject::connect(kinds_, &QComboBox::currentIndexChanged, [this](int index) {
        if (index >= 0 && static_cast<RecordKind>(index) != kind_) {
            kind_ = static_cast<RecordKind>(index);
            Rebuild();
        }
    });
    Rebuild();
}

void RecordForm::Rebuild() {
    while (layout_->rowCount() > 0) layout_->removeRow(0);
    edits_.clear();
    for (const FieldLayout& field : LayoutOf(kind_).fields) {
        auto* edit = new QLineEdit(this);
        edit->setToolTip(
            QString::fromUtf8(field.meaning.data(), static_cast<int>(field.meaning.size())));
        auto* label = new QLabel(
            QString::fromUtf8(field.name.data(), static_cast<int>(field.name.size())), this);
        label->setToolTip(edit->toolTip());
        edit->setPlaceholderText(edit->toolTip());
        layout_->addRow(label, edit);
        edits_.push_back(edit);
    }
}

void RecordForm::SetKind(RecordKind kind) {
    kinds_->setCurrentIndex(static_cast<int>(kind));
}

void RecordForm::SetFields(RecordKind kind, const std::vector<std::string>& fields) {
    SetKind(kind);
    for (size_t i = 0; i < edits_.size() && i < fields.size(); ++i) {
        edits_[i]->setText(QString::fromStdString(fields[i]));
    }
}

std::vector<std::string> RecordForm::Fields() const {
    std::vector<std::string> fields;
    for (const QLineEdit* edit : edits_) fields.push_back(edit->text().toStdString());
    return fields;
}

}  // namespace kelvaron
