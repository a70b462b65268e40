// Internal to the framework: a control's font settings (FontName, FontSize, Bold, Italic, Underline) as a Qt font.
// It maps the settings only; applying the font to a widget is the control's property table's work.
#pragma once

#include "framework/internal/internal_only.h"

#include <QFont>

class Object;

namespace internal {

// The control's font from its FontName, FontSize, Bold, Italic and Underline.
QFont ControlFont(const Object& object);

}  // namespace internal
