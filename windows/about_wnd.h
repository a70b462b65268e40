// The splash window: the title picture and the credit line on white. It gives way to the calculator window when
// its single-shot timer fires, or sooner at the first key press or click it receives; the early hand-over leaves
// the timer running, so the timer's later hand-over only shows the calculator again.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/window_frame.h"
#include "framework/controls.h"

// The splash window's timer, a class of its own so that the window owns it like a control.
class AboutWnd_wrapper_Timer1 : public WindowOwnedTimer {
 public:
  static constexpr const char* kFullName = "AboutWnd._wrapper_Timer1";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  void Constructor() override {}
};

class AboutWnd : public WindowFrame<AboutWnd> {
 public:
  static constexpr const char* kFullName = "AboutWnd.AboutWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout();
  void CreateControls();
  void CreateControls0_();

  Ref<Label> StaticText5() const;
  Ref<Canvas> Canvas1() const;
  Ref<Timer> Timer1() const;

  // Each hands over: hides the splash window, then shows the calculator window. The key and the click are not
  // consumed.
  void Timer1_Action(const Ref<Timer>& timer);
  bool Event_KeyDown(const std::string& key);
  bool Event_MouseDown(int64_t x, int64_t y);

 private:
  // The window's own list and its control table: data, defined in about_wnd_lists.cpp.
  static const PropertyList kWindowList;
  static const std::array<ControlSpec<AboutWnd>, 3> kControls;
};
