// The splash window's settings as data: its own list, one list per control, and the control table that creates
// the controls in order and binds the timer to AboutWnd's hand-over.
#include <array>

#include "app/credit_line.h"
#include "app/pictures.h"
#include "windows/about_wnd.h"

const PropertyList AboutWnd::kWindowList = {
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

namespace {

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

}  // namespace

const std::array<ControlSpec<AboutWnd>, 3> AboutWnd::kControls = {{
    {"StaticText5", &Label::ClassRecord, &kStaticText5List, nullptr, {}},
    {"Canvas1", &Canvas::ClassRecord, &kCanvas1List, &PallSmall, {}},
    {"Timer1", &AboutWnd_wrapper_Timer1::ClassRecord, &kTimer1List, nullptr,
     Bind(Timer::kAction, "( Timer )", &AboutWnd::Timer1_Action), &Timer::ClassRecord},
}};
