// A push button: its Caption, its font, Default for the window's default button and Cancel for Escape; a click
// raises Action. MacButtonStyle is only kept. Qt-free header.
#pragma once

#include "framework/control.h"

class PushButton : public RectControl {
 public:
  enum Event : int { kAction = 15 };
  // An Action delegate wraps: void (const Ref<PushButton>&).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
};
