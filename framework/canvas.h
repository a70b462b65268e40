// A canvas: a backdrop picture drawn unscaled at its top-left corner, and a MouseDown event in canvas coordinates.
// Without a MouseDown binding a press goes on to the window; it takes the focus only with AllowFocus. It draws
// nothing else (no Paint event). Qt-free header.
#pragma once

#include <cstdint>

#include "framework/control.h"

class Picture;

class Canvas : public RectControl {
 public:
  enum Event : int { kMouseDown = 21 };
  // A MouseDown delegate wraps: bool (const Ref<Canvas>&, int64_t x, int64_t y).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // Drawn unscaled at the canvas's top-left corner; none shows nothing.
  void Backdrop(const Ref<Picture>& picture);
  Ref<Picture> Backdrop() const;

 protected:
  void CreateNative(const internal::NativeParent& parent) override;

 private:
  Ref<Picture> backdrop_;
};
