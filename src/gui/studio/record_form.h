#pragma once

#include <QtWidgets/QWidget>
#include <string>
#include <vector>

#include "studio/record_kinds.h"

class QComboBox;
class QFormLayout;
class QLineEdit;

namespace kelvaron {

// The fields of one record, each with its meaning and unit, under a choice of
// the record's kind.
class RecordForm : public QWidget {
  public:
    explicit RecordForm(QWidget* parent = nullptr);

    RecordKind Kind() const { return kind_; }
    void SetKind(RecordKind kind);
    void SetFields(RecordKind kind, const std::vector<std::string>& fields);
    std::vector<std::string> Fields() const;
    QLineEdit* FieldEdit(size_t index) const { return edits_.at(index); }

  private:
    void Rebuild();

    RecordKind kind_ = RecordKind::Station;
    QComboBox* kinds_;
    QFormLayout* layout_;
    std::vector<QLineEdit*> edits_;
};

}  // namespace kelvaron
