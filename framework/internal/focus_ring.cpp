#include "framework/internal/focus_ring.h"

#include <QEvent>
#include <QPainter>
#include <QPen>

namespace internal {

FocusRing::FocusRing(QWidget* target) : QWidget(target) {
  setObjectName(QStringLiteral("FocusRing"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(target->rect());
  setVisible(target->hasFocus());
  target->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
  if (watched != parent()) return false;
  if (event->type() == QEvent::FocusIn) {
    raise();
    show();
  } else if (event->type() == QEvent::FocusOut) {
    hide();
  } else if (event->type() == QEvent::Resize) {
    setGeometry(parentWidget()->rect());
  }
  return false;
}

void FocusRing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
  painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void ShowFocusRing(QWidget* widget, bool show) {
  // By name: FocusRing declares no meta-object of its own, so a search by type would find any child widget.
  QWidget* ring = widget->findChild<QWidget*>(QStringLiteral("FocusRing"), Qt::FindDirectChildrenOnly);
  if (show && !ring) new FocusRing(widget);
  if (!show) delete ring;
}

}  // namespace internal
