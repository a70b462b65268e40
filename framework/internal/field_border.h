// Internal to the framework: a text field's border, one logical unit thick on the field's outermost device pixels at
// any screen scale, in place of the frame the style would draw. It paints only the border: the field's text and
// background stay the field's own.
#pragma once

#include "framework/internal/internal_only.h"

#include <QObject>

class QPlainTextEdit;

namespace internal {

// Made once per field, which owns it.
class FieldBorder : public QObject {
 public:
  explicit FieldBorder(QPlainTextEdit* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit* field_;
};

}  // namespace internal
