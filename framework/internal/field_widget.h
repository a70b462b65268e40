// Internal to the framework: the Qt widget behind a TextArea, with its KeyDown filter, its character limit, its
// Undo past a replaced text and its selection colours. Its border, the focus ring and the busy cursor are units of
// their own; TextArea's properties and operations are in text_area.cpp; this knows no property names.
#pragma once

#include "framework/internal/internal_only.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/object.h"

namespace internal {

// A plain-text widget: its layout grows linearly with the text, where the rich-text one grows faster, and it still
// keeps character formats (bold) and the document's alignment option. It holds its control only weakly.
class FieldWidget : public QPlainTextEdit {
 public:
  // Made wrapping at its width, without scroll bars, with Tab moving the focus, and with its own border. Typed
  // keys go through the control's event of that number (TextArea's KeyDown) when a delegate is bound to it.
  FieldWidget(QWidget* parent, std::weak_ptr<Object> control, int keyDownEvent);
  int64_t limit = 0;  // MaximumCharactersAllowed for typed text; 0 is none

  // The field starts anew with the text: nothing to undo.
  void StartText(const QString& text);
  // The text replaces the whole text as one step that Undo takes back, and a further Undo goes on into the history
  // before it. The old document is kept whole, history and all, and the field gets a new one: removing a large
  // text from a document costs about a second a million lines, keeping it costs nothing.
  void ReplaceText(const QString& text);
  // Undo in the text's own history, then back to the text that ReplaceText replaced.
  bool CanUndo() const;
  void Undo();

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  // Whether a paste could insert text: its formats say so, without transferring the text itself.
  bool canInsertFromMimeData(const QMimeData* source) const override;
  // Every paste (Ctrl+V, the Edit menu, the context menu) and every drop ends here.
  void insertFromMimeData(const QMimeData* source) override;

 private:
  bool HasKeyDown() const;
  std::optional<QString> PassedByKeyDown(const QString& typed);
  bool TypeThroughKeyDown(QKeyEvent& key, const QString& typed);
  bool ForwardWithoutText(QKeyEvent& key);
  bool CommitThroughKeyDown(QInputMethodEvent& input);
  bool WouldExceedLimit(const QKeyEvent& e) const;
  int64_t RoomLeft() const;

  std::weak_ptr<Object> control_;
  int keyDownEvent_;
  std::vector<QTextDocument*> replaced_;  // children of this field, the latest last
};

// A field that hides its selection draws it, while it has no focus, as plain text; one that keeps it draws it as
// it does with the focus.
void ApplySelectionColours(QWidget* field, bool hide);

}  // namespace internal
