// A timer: it fires its Action Period ms after it is set up, once (RunMode 1) or repeatedly (RunMode 2); RunMode 0
// stops it. It has no widget. PaneChild is how a timer that sits on a window (the program's window-owned timer)
// receives that window. Qt-free header.
#pragma once

#include <cstdint>

#include "framework/control.h"

// The framework's side of a control that sits on a window without being one of its widgets (a window-owned timer):
// registering it with a window hands it that window.
class PaneChild {
 public:
  virtual ~PaneChild() = default;
  virtual void SetWindow_(const Ref<::Window>& window) = 0;
  virtual Ref<::Window> Window() const = 0;
  virtual int64_t Index_() const = 0;
  virtual void SetIndex_(int64_t index) = 0;
};

// A timer fires its Action Period ms after it is set up (RunMode 1: once; 2: repeatedly; 0: off).
class Timer : public Control {
 public:
  enum Event : int { kAction = 0 };
  // An Action delegate wraps: void (const Ref<Timer>&).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Reset();  // starts the period again
  bool IsRunning() const;
};
