#include "framework/internal/field_widget.h"

#include <QMenu>
#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>

#include "framework/internal/busy_cursor.h"
#include "framework/internal/control_qt.h"
#include "framework/internal/field_border.h"
#include "framework/internal/qt_controls.h"

using internal::FieldWidget;
using internal::IsPrintable;

namespace {

// Ctrl without Alt makes a shortcut; Ctrl with Alt is how some systems report AltGr, which types.
bool IsShortcut(const QKeyEvent& e) {
  return (e.modifiers() & Qt::ControlModifier) && !(e.modifiers() & Qt::AltModifier);
}

// What Qt would insert for the key: its text, when that starts with a printable character. Named keys
// (Backspace, Tab, Return, arrows...) carry no such text and keep their own key texts.
QString InsertableText(const QKeyEvent& e) {
  const QString text = e.text();
  if (text.isEmpty() || !IsPrintable(text.toUcs4().value(0))) return {};
  return text;
}

}  // namespace

FieldWidget::FieldWidget(QWidget* parent, std::weak_ptr<Object> control, int keyDownEvent)
    : QPlainTextEdit(parent), control_(std::move(control)), keyDownEvent_(keyDownEvent) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  new internal::FieldBorder(this);
}

// KeyDown comes before the field sees the key, Tab included (QWidget::event moves the focus before
// keyPressEvent would see it). In a field with a KeyDown binding, every text that typing would insert meets
// KeyDown one character at a time, however it arrives: with Alt or Meta held, as several characters in one key
// event, or as an input method's commit (dead keys, compose). Otherwise such text would slip past the filter.
bool FieldWidget::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress && HasKeyDown()) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (const QString typed = InsertableText(*key); !typed.isEmpty()) {
      return IsShortcut(*key) ? ForwardWithoutText(*key) : TypeThroughKeyDown(*key, typed);
    }
    if (std::optional<std::string> text = FrameworkKeyText(*key)) {
      QPointer<FieldWidget> alive(this);
      EventArgs args;
      args.key = *text;
      const bool dropped = internal::FireFromQt(control_, keyDownEvent_, args);
      if (!alive || control_.expired()) return true;
      if (dropped) {
        key->accept();
        return true;
      }
    }
  } else if (e->type() == QEvent::InputMethod && HasKeyDown()) {
    auto* input = static_cast<QInputMethodEvent*>(e);
    if (!input->commitString().isEmpty()) return CommitThroughKeyDown(*input);
  }
  return QPlainTextEdit::event(e);
}

void FieldWidget::StartText(const QString& text) {
  setPlainText(text);
  document()->clearUndoRedoStacks();
  for (QTextDocument* document : replaced_) delete document;
  replaced_.clear();
}

void FieldWidget::ReplaceText(const QString& text) {
  QTextDocument* old = document();
  auto* fresh = new QTextDocument(this);
  fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
  fresh->setDefaultFont(old->defaultFont());
  fresh->setDefaultTextOption(old->defaultTextOption());  // the alignment and the wrapping
  fresh->setDocumentMargin(old->documentMargin());
  fresh->setPlainText(text);
  fresh->clearUndoRedoStacks();
  // The editor deletes a replaced document that it made itself; this one it must leave alone.
  old->setParent(this);
  replaced_.push_back(old);
  setDocument(fresh);
}

bool FieldWidget::CanUndo() const { return document()->isUndoAvailable() || !replaced_.empty(); }

void FieldWidget::Undo() {
  if (document()->isUndoAvailable() || replaced_.empty()) {
    undo();
    return;
  }
  QTextDocument* current = document();
  setDocument(replaced_.back());
  replaced_.pop_back();
  delete current;
  moveCursor(QTextCursor::End);
}

