#include "windows/about_wnd.h"

#include "calculator/control_wnd.h"

namespace {

// The splash window is hidden before the calculator window is asked for, so a failure while the calculator is
// built still leaves the splash window out of the way.
void HandOver() {
  RequireObject(AboutWnd::Implicit(), "AboutWnd")->Hide();
  RequireObject(ControlWnd::Implicit(), "ControlWnd")->Show();
}

}  // namespace

const ClassInfo& AboutWnd_wrapper_Timer1::ClassRecord() {
  static const ClassInfo record = ProgramClassInfo<AboutWnd_wrapper_Timer1>(WindowOwnedTimer::ClassRecord());
  return RuntimeRegisterClass(record);
}

const ClassInfo& AboutWnd::ClassRecord() {
  static const ClassInfo record = ProgramClassInfo<AboutWnd>(
      Window::ClassRecord(), {{Window::kCreateControls, MakeEventEntry(&AboutWnd::CreateControls)},
                              {Window::kKeyDown, MakeEventEntry(&AboutWnd::Event_KeyDown)},
                              {Window::kLayout, MakeEventEntry(&AboutWnd::Layout)},
                              {Window::kMouseDown, MakeEventEntry(&AboutWnd::Event_MouseDown)}});
  return RuntimeRegisterClass(record);
}

void AboutWnd::Layout() { SetProperties_(shared_from_this(), kWindowList); }

void AboutWnd::CreateControls() { CreateControls0_(); }

void AboutWnd::CreateControls0_() { BuildControls(kControls); }

Ref<Label> AboutWnd::StaticText5() const { return ControlAs<Label>("StaticText5"); }
Ref<Canvas> AboutWnd::Canvas1() const { return ControlAs<Canvas>("Canvas1"); }
Ref<Timer> AboutWnd::Timer1() const { return ControlAs<Timer>("Timer1"); }

void AboutWnd::Timer1_Action(const Ref<Timer>&) { HandOver(); }

bool AboutWnd::Event_KeyDown(const std::string&) {
  HandOver();
  return false;
}

bool AboutWnd::Event_MouseDown(int64_t, int64_t) {
  HandOver();
  return false;
}
