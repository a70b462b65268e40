// Internal to the framework: colour settings (0x00RRGGBB) as Qt's colours, set into a widget's palette, and the
// background a window paints. Which role a setting colours is the control's property table's choice, not this.
#pragma once

#include "framework/internal/internal_only.h"

#include <QColor>
#include <QPalette>
#include <cstdint>
#include <optional>
#include <string>

#include "framework/object.h"

class QWidget;

namespace internal {

inline QColor ToQColor(uint32_t rgb) { return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff); }

// A colour property, or the fallback when it is not set.
inline uint32_t ColourProperty(const Object& object, const std::string& name, uint32_t fallback) {
  return static_cast<uint32_t>(object.IntProperty(name, fallback));
}

// The colour a window paints behind its controls, which its opaque labels and canvases paint beneath them too;
// none when it paints none.
inline std::optional<QColor> WindowBackground(const Object& window) {
  if (!window.BoolProperty("HasBackgroundColor")) return std::nullopt;
  return ToQColor(ColourProperty(window, "BackgroundColor", 0xffffff));
}

// Sets the colour for the role in the widget's palette, whether its window is active or not.
void SetColour(QWidget* widget, QPalette::ColorRole role, uint32_t rgb);

}  // namespace internal
