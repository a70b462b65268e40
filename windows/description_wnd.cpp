#include "windows/description_wnd.h"

#include "calculator/control_wnd.h"
#include "framework/printing.h"
#include "windows/about_wnd.h"

namespace {

// The title line, "Pallastrovane", is the part of the text made bold.
constexpr int64_t kTitleLength = 13;
// One printed block, in printer points: the field's text laid out this wide and cut off this low.
constexpr int kPrintWidth = 540;
constexpr int kPrintHeight = 540;

constexpr const char* kMenuHandler = "(  ) as Boolean";

}  // namespace

const ClassInfo& DescriptionWnd::ClassRecord() {
  static const ClassInfo record = ProgramClassInfo<DescriptionWnd>(
      Window::ClassRecord(), {{Window::kAddMenuHandlers, MakeEventEntry(&DescriptionWnd::AddMenuHandlers)},
                              {Window::kCreateControls, MakeEventEntry(&DescriptionWnd::CreateControls)},
                              {Window::kLayout, MakeEventEntry(&DescriptionWnd::Layout)},
                              {Window::kOpen, MakeEventEntry(&DescriptionWnd::Event_Open)}});
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
