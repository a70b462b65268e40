#include "windows/description_wnd.h"

#include <array>

#include "calculator/control_wnd.h"
#include "framework/printing.h"
#include "windows/about_wnd.h"
#include "windows/description_text.h"

namespace {

// The title line, "Pallastrovane", is the part of the text made bold.
constexpr int64_t kTitleLength = 13;
// One printed block, in printer points: the field's text laid out this wide and cut off this low.
constexpr int kPrintWidth = 540;
constexpr int kPrintHeight = 540;

const PropertyList kWindowList = {
    {"Width", Integer(427)},
    {"Height", Integer(491)},
    {"MinimumWidth", Integer(64)},
    {"MinimumHeight", Integer(64)},
    {"MaximumWidth", Integer(32000)},
    {"MaximumHeight", Integer(32000)},
    {"Type", Enumeration(0)},
    {"Title", Text("Description")},
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
    {"HasBackgroundColor", Boolean(false)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"MenuBarVisible", Boolean(true)},
    {"LiveResize", Boolean(false)},
};

const PropertyList kDescribeFldList = {
    {"Name", Text("DescribeFld")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(-1)},
    {"Top", Integer(-1)},
    {"Width", Integer(427)},
    {"Height", Integer(478)},
    {"LockLeft", Boolean(true)},
    {"LockTop", Boolean(true)},
    {"LockRight", Boolean(true)},
    {"LockBottom", Boolean(true)},
    {"TabIndex", Integer(0)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Format", Text("")},
    {"HideSelection", Boolean(true)},
    {"LineHeight", Double(0.0)},
    {"LineSpacing", Double(1.0)},
    {"Multiline", Boolean(true)},
    {"TextColor", Colour(0x000000)},
    {"Transparent", Boolean(true)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"Underline", Boolean(false)},
    {"ReadOnly", Boolean(true)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
    {"AllowAutoDeactivate", Boolean(true)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"HasBorder", Boolean(true)},
    {"Tooltip", Text("")},
    {"HasHorizontalScrollbar", Boolean(false)},
    {"HasVerticalScrollbar", Boolean(true)},
    {"AllowStyledText", Boolean(false)},
    {"AllowFocusRing", Boolean(false)},
    {"FontName", Text("Courier")},
    {"FontSize", Single(10)},
    {"FontUnit", ByteEnumeration(0)},
    {"Value", Text("\r\n")},
    {"AllowTabs", Boolean(false)},
    {"TextAlignment", Enumeration(0)},
    {"AllowSpellChecking", Boolean(true)},
    {"MaximumCharactersAllowed", Integer(0)},
    {"ValidationMask", Text("")},
};

const PropertyList kDescribeFld2List = {
    {"Name", Text("DescribeFld2")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(-1)},
    {"Top", Integer(-1)},
    {"Width", Integer(429)},
    {"Height", Integer(476)},
    {"LockLeft", Boolean(true)},
    {"LockTop", Boolean(true)},
    {"LockRight", Boolean(true)},
    {"LockBottom", Boolean(true)},
    {"TabIndex", Integer(1)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Format", Text("")},
    {"HideSelection", Boolean(true)},
    {"LineHeight", Double(0.0)},
    {"LineSpacing", Double(1.0)},
    {"Multiline", Boolean(true)},
    {"TextColor", Colour(0x000000)},
    {"Transparent", Boolean(true)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"Underline", Boolean(false)},
    {"ReadOnly", Boolean(true)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
    {"AllowAutoDeactivate", Boolean(true)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"HasBorder", Boolean(true)},
    {"Tooltip", Text("")},
    {"HasHorizontalScrollbar", Boolean(false)},
    {"HasVerticalScrollbar", Boolean(true)},
    {"AllowStyledText", Boolean(true)},
    {"AllowFocusRing", Boolean(false)},
    {"FontName", Text("System")},
    {"FontSize", Single(11)},
    {"FontUnit", ByteEnumeration(0)},
    {"Value", Text(DescriptionText())},
    {"AllowTabs", Boolean(false)},
    {"TextAlignment", Enumeration(1)},
    {"AllowSpellChecking", Boolean(false)},
    {"MaximumCharactersAllowed", Integer(0)},
    {"ValidationMask", Text("")},
};

const std::array<ControlSpec<DescriptionWnd>, 2> kControls = {{
    {"DescribeFld", &TextArea::ClassRecord, &kDescribeFldList, nullptr, {}},
    {"DescribeFld2", &TextArea::ClassRecord, &kDescribeFld2List, nullptr, {}},
}};

constexpr const char* kMenuHandler = "(  ) as Boolean";

}  // namespace

const ClassInfo& DescriptionWnd::ClassRecord() {
  static const ClassInfo record = [] {
    ClassInfo info;
    info.fullName = kFullName;
    info.base = &Window::ClassRecord();
    info.factory = [] { return std::make_shared<DescriptionWnd>(); };
    info.events = {
        {Window::kAddMenuHandlers, MakeEventEntry(&DescriptionWnd::AddMenuHandlers)},
        {Window::kCreateControls, MakeEventEntry(&DescriptionWnd::CreateControls)},
        {Window::kLayout, MakeEventEntry(&DescriptionWnd::Layout)},
        {Window::kOpen, MakeEventEntry(&DescriptionWnd::Event_Open)},
    };
    return info;
  }();
  return RuntimeRegisterClass(record);
}

void DescriptionWnd::Layout() { SetProperties_(shared_from_this(), kWindowList); }

void DescriptionWnd::CreateControls() { CreateControls0_(); }

void DescriptionWnd::CreateControls0_() { BuildControls(kControls); }

Ref<TextArea> DescriptionWnd::DescribeFld() const { return ControlAs<TextArea>("DescribeFld"); }
Ref<TextArea> DescriptionWnd::DescribeFld2() const { return ControlAs<TextArea>("DescribeFld2"); }

void DescriptionWnd::AddMenuHandlers(const Ref<Window>& window) {
  Ref<DescriptionWnd> target = RuntimeCheckCast<DescriptionWnd>(RequireObject(window, "window"));
  AddMenuHandler_("ControlMenuItem",
                  RuntimeCreateDelegate(&DescriptionWnd::ControlMenuItem_Action_, target, kMenuHandler, 0));
  AddMenuHandler_("AboutMenuItem",
                  RuntimeCreateDelegate(&DescriptionWnd::AboutMenuItem_Action_, target, kMenuHandler, 0));
  AddMenuHandler_("Print", RuntimeCreateDelegate(&DescriptionWnd::Print_Action_, target, kMenuHandler, 0));
}

// The length is the title's, not the first line's as measured: the text is fixed, and its title with it.
void DescriptionWnd::Event_Open() {
  RequireObject(DescribeFld2(), "DescribeFld2")->SelectionStart(0);
  RequireObject(DescribeFld2(), "DescribeFld2")->SelectionLength(kTitleLength);
  RequireObject(DescribeFld2(), "DescribeFld2")->SelBold(true);
}

bool DescriptionWnd::ControlMenuItem_Action_() {
  RequireObject(ControlWnd::Implicit(), "ControlWnd")->Show();
  return false;
}

bool DescriptionWnd::AboutMenuItem_Action_() {
  RequireObject(AboutWnd::Implicit(), "AboutWnd")->Show();
  return false;
}

// One block only: the text that does not fit is not printed, and no second page is started.
bool DescriptionWnd::Print_Action_() {
  PrintTextAreaBlock(RequireObject(DescribeFld2(), "DescribeFld2"), kPrintWidth, kPrintHeight);
  return false;
}
