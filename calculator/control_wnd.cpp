#include "calculator/control_wnd.h"

#include <array>

#include "app/credit_line.h"
#include "app/menu_bar1.h"
#include "app/pictures.h"
#include "calculator/calculate_report.h"
#include "framework/services.h"
#include "framework/text.h"
#include "windows/about_wnd.h"
#include "windows/description_wnd.h"

namespace {

const PropertyList kWindowList = {
    {"Width", Integer(470)},
    {"Height", Integer(460)},
    {"MinimumWidth", Integer(64)},
    {"MinimumHeight", Integer(64)},
    {"MaximumWidth", Integer(500)},
    {"MaximumHeight", Integer(500)},
    {"Type", Enumeration(0)},
    {"Title", Text("Control")},
    {"HasCloseButton", Boolean(true)},
    {"HasMaximizeButton", Boolean(false)},
    {"HasMinimizeButton", Boolean(true)},
    {"HasFullScreenButton", Boolean(false)},
    {"Resizeable", Boolean(false)},
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

const PropertyList kQCanvasList = {
    {"Name", Text("QCanvas")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(318)},
    {"Top", Integer(123)},
    {"Width", Integer(29)},
    {"Height", Integer(43)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(0)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("Description of Pallastrovane")},
    {"AllowFocusRing", Boolean(false)},
    {"Visible", Boolean(true)},
    {"AllowFocus", Boolean(false)},
    {"AllowTabs", Boolean(false)},
    {"Transparent", Boolean(true)},
    {"DoubleBuffer", Boolean(false)},
    {"Transparent", Boolean(true)},
    {"InitialParent", Text("")},
};

const PropertyList kNvariablesList = {
    {"Name", Text("Nvariables")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(266)},
    {"Top", Integer(123)},
    {"Width", Integer(40)},
    {"Height", Integer(19)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(1)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"HasBorder", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Format", Text("")},
    {"Tooltip", Text("")},
    {"HideSelection", Boolean(true)},
    {"LineHeight", Double(0.0)},
    {"LineSpacing", Double(1.0)},
    {"Multiline", Boolean(true)},
    {"HasHorizontalScrollbar", Boolean(false)},
    {"HasVerticalScrollbar", Boolean(false)},
    {"AllowStyledText", Boolean(false)},
    {"TextColor", Colour(0x000000)},
    {"Transparent", Boolean(true)},
    {"AllowFocusRing", Boolean(true)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("System")},
    {"FontSize", Single(12)},
    {"FontUnit", ByteEnumeration(0)},
    {"Underline", Boolean(false)},
    {"Value", Text("")},
    {"AllowTabs", Boolean(false)},
    {"TextAlignment", Enumeration(2)},
    {"AllowSpellChecking", Boolean(true)},
    {"MaximumCharactersAllowed", Integer(3)},
    {"ValidationMask", Text("")},
    {"ReadOnly", Boolean(false)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kErrorFldList = {
    {"Name", Text("ErrorFld")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(266)},
    {"Top", Integer(147)},
    {"Width", Integer(40)},
    {"Height", Integer(19)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(2)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"HasBorder", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Format", Text("")},
    {"Tooltip", Text("")},
    {"HideSelection", Boolean(true)},
    {"LineHeight", Double(0.0)},
    {"LineSpacing", Double(1.0)},
    {"Multiline", Boolean(true)},
    {"HasHorizontalScrollbar", Boolean(false)},
    {"HasVerticalScrollbar", Boolean(false)},
    {"AllowStyledText", Boolean(false)},
    {"TextColor", Colour(0x000000)},
    {"Transparent", Boolean(true)},
    {"AllowFocusRing", Boolean(true)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("System")},
    {"FontSize", Single(12)},
    {"FontUnit", ByteEnumeration(0)},
    {"Underline", Boolean(false)},
    {"Value", Text("")},
    {"AllowTabs", Boolean(false)},
    {"TextAlignment", Enumeration(2)},
    {"AllowSpellChecking", Boolean(true)},
    {"MaximumCharactersAllowed", Integer(4)},
    {"ValidationMask", Text("")},
    {"ReadOnly", Boolean(false)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kInputFld1List = {
    {"Name", Text("InputFld1")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(34)},
    {"Top", Integer(210)},
    {"Width", Integer(315)},
    {"Height", Integer(220)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(3)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"BackgroundColor", Colour(0xFFFFFF)},
    {"HasBorder", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Format", Text("")},
    {"Tooltip", Text("")},
    {"HideSelection", Boolean(true)},
    {"LineHeight", Double(0.0)},
    {"LineSpacing", Double(1.0)},
    {"Multiline", Boolean(true)},
    {"HasHorizontalScrollbar", Boolean(false)},
    {"HasVerticalScrollbar", Boolean(true)},
    {"AllowStyledText", Boolean(true)},
    {"TextColor", Colour(0x000000)},
    {"Transparent", Boolean(true)},
    {"AllowFocusRing", Boolean(false)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("Courier")},
    {"FontSize", Single(10)},
    {"FontUnit", ByteEnumeration(0)},
    {"Underline", Boolean(false)},
    {"Value", Text("")},
    {"AllowTabs", Boolean(false)},
    {"TextAlignment", Enumeration(0)},
    {"AllowSpellChecking", Boolean(false)},
    {"MaximumCharactersAllowed", Integer(0)},
    {"ValidationMask", Text("")},
    {"ReadOnly", Boolean(false)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kClearBtnList = {
    {"Name", Text("ClearBtn")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(368)},
    {"Top", Integer(400)},
    {"Width", Integer(80)},
    {"Height", Integer(30)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(4)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"MacButtonStyle", Enumeration(0)},
    {"Cancel", Boolean(false)},
    {"Caption", Text("Clear")},
    {"Default", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Transparent", Boolean(true)},
    {"Visible", Boolean(true)},
    {"FontName", Text("System")},
    {"FontSize", Single(12)},
    {"FontUnit", ByteEnumeration(0)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"Underline", Boolean(false)},
    {"InitialParent", Text("")},
};

const PropertyList kCalculateBtnList = {
    {"Name", Text("CalculateBtn")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(368)},
    {"Top", Integer(358)},
    {"Width", Integer(80)},
    {"Height", Integer(30)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(5)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"MacButtonStyle", Enumeration(0)},
    {"Cancel", Boolean(false)},
    {"Caption", Text("Calculate")},
    {"Default", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Transparent", Boolean(true)},
    {"Visible", Boolean(true)},
    {"FontName", Text("System")},
    {"FontSize", Single(12)},
    {"FontUnit", ByteEnumeration(0)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"Underline", Boolean(false)},
    {"InitialParent", Text("")},
};

const PropertyList kStaticText1List = {
    {"Name", Text("StaticText1")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(34)},
    {"Top", Integer(123)},
    {"Width", Integer(214)},
    {"Height", Integer(19)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(6)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Multiline", Boolean(false)},
    {"Selectable", Boolean(false)},
    {"TextAlignment", Enumeration(0)},
    {"TextColor", Colour(0x187534)},
    {"Transparent", Boolean(false)},
    {"Value", Text("Number of tests conducted:")},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("System")},
    {"Underline", Boolean(false)},
    {"FontSize", Single(14)},
    {"FontUnit", ByteEnumeration(0)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kStaticText3List = {
    {"Name", Text("StaticText3")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(35)},
    {"Top", Integer(192)},
    {"Width", Integer(133)},
    {"Height", Integer(19)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(7)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Multiline", Boolean(false)},
    {"Selectable", Boolean(false)},
    {"TextAlignment", Enumeration(0)},
    {"TextColor", Colour(0x187534)},
    {"Transparent", Boolean(false)},
    {"Value", Text("Probability Values")},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("System")},
    {"Underline", Boolean(false)},
    {"FontSize", Single(12)},
    {"FontUnit", ByteEnumeration(0)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kTitlePictList = {
    {"Name", Text("TitlePict")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(20)},
    {"Top", Integer(-1)},
    {"Width", Integer(435)},
    {"Height", Integer(54)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(8)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(true)},
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

const PropertyList kStaticText2List = {
    {"Name", Text("StaticText2")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(34)},
    {"Top", Integer(148)},
    {"Width", Integer(214)},
    {"Height", Integer(19)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(9)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Multiline", Boolean(false)},
    {"Selectable", Boolean(false)},
    {"TextAlignment", Enumeration(0)},
    {"TextColor", Colour(0x187534)},
    {"Transparent", Boolean(false)},
    {"Value", Text("Experimentwise error rate:")},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("System")},
    {"Underline", Boolean(false)},
    {"FontSize", Single(14)},
    {"FontUnit", ByteEnumeration(0)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

const PropertyList kCopytextList = {
    {"Name", Text("copytext")},
    {"Index", Integer(kNoIndex)},
    {"Left", Integer(136)},
    {"Top", Integer(48)},
    {"Width", Integer(200)},
    {"Height", Integer(22)},
    {"LockLeft", Boolean(false)},
    {"LockTop", Boolean(false)},
    {"LockRight", Boolean(false)},
    {"LockBottom", Boolean(false)},
    {"TabIndex", Integer(10)},
    {"TabPanelIndex", Integer(0)},
    {"TabStop", Boolean(false)},
    {"AllowAutoDeactivate", Boolean(true)},
    {"Enabled", Boolean(true)},
    {"Tooltip", Text("")},
    {"Multiline", Boolean(false)},
    {"Selectable", Boolean(false)},
    {"TextAlignment", Enumeration(2)},
    {"TextColor", Colour(0x5DA31E)},
    {"Transparent", Boolean(false)},
    {"Value", Text(kCreditLine)},
    {"Visible", Boolean(true)},
    {"Bold", Boolean(false)},
    {"Italic", Boolean(false)},
    {"FontName", Text("times")},
    {"Underline", Boolean(false)},
    {"FontSize", Single(10)},
    {"FontUnit", ByteEnumeration(0)},
    {"DataSource", Text("")},
    {"DataField", Text("")},
    {"InitialParent", Text("")},
};

constexpr const char* kMouseDown = "( Canvas, Integer, Integer ) as Boolean";
constexpr const char* kKeyDown = "( TextArea, String ) as Boolean";
constexpr const char* kAction = "( PushButton )";

// Creation order is tab order: QCanvas 0 to copytext 10.
const std::array<ControlSpec<ControlWnd>, 11> kControls = {{
    {"QCanvas", &Canvas::ClassRecord, &kQCanvasList, &Question48,
     Bind(Canvas::kMouseDown, kMouseDown, &ControlWnd::QCanvas_MouseDown)},
    {"Nvariables", &TextArea::ClassRecord, &kNvariablesList, nullptr,
     Bind(TextArea::kKeyDown, kKeyDown, &ControlWnd::Nvariables_KeyDown)},
    {"ErrorFld", &TextArea::ClassRecord, &kErrorFldList, nullptr,
     Bind(TextArea::kKeyDown, kKeyDown, &ControlWnd::ErrorFld_KeyDown)},
    {"InputFld1", &TextArea::ClassRecord, &kInputFld1List, nullptr, {}},
    {"ClearBtn", &PushButton::ClassRecord, &kClearBtnList, nullptr,
     Bind(PushButton::kAction, kAction, &ControlWnd::ClearBtn_Action)},
    {"CalculateBtn", &PushButton::ClassRecord, &kCalculateBtnList, nullptr,
     Bind(PushButton::kAction, kAction, &ControlWnd::CalculateBtn_Action)},
    {"StaticText1", &Label::ClassRecord, &kStaticText1List, nullptr, {}},
    {"StaticText3", &Label::ClassRecord, &kStaticText3List, nullptr, {}},
    {"TitlePict", &Canvas::ClassRecord, &kTitlePictList, &Pall, {}},
    {"StaticText2", &Label::ClassRecord, &kStaticText2List, nullptr, {}},
    {"copytext", &Label::ClassRecord, &kCopytextList, nullptr, {}},
}};

// A key passes a number field's filter when it is a digit, a control character or DEL, or, where the field takes
// one, the point. The digit test compares the whole key text, as the filter always has.
bool KeyPasses(const std::string& key, bool pointAllowed) {
  const int64_t code = Asc(key);
  const bool digit = !(key < "0") && !(key > "9");
  return digit || code < 32 || code == 127 || (pointAllowed && code == 46);
}

bool FilterKey(const std::string& key, bool pointAllowed) {
  if (KeyPasses(key, pointAllowed)) return false;
  Beep();
  return true;
}

}  // namespace

const ClassInfo& ControlWnd::ClassRecord() {
  static const ClassInfo record = [] {
    ClassInfo info;
    info.fullName = kFullName;
    info.base = &Window::ClassRecord();
    info.factory = [] { return std::make_shared<ControlWnd>(); };
    info.events = {
        {Window::kActivate, MakeEventEntry(&ControlWnd::Event_Activate)},
        {Window::kAddMenuHandlers, MakeEventEntry(&ControlWnd::AddMenuHandlers)},
        {Window::kClose, MakeEventEntry(&ControlWnd::Event_Close)},
        {Window::kCreateControls, MakeEventEntry(&ControlWnd::CreateControls)},
        {Window::kLayout, MakeEventEntry(&ControlWnd::Layout)},
    };
    return info;
  }();
  return RuntimeRegisterClass(record);
}

// The menu bar goes in before the window's own list, so the list's size is the content area below the menu bar.
void ControlWnd::Layout() {
  MenuBar(MenuBar1::Implicit());
  SetProperties_(shared_from_this(), kWindowList);
}

void ControlWnd::CreateControls() { CreateControls0_(); }

void ControlWnd::CreateControls0_() { BuildControls(kControls); }

Ref<Canvas> ControlWnd::QCanvas() const { return ControlAs<Canvas>("QCanvas"); }
Ref<TextArea> ControlWnd::Nvariables() const { return ControlAs<TextArea>("Nvariables"); }
Ref<TextArea> ControlWnd::ErrorFld() const { return ControlAs<TextArea>("ErrorFld"); }
Ref<TextArea> ControlWnd::InputFld1() const { return ControlAs<TextArea>("InputFld1"); }
Ref<PushButton> ControlWnd::ClearBtn() const { return ControlAs<PushButton>("ClearBtn"); }
Ref<PushButton> ControlWnd::CalculateBtn() const { return ControlAs<PushButton>("CalculateBtn"); }
Ref<Label> ControlWnd::StaticText1() const { return ControlAs<Label>("StaticText1"); }
Ref<Label> ControlWnd::StaticText3() const { return ControlAs<Label>("StaticText3"); }
Ref<Canvas> ControlWnd::TitlePict() const { return ControlAs<Canvas>("TitlePict"); }
Ref<Label> ControlWnd::StaticText2() const { return ControlAs<Label>("StaticText2"); }
Ref<Label> ControlWnd::copytext() const { return ControlAs<Label>("copytext"); }

bool ControlWnd::QCanvas_MouseDown(const Ref<Canvas>&, int64_t, int64_t) {
  RequireObject(DescriptionWnd::Implicit(), "DescriptionWnd")->Show();
  return false;
}

bool ControlWnd::Nvariables_KeyDown(const Ref<TextArea>&, const std::string& key) { return FilterKey(key, false); }

bool ControlWnd::ErrorFld_KeyDown(const Ref<TextArea>&, const std::string& key) { return FilterKey(key, true); }

void ControlWnd::ClearBtn_Action(const Ref<PushButton>&) {
  RequireObject(Nvariables(), "Nvariables")->Text("");
  RequireObject(InputFld1(), "InputFld1")->Text("");
  RequireObject(ErrorFld(), "ErrorFld")->Text("");
  RequireObject(Nvariables(), "Nvariables")->SetFocus();
}

void ControlWnd::CalculateBtn_Action(const Ref<PushButton>&) {
  const std::string count = RequireObject(Nvariables(), "Nvariables")->Text();
  const std::string errorRate = RequireObject(ErrorFld(), "ErrorFld")->Text();
  const std::string pValues = RequireObject(InputFld1(), "InputFld1")->Text();
  if (std::optional<std::string> report = CalculateReport(count, errorRate, pValues, MsgBox)) {
    RequireObject(InputFld1(), "InputFld1")->Text(*report);
  }
}

Ref<MenuItem> ControlWnd::EditMenu() const { return MenuItemNamed("EditMenu"); }
Ref<MenuItem> ControlWnd::EditSelectAll() const { return MenuItemNamed("EditSelectAll"); }
Ref<MenuItem> ControlWnd::UntitledMenu0() const { return MenuItemNamed("UntitledMenu0"); }
Ref<MenuItem> ControlWnd::EditClear() const { return MenuItemNamed("EditClear"); }
Ref<MenuItem> ControlWnd::EditPaste() const { return MenuItemNamed("EditPaste"); }
Ref<MenuItem> ControlWnd::EditCopy() const { return MenuItemNamed("EditCopy"); }
Ref<MenuItem> ControlWnd::EditCut() const { return MenuItemNamed("EditCut"); }
Ref<MenuItem> ControlWnd::UntitledMenu1() const { return MenuItemNamed("UntitledMenu1"); }
Ref<MenuItem> ControlWnd::EditUndo() const { return MenuItemNamed("EditUndo"); }

void ControlWnd::AddMenuHandlers(const Ref<Window>& window) {
  Ref<ControlWnd> self = RuntimeCheckCast<ControlWnd>(RequireObject(window, "window"));
  AddMenuHandler_("DescriptionMenuItem",
                  RuntimeCreateDelegate(&ControlWnd::DescriptionMenuItem_Action_, self, "(  ) as Boolean", 0));
  AddMenuHandler_("AboutPall", RuntimeCreateDelegate(&ControlWnd::AboutPall_Action_, self, "(  ) as Boolean", 0));
}

void ControlWnd::Event_Close() { Quit(0); }

void ControlWnd::Event_Activate() { RequireObject(AboutWnd::Implicit(), "AboutWnd")->Hide(); }

bool ControlWnd::DescriptionMenuItem_Action_() {
  RequireObject(DescriptionWnd::Implicit(), "DescriptionWnd")->Show();
  return false;
}

bool ControlWnd::AboutPall_Action_() {
  RequireObject(AboutWnd::Implicit(), "AboutWnd")->Show();
  return false;
}

Ref<MenuItem> ControlWnd::MenuItemNamed(const char* name) const {
  return RequireObject(MenuBar(), "MenuBar")->Lookup_(name);
}
