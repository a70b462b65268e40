// Internal to the framework: the background beneath a label's or a canvas's own painting. Unless its control is
// Transparent, such a widget paints its window's background colour first, since the window draws that colour itself
// rather than through the palette. It paints only that background, when the widget's paint event asks it to.
#pragma once

#include "framework/internal/internal_only.h"

#include <QWidget>
#include <memory>
#include <utility>

class Object;

namespace internal {

// Mixed into the widget class; holds its control and the control's window weakly. Without a window, or one without
// a colour, it paints the palette's window colour.
class OpaqueBackground {
 public:
  OpaqueBackground(std::weak_ptr<Object> control, std::weak_ptr<Object> window)
      : control_(std::move(control)), window_(std::move(window)) {}
  virtual ~OpaqueBackground() = default;
  bool opaque = false;

 protected:
  void FillBackground(QWidget& widget) const;
  std::weak_ptr<Object> control_;

 private:
  std::weak_ptr<Object> window_;
};

}  // namespace internal
