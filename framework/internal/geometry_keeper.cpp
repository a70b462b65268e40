#include "framework/internal/geometry_keeper.h"

#include <QEvent>
#include <algorithm>

namespace internal {
namespace {

constexpr int64_t kLargestControl = 4096;

void Follow(bool lockNear, bool lockFar, int delta, int& position, int& extent) {
  if (lockNear && lockFar) {
    extent = ToQtExtent(int64_t{extent} + delta);
  } else if (lockFar) {
    position = ToQtPosition(int64_t{position} + delta);
  }
}

}  // namespace

int ToQtPosition(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

int ToQtExtent(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, 0, kLargestControl)); }

GeometryKeeper::GeometryKeeper(QWidget* target) : QObject(target), target_(target) {
  if (QWidget* parent = target->parentWidget()) parent->installEventFilter(this);
}

void GeometryKeeper::SetListGeometry(const QRect& geometry) {
  list_ = geometry;
  if (QWidget* parent = target_ ? target_->parentWidget() : nullptr) reference_ = parent->size();
  Apply();
}

void GeometryKeeper::SetLocks(bool left, bool top, bool right, bool bottom) {
  left_ = left, top_ = top, right_ = right, bottom_ = bottom;
  Apply();
}

bool GeometryKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && target_ && watched == target_->parentWidget()) Apply();
  return false;
}

void GeometryKeeper::Apply() {
  if (!target_) return;
  QWidget* parent = target_->parentWidget();
  int x = list_.x(), y = list_.y(), w = list_.width(), h = list_.height();
  if (parent && reference_.isValid()) {
    Follow(left_, right_, parent->width() - reference_.width(), x, w);
    Follow(top_, bottom_, parent->height() - reference_.height(), y, h);
  }
  target_->setGeometry(x, y, w, h);
}

}  // namespace internal
