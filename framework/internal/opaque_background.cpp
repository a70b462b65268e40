#include "framework/internal/opaque_background.h"

#include <QPainter>
#include <optional>

#include "framework/internal/qt_colour.h"
#include "framework/object.h"

namespace internal {

void OpaqueBackground::FillBackground(QWidget& widget) const {
  QColor colour = widget.palette().color(QPalette::Window);
  if (!control_.expired()) {
    Ref<Object> window = window_.lock();
    if (const std::optional<QColor> background = window ? WindowBackground(*window) : std::nullopt) {
      colour = *background;
    }
  }
  QPainter(&widget).fillRect(widget.rect(), colour);
}

}  // namespace internal
