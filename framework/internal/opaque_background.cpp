#include "framework/internal/opaque_background.h"

#include <QPainter>
#include <optional>

#include "framework/control.h"
#include "framework/internal/qt_colour.h"

namespace internal {

void OpaqueBackground::FillBackground(QWidget& widget) const {
  QColor colour = widget.palette().color(QPalette::Window);
  if (Ref<Object> self = control_.lock()) {
    Ref<Object> window = static_cast<Control&>(*self).owner_.OwnerObject();
    if (const std::optional<QColor> background = window ? WindowBackground(*window) : std::nullopt) {
      colour = *background;
    }
  }
  QPainter(&widget).fillRect(widget.rect(), colour);
}

}  // namespace internal
