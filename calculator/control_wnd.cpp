#include "calculator/control_wnd.h"

#include "app/menu_bar1.h"
#include "calculator/calculate_report.h"
#include "framework/services.h"
#include "framework/text.h"
#include "windows/about_wnd.h"
#include "windows/description_wnd.h"

namespace {

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
  static const ClassInfo record = ProgramClassInfo<ControlWnd>(
      Window::ClassRecord(), {{Window::kActivate, MakeEventEntry(&ControlWnd::Event_Activate)},
                              {Window::kAddMenuHandlers, MakeEventEntry(&ControlWnd::AddMenuHandlers)},
                              {Window::kClose, MakeEventEntry(&ControlWnd::Event_Close)},
                              {Window::kCreateControls, MakeEventEntry(&ControlWnd::CreateControls)},
                              {Window::kLayout, MakeEventEntry(&ControlWnd::Layout)}});
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
