// Printing a text field through the system's print dialog. GUI thread only. Qt-free header.
#pragma once

#include "framework/controls.h"

// Opens the print dialog (no parent window, default printer settings). When the user accepts, draws one block of
// the field's styled text on the printer: laid out width points wide from the page's top-left corner and cut off
// height points down; the rest is not printed and no further page is started. Returns whether it printed.
bool PrintTextAreaBlock(const Ref<TextArea>& field, int width, int height);
