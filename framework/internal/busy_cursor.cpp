#include "framework/internal/busy_cursor.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

namespace internal {

// A zero timer fires once the work and what it queued (layout, painting) have run.
void ShowBusyUntilIdle() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QTimer::singleShot(0, qApp, [] { QApplication::restoreOverrideCursor(); });
}

// A button's handler may read the window's fields, as Calculate does: with a large text among them it may run long.
bool WindowHoldsLargeText(const QWidget& widget) {
  // By Qt's own type: FieldWidget declares no meta-object, so a search for it would find any plain-text edit.
  const QList<QPlainTextEdit*> fields = widget.window()->findChildren<QPlainTextEdit*>();
  return std::any_of(fields.begin(), fields.end(),
                     [](const QPlainTextEdit* field) { return field->document()->characterCount() >= kLargeText; });
}

}  // namespace internal
