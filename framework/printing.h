// Printing a text field through the system's print dialog. GUI thread only. Qt-free header.
#pragma once

#include "framework/controls.h"

// Opens the print dialog (no parent window, default printer settings). When the user accepts, draws one block of
// the field's styled text on the printer: laid out width points wide from the page's top-left corner and cut off
// height points down; the rest is not printed and no further page is started. Returns whether it printed.
bool PrintTextAreaBlock(const Ref<TextArea>& field, int width, int height);

// Draws that block on a paint device (a QPaintDevice*, as void*) with the given device units to a point: the text
// is laid out in points, one to a logical unit as on screen, and scaled to the device. Returns whether it drew.
bool DrawTextAreaBlock(const Ref<TextArea>& field, void* paintDevice, double unitsPerPoint, int width, int height);
