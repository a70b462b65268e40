// A label: one text in the control's font, colour and alignment. It never takes the focus and lets presses through
// to the window beneath; with Transparent false it paints its window's background colour. Qt-free header.
#pragma once

#include "framework/control.h"

class Label : public RectControl {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
};
