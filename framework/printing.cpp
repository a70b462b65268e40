#include "framework/printing.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>

#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/internal/qt_printing.h"

namespace {

// The field's document, whichever text widget the field is built on.
QTextDocument* FieldDocument(const TextArea& field) {
  QWidget* widget = internal::Native::Widget(field);
  if (auto* edit = qobject_cast<QTextEdit*>(widget)) return edit->document();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->document();
  if (widget) {
    if (auto* edit = widget->findChild<QTextEdit*>()) return edit->document();
    if (auto* plain = widget->findChild<QPlainTextEdit*>()) return plain->document();
  }
  return nullptr;
}

}  // namespace

bool PrintTextAreaBlock(const Ref<TextArea>& field, int width, int height) {
  internal::RequireGuiThread("TextArea.Print");
  RequireObject(field, "field");
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, nullptr);
  if (dialog.exec() != QDialog::Accepted) return false;
  return internal::DrawTextAreaBlock(field, &printer, printer.resolution() / 72.0, width, height);
}

namespace internal {

bool DrawTextAreaBlock(const Ref<TextArea>& field, QPaintDevice* device, double unitsPerPoint, int width, int height) {
  internal::RequireGuiThread("TextArea.Print");
  RequireObject(field, "field");
  QTextDocument* source = FieldDocument(*field);
  if (!source) return false;
  // A copy, so that laying the text out at the printed width leaves the field's own layout alone. It is laid out in
  // logical units, where the fields' fonts are sized, and the painter scales it: laid out for the printer's own
  // resolution, a 10-unit font would be 10 printer dots high.
  std::unique_ptr<QTextDocument> document(source->clone());
  document->setTextWidth(width);
  QPainter painter;
  if (!painter.begin(device)) return false;
  painter.scale(unitsPerPoint, unitsPerPoint);
  document->drawContents(&painter, QRectF(0, 0, width, height));
  painter.end();
  return true;
}

}  // namespace internal
