#include "framework/internal/field_border.h"

#include <QEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <algorithm>
#include <cmath>

namespace internal {

// A field paints its own background, and its border in device pixels; its viewport paints nothing beneath the
// text. At a fractional scale (125 %, 150 %) a logical unit is no whole number of device pixels, and Qt rounds a
// widget's clip, its painter's origin and its children's geometry each its own way: the style's one-pixel line at
// the field's last column landed on a pixel that the viewport covered too (and painted over), or just outside the
// field's clip. The border here takes the outermost device pixels of the field's edges rounded as Qt rounds its clip
// (halves up), one logical unit thick rounded to whole pixels, and nothing paints over it.
FieldBorder::FieldBorder(QPlainTextEdit* field) : QObject(field), field_(field) {
  field->setBackgroundRole(QPalette::Base);
  field->setAutoFillBackground(true);
  field->viewport()->setAutoFillBackground(false);
  field->installEventFilter(this);
}

// The field's own paint event draws only its frame, which this replaces.
bool FieldBorder::eventFilter(QObject* watched, QEvent* event) {
  if (watched != field_ || event->type() != QEvent::Paint || field_->frameShape() == QFrame::NoFrame) return false;
  QPainter painter(field_);
  const QRectF device = painter.deviceTransform().mapRect(QRectF(field_->rect()));
  const int left = static_cast<int>(std::floor(device.left() + 0.5));
  const int top = static_cast<int>(std::floor(device.top() + 0.5));
  const int right = static_cast<int>(std::floor(device.right() + 0.5));
  const int bottom = static_cast<int>(std::floor(device.bottom() + 0.5));
  const int line = std::max(1, static_cast<int>(std::lround(field_->devicePixelRatioF())));
  painter.setWorldTransform(painter.deviceTransform().inverted(), true);
  const QColor colour = field_->palette().color(QPalette::Mid);
  painter.fillRect(QRect(left, top, right - left, line), colour);
  painter.fillRect(QRect(left, bottom - line, right - left, line), colour);
  painter.fillRect(QRect(left, top, line, bottom - top), colour);
  painter.fillRect(QRect(right - line, top, line, bottom - top), colour);
  return true;
}

}  // namespace internal
