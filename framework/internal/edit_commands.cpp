#include "framework/internal/edit_commands.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <map>

#include "framework/internal/field_widget.h"

namespace internal {
namespace {

enum class EditCommand { kNone, kUndo, kCut, kCopy, kPaste, kClear, kSelectAll };

EditCommand EditCommandNamed(const std::string& name) {
  static const std::map<std::string, EditCommand> commands = {
      {"EditUndo", EditCommand::kUndo},   {"EditCut", EditCommand::kCut},
      {"EditCopy", EditCommand::kCopy},   {"EditPaste", EditCommand::kPaste},
      {"EditClear", EditCommand::kClear}, {"EditSelectAll", EditCommand::kSelectAll}};
  auto it = commands.find(name);
  return it == commands.end() ? EditCommand::kNone : it->second;
}

// Every field the framework makes is a FieldWidget, whose Undo reaches back past a text that the program replaced.
bool CanUndo(const QPlainTextEdit& field) {
  const auto* own = dynamic_cast<const FieldWidget*>(&field);
  return own ? own->CanUndo() : field.document()->isUndoAvailable();
}

void Undo(QPlainTextEdit& field) {
  if (auto* own = dynamic_cast<FieldWidget*>(&field)) {
    own->Undo();
  } else {
    field.undo();
  }
}

bool CanEdit(EditCommand command, const QPlainTextEdit* field) {
  if (!field) return false;
  const bool writable = !field->isReadOnly();
  const bool selection = field->textCursor().hasSelection();
  switch (command) {
    case EditCommand::kUndo:
      return writable && CanUndo(*field);
    case EditCommand::kCut:
    case EditCommand::kClear:
      return writable && selection;
    case EditCommand::kCopy:
      return selection;
    case EditCommand::kPaste:
      return writable && field->canPaste();
    case EditCommand::kSelectAll:
      return !field->document()->isEmpty();
    case EditCommand::kNone:
      break;
  }
  return false;
}

void DoEdit(EditCommand command, QPlainTextEdit* field) {
  if (!CanEdit(command, field)) return;
  switch (command) {
    case EditCommand::kUndo:
      Undo(*field);
      break;
    case EditCommand::kCut:
      field->cut();
      break;
    case EditCommand::kCopy:
      field->copy();
      break;
    case EditCommand::kPaste:
      field->paste();
      break;
    case EditCommand::kClear: {
      QTextCursor cursor = field->textCursor();
      cursor.removeSelectedText();
      field->setTextCursor(cursor);
      break;
    }
    case EditCommand::kSelectAll:
      field->selectAll();
      break;
    case EditCommand::kNone:
      break;
  }
}

}  // namespace

std::optional<bool> CanDoEditCommand(const std::string& itemName, const QPlainTextEdit* field) {
  const EditCommand command = EditCommandNamed(itemName);
  if (command == EditCommand::kNone) return std::nullopt;
  return CanEdit(command, field);
}

bool DoEditCommand(const std::string& itemName, QPlainTextEdit* field) {
  const EditCommand command = EditCommandNamed(itemName);
  if (command == EditCommand::kNone) return false;
  DoEdit(command, field);
  return true;
}

QPlainTextEdit* EditTarget::Field(const QWidget& window, const QWidget* menuBar) const {
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !window.isAncestorOf(focus)) focus = window.focusWidget();
  if (!focus || !window.isAncestorOf(focus)) return nullptr;
  if (menuBar && focus == menuBar) return field_;
  return qobject_cast<QPlainTextEdit*>(focus);
}

void EditTarget::FocusMoved(QWidget* now, const QWidget& window, const std::function<void()>& changed) {
  Forget();
  if (auto* field = qobject_cast<QPlainTextEdit*>(now); field && window.isAncestorOf(field)) {
    field_ = field;
    connections_ = {QObject::connect(field, &QPlainTextEdit::selectionChanged, field, changed),
                    QObject::connect(field, &QPlainTextEdit::textChanged, field, changed),
                    QObject::connect(field->document(), &QTextDocument::undoAvailable, field, changed)};
  }
}

void EditTarget::GiveFocusBack(const QWidget& window, const QWidget* menuBar) {
  if (!menuBar || !field_ || !window.isAncestorOf(field_)) return;
  if (QApplication::focusWidget() == menuBar || window.focusWidget() == menuBar) {
    field_->setFocus(Qt::MenuBarFocusReason);
  }
}

void EditTarget::Forget() {
  for (auto& connection : connections_) QObject::disconnect(connection);
  field_ = nullptr;
}

}  // namespace internal
