// The controls' Qt side, shared inside the framework only (the control classes and the window's Qt units use
// it): the key texts that KeyDown handlers receive, the guard that defers deleting a Qt object while one of its
// own events is being handled, and the conversions between a text field's CR LF text and Qt's document
// positions.
#pragma once

#include "framework/internal/internal_only.h"

#include <QKeyEvent>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

// The key as a KeyDown handler receives it: the typed character for a printable key, Backspace 8, Tab 9,
// Return and Enter 13, Escape 27, Delete 127, Left 28, Right 29, Up 30, Down 31; none for any other key and for
// combinations with Ctrl, Alt or Meta (AltGr, which some systems report as Ctrl+Alt, still types its character).
// A text field with a KeyDown binding does not stop there: whatever typing would insert into it (a character
// typed with Alt or Meta, a key event with several characters, an input method's commit) meets KeyDown one
// character at a time, and only the characters it lets through go in. Ctrl without Alt is a shortcut and types
// nothing into such a field.
std::optional<std::string> FrameworkKeyText(const QKeyEvent& event);

namespace internal {
// A character that types as itself: no control character (C0, DEL or C1).
bool IsPrintable(char32_t c);
}  // namespace internal

// While a handler runs inside a Qt event of one of our objects, a control released by that handler must not
// delete the object whose event is still on the stack: it is hidden and deleted once the outermost handler has
// returned and the event loop it was called from gets back, whatever nested loops (a message box) ran meanwhile.
class QtDispatchScope {
 public:
  QtDispatchScope();
  ~QtDispatchScope();
  QtDispatchScope(const QtDispatchScope&) = delete;
  QtDispatchScope& operator=(const QtDispatchScope&) = delete;
  static bool Active();
};

// Deletes a Qt object now, or hides it and deletes it once the event loop gets back when one of our handlers is on
// the stack (the object whose event is being handled may be this one). Released on another thread, it is handed
// to its own thread first.
void ReleaseQtObject(QObject* object);

// A text field's text outside Qt: line breaks are CR LF and a character beyond the BMP is one character.
// Inside Qt, a line break is one position and such a character two UTF-16 units.
std::string OutsideText(const QString& plain);
QString InsideText(const std::string& text);  // CR LF, CR or LF all become one break
int64_t OutsideLength(const QString& plain, int from, int to);
int OutsidePositionToInside(const QString& plain, int64_t position);

// A control's Qt side: its widget (none for a timer), the keeper of the widget's geometry, and a timer's QTimer.
// Going, it releases them through ReleaseQtObject.
struct ControlImpl {
  QPointer<QWidget> widget;
  QPointer<QObject> geometryKeeper;
  QPointer<QTimer> timer;
  ~ControlImpl();
};
