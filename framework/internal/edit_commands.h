// Internal to the framework: the standard Edit commands (menu items named EditUndo, EditCut, EditCopy, EditPaste,
// EditClear and EditSelectAll) on a window's text field, through the system clipboard, and the field they act on.
// It knows nothing of menus or windows: the window asks it whether an item is one of these commands.
#pragma once

#include "framework/internal/internal_only.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

namespace internal {

// Whether the command of that item name can act on the field now; none when the name is no Edit command.
std::optional<bool> CanDoEditCommand(const std::string& itemName, const QPlainTextEdit* field);
// Carries out the command of that item name when it can act; false when the name is no Edit command.
bool DoEditCommand(const std::string& itemName, QPlainTextEdit* field);

// Follows the text field of one window that the Edit commands act on, so that their items enable themselves as its
// selection, text and undo state change, and their shortcuts work without the menu being opened.
class EditTarget {
 public:
  EditTarget() = default;
  EditTarget(const EditTarget&) = delete;
  EditTarget& operator=(const EditTarget&) = delete;
  ~EditTarget() { Forget(); }

  // The application's focus when it lies in the window, else the window's own focus (the window is inactive, as
  // when a test or a late event chooses the item). While the menu bar has the focus (a menu opened from the
  // keyboard), the field that had it before.
  QPlainTextEdit* Field(const QWidget& window, const QWidget* menuBar) const;
  // The focus moved to `now`, which is no menu: a text field of the window becomes the one followed, and its changes
  // call `changed`.
  void FocusMoved(QWidget* now, const QWidget& window, const std::function<void()>& changed);
  // Qt leaves the menu bar holding the focus after a menu's Escape, waiting for another; the user expects to type on
  // in the field instead.
  void GiveFocusBack(const QWidget& window, const QWidget* menuBar);
  void Forget();

 private:
  QPointer<QPlainTextEdit> field_;
  std::array<QMetaObject::Connection, 3> connections_;
};

}  // namespace internal
