// Internal to the framework. The GUI thread's guard: every operation on a window or control, and every message box,
// calls it first.
#pragma once

#include "framework/internal/internal_only.h"

// Makes the Qt application when none exists yet (the caller's thread becomes the GUI thread), then raises
// ThreadAccessingUIException naming the operation when called from a thread other than the GUI thread.
namespace internal {
void RequireGuiThread(const char* operation);
}  // namespace internal
