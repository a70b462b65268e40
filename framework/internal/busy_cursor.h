// Internal to the framework: the busy cursor while work on a large text runs (a paste, or a button's handler reading
// the fields), shown until the event loop is idle again. It only shows that the program is busy: it neither speeds
// the work up nor moves it off the GUI thread.
#pragma once

#include "framework/internal/internal_only.h"

class QWidget;

namespace internal {

// A text this long takes a noticeable time to lay out or to read (about half a second for a paste), so work on it
// shows the busy cursor.
inline constexpr int kLargeText = 256 * 1024;

// The busy cursor until the event loop is idle again.
void ShowBusyUntilIdle();

// Whether a field of the widget's window holds a text large enough that work on it shows the busy cursor.
bool WindowHoldsLargeText(const QWidget& widget);

}  // namespace internal
