// Internal to the framework: a control widget's place in its parent. It sets the widget to the rectangle the list
// gives and, for each locked edge, keeps the widget's distance to that edge of the parent as the parent is resized.
// It reads no property: the control hands it the rectangle and the locks.
#pragma once

#include "framework/internal/internal_only.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <cstdint>

namespace internal {

// List values are 64-bit and Qt's geometry is int, and a QRect's right edge is left + width - 1: positions are
// clamped to what a widget may be, so that every sum here and in Qt stays well inside int. Extents are clamped
// further, to a little more than a 4K screen shows at 1x: a style may paint a control through an image of its whole
// size (Fusion's buttons do), which at QWIDGETSIZE_MAX would take gigabytes.
int ToQtPosition(int64_t value);
int ToQtExtent(int64_t value);

// The reference for the locks is the list geometry and the parent's size at the moment that geometry was set. The
// widget owns its keeper.
class GeometryKeeper : public QObject {
 public:
  explicit GeometryKeeper(QWidget* target);

  void SetListGeometry(const QRect& geometry);
  void SetLocks(bool left, bool top, bool right, bool bottom);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply();

  QPointer<QWidget> target_;
  QRect list_;
  QSize reference_;
  bool left_ = false, top_ = false, right_ = false, bottom_ = false;
};

}  // namespace internal
