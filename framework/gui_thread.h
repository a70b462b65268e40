// The GUI thread's guard: every operation on a window or control calls it first.
#pragma once

// Raises ThreadAccessingUIException naming the operation when called from a thread other than the GUI thread
// (the thread that made the Qt application; before one exists, the process's first caller).
void RequireGuiThread_(const char* operation);