// Qt's own menu, whose Undo reaches back past a replaced text as the Edit menu's does.
void FieldWidget::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createStandardContextMenu(e->pos());
  if (auto* undo = menu->findChild<QAction*>(QStringLiteral("edit-undo"))) {
    undo->disconnect();
    undo->setEnabled(!isReadOnly() && CanUndo());
    connect(undo, &QAction::triggered, this, [this] { Undo(); });
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

// The character limit holds for typed text only; a paste goes in whole.
void FieldWidget::keyPressEvent(QKeyEvent* e) {
  if (e == QKeySequence::Undo && !isReadOnly()) {
    Undo();
    e->accept();
    return;
  }
  if (limit > 0 && !isReadOnly() && WouldExceedLimit(*e)) {
    e->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

bool FieldWidget::canInsertFromMimeData(const QMimeData* source) const { return source && source->hasText(); }

// The text is read once, into a value of the paste's own, and `source` is never touched again: the clipboard's
// owner may leave at any moment, and Qt then replaces the clipboard's data under a second read (which crashed
// inside Qt's own insertion). An owner gone before the text was read leaves nothing to insert. Reading once also
// transfers a large text once, not once per check.
void FieldWidget::insertFromMimeData(const QMimeData* source) {
  if (!source || isReadOnly()) return;
  const QString text = source->text();
  if (text.isEmpty()) return;
  if (text.size() >= internal::kLargeText) internal::ShowBusyUntilIdle();
  // Line breaks go in as Qt's own insertion takes them (CR LF, CR or LF, each one break), as one undo step.
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.insertText(text);
  cursor.endEditBlock();
  setTextCursor(cursor);
  ensureCursorVisible();
}

bool FieldWidget::HasKeyDown() const {
  Ref<Object> self = control_.lock();
  return self && RuntimeEventHandler(*self, keyDownEvent_);
}

// Runs KeyDown for each character of `typed`; gives the characters it let through, or none once the handler
// has done away with the field or its control.
std::optional<QString> FieldWidget::PassedByKeyDown(const QString& typed) {
  QPointer<FieldWidget> alive(this);
  QString passed;
  for (const char32_t c : typed.toUcs4()) {
    const QString character = QString::fromUcs4(&c, 1);
    EventArgs args;
    args.key = character.toStdString();
    const bool dropped = internal::FireFromQt(control_, keyDownEvent_, args);
    if (!alive || control_.expired()) return std::nullopt;
    if (!dropped) passed += character;
  }
  return passed;
}

bool FieldWidget::TypeThroughKeyDown(QKeyEvent& key, const QString& typed) {
  const std::optional<QString> passed = PassedByKeyDown(typed);
  key.accept();
  if (!passed || passed->isEmpty()) return true;
  // A plain key that passed goes in as itself. Otherwise each character that passed goes in as a plain key of its
  // own, so that the character limit counts them one by one (it lets combinations with Meta through).
  const bool plain = !(key.modifiers() & (Qt::AltModifier | Qt::MetaModifier));
  if (plain && *passed == typed && passed->toUcs4().size() == 1) return QPlainTextEdit::event(&key);
  for (const char32_t c : passed->toUcs4()) {
    QKeyEvent one(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
    keyPressEvent(&one);
  }
  return true;
}

// A shortcut's text is never typed into a filtered field (Qt would insert it for, say, Ctrl+Meta+Z); without
// the text the field still does what the combination means to it (copy, select all, word moves).
bool FieldWidget::ForwardWithoutText(QKeyEvent& key) {
  QKeyEvent bare(key.type(), key.key(), key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                 key.nativeModifiers(), QString(), key.isAutoRepeat(), key.count(), key.device());
  const bool handled = QPlainTextEdit::event(&bare);
  key.setAccepted(bare.isAccepted());
  return handled;
}

// The commit keeps what KeyDown let through, cut at the character limit as typing would be; the input method's
// pre-edit text (the dead key still waiting) is kept as it is.
bool FieldWidget::CommitThroughKeyDown(QInputMethodEvent& input) {
  std::optional<QString> passed = PassedByKeyDown(input.commitString());
  if (!passed) return true;
  if (limit > 0) {
    int64_t room = RoomLeft();
    QString fitting;
    for (const char32_t c : passed->toUcs4()) {
      const QString character = QString::fromUcs4(&c, 1);
      room -= OutsideLength(character, 0, static_cast<int>(character.size()));
      if (room < 0) break;
      fitting += character;
    }
    passed = fitting;
  }
  QInputMethodEvent filtered(input.preeditString(), input.attributes());
  filtered.setCommitString(*passed, input.replacementStart(), input.replacementLength());
  const bool handled = QPlainTextEdit::event(&filtered);
  input.setAccepted(filtered.isAccepted());
  return handled;
}

bool FieldWidget::WouldExceedLimit(const QKeyEvent& e) const {
  if (e.modifiers() & (Qt::ControlModifier | Qt::MetaModifier) && !(e.modifiers() & Qt::AltModifier)) return false;
  int64_t added = 0;
  if (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) {
    added = 2;
  } else if (e.key() == Qt::Key_Tab) {
    added = tabChangesFocus() ? 0 : 1;
  } else {
    const QString text = e.text();
    if (text.isEmpty() || !IsPrintable(text.toUcs4().value(0))) return false;
    added = OutsideLength(text, 0, static_cast<int>(text.size()));
  }
  if (added == 0) return false;
  return added > RoomLeft();
}

// Characters that may still be typed: the limit less the text that stays (a selection is typed over).
int64_t FieldWidget::RoomLeft() const {
  const QString plain = document()->toRawText();
  const QTextCursor cursor = textCursor();
  const int64_t length = OutsideLength(plain, 0, static_cast<int>(plain.size()));
  const int64_t selected = OutsideLength(plain, cursor.selectionStart(), cursor.selectionEnd());
  return limit - (length - selected);
}

void internal::ApplySelectionColours(QWidget* field, bool hide) {
  QPalette palette = field->palette();
  palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                   hide ? QBrush(Qt::transparent) : palette.brush(QPalette::Active, QPalette::Highlight));
  palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   hide ? palette.brush(QPalette::Inactive, QPalette::Text)
                        : palette.brush(QPalette::Active, QPalette::HighlightedText));
  field->setPalette(palette);
}
