#include "framework/internal/qt_colour.h"

#include <QWidget>

namespace internal {

void SetColour(QWidget* widget, QPalette::ColorRole role, uint32_t rgb) {
  QPalette palette = widget->palette();
  const QColor colour = ToQColor(rgb);
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
  widget->setPalette(palette);
}

}  // namespace internal
