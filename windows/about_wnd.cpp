#include "windows/about_wnd.h"

#include <array>

#include "app/credit_line.h"
#include "app/pictures.h"
#include "calculator/control_wnd.h"

namespace {

const PropertyList kWindowList = {
    {"Width", Integer(300)},
    {"Height", Integer(150)},
    {"MinimumWidth", Integer(64)},
    {"MinimumHeight", Integer(64)},
    {"MaximumWidth", Integer(32000)},
    {"MaximumHeight", Integer(32000)},
    {"Type", Enumeration(2)},
    {"Title", Text("")},
    {"HasCloseButton", Boolean(true)},
    {"HasMaximizeButton", Boolean(true)},
    {"HasMinimizeButton", Boolean(true)},
    {"HasFullScreenButton", Boolean(false)},
    {"Resizeable", Boolean(true)},
    {"Composite", Boolean(false)},
    {"MacProcID", Integer(0)},
    {"FullScreen", Boolean(false)},
    {"DefaultLocation", Enumeration(0)},
    {"Visible", Boolean(true)},
    {"HasBackgroundColor", Boolean(true)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"MenuBarVisible", Boolean(true)},
    {"LiveResize", Boolean(false)},
};

const PropertyList kStaticText5List = {
    {"Name", Text("StaticText5")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(20)},
    {"Top", Integer(76)},
    {"Width", Integer(260)},
    {"Height", Integer(16)},
    {"LockLeft", Boolean(true)},
    {"LockTop", Boolean(true)},
    {"LockRight", Boolean(true)},
    {"LockBottom", Boolean(true)},
    {"TabIndex", Integer(0)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Multiline", Boolean(false)},
    {"Selectable", Boolean(false)},
    {"TextAlignment", Enumeration(2)},
    {"TextColor", Colour(0x058207)},
    {"Transparent", Boolean(false)},
    {"Value", Text(kCreditLine)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("System")},
    {"Underline", Boolean(false)},
    {"FontSize", Single(9)},
    {"FontUnit", ByteEnumeration(0)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kCanvas1List = {
    {"Name", Text("Canvas1")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(20)},
    {"Top", Integer(34)},
    {"Width", Integer(265)},
    {"Height", Integer(45)},
    {"LockLeft", Boolean(true)},
    {"LockTop", Boolean(true)},
    {"LockRight", Boolean(true)},
    {"LockBottom", Boolean(true)},
    {"TabIndex", Integer(2)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"AllowFocusRing", Boolean(true)},
    {"Visible", Boolean(true)},
    {"AllowFocus", Boolean(false)},
    {"AllowTabs", Boolean(false)},
    {"Transparent", Boolean(true)},
    {"DoubleBuffer", Boolean(false)},
    {"Transparent", Boolean(true)},
    {"InitialParent", Text("")},
};

const PropertyList kTimer1List = {
    {"RunMode", Enumeration(1)},
    {"Period", Integer(4000)},
};

const std::array<ControlSpec<AboutWnd>, 3> kControls = {{
    {"StaticText5", &Label::ClassRecord, &kStaticText5List, nullptr, {}},
    {"Canvas1", &Canvas::ClassRecord, &kCanvas1List, &PallSmall, {}},
    {"Timer1", &AboutWnd_wrapper_Timer1::ClassRecord, &kTimer1List, nullptr,
     Bind(Timer::kAction, "( Timer )", &AboutWnd::Timer1_Action), &Timer::ClassRecord},
}};

// The splash window is hidden before the calculator window is asked for, so a failure while the calculator is
// built still leaves the splash window out of the way.
void HandOver() {
  RequireObject(AboutWnd::Implicit(), "AboutWnd")->Hide();
  RequireObject(ControlWnd::Implicit(), "ControlWnd")->Show();
}

}  // namespace

const ClassInfo& AboutWnd_wrapper_Timer1::ClassRecord() {
  static const ClassInfo record = [] {
    ClassInfo info;
    info.fullName = kFullName;
    info.base = &WindowOwnedTimer::ClassRecord();
    info.factory = [] { return std::make_shared<AboutWnd_wrapper_Timer1>(); };
    return info;
  }();
  return RuntimeRegisterClass(record);
}

const ClassInfo& AboutWnd::ClassRecord() {
  static const ClassInfo record = [] {
    ClassInfo info;
    info.fullName = kFullName;
    info.base = &Window::ClassRecord();
    info.factory = [] { return std::make_shared<AboutWnd>(); };
    info.events = {
        {Window::kCreateControls, MakeEventEntry(&AboutWnd::CreateControls)},
        {Window::kKeyDown, MakeEventEntry(&AboutWnd::Event_KeyDown)},
        {Window::kLayout, MakeEventEntry(&AboutWnd::Layout)},
        {Window::kMouseDown, MakeEventEntry(&AboutWnd::Event_MouseDown)},
    };
    return info;
  }();
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
