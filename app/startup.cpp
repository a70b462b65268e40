#include "app/startup.h"

#include <array>
#include <cstdio>
#include <exception>
#include <string>

#include "app/credit_line.h"
#include "app/menu_bar1.h"
#include "app/pallastrovane.h"
#include "calculator/control_wnd.h"
#include "framework/controls.h"
#include "framework/menu.h"
#include "framework/picture.h"
#include "framework/window.h"
#include "windows/about_wnd.h"
#include "windows/description_wnd.h"

const char* const kLongVersion = kCreditLine;

namespace {

std::function<void(std::string_view)> startupObserver;

void Step(std::string_view name) {
  if (startupObserver) startupObserver(name);
}

const std::array<ClassInitializer, 22> kClassList = {
    &Object::ClassRecord,
    &WeakRef::ClassRecord,
    &Delegate::ClassRecord,
    &RuntimeException::ClassRecord,
    &Application::ClassRecord,
    &Picture::ClassRecord,
    &MenuItem::ClassRecord,
    &MenuBar::ClassRecord,
    &Window::ClassRecord,
    &Control::ClassRecord,
    &RectControl::ClassRecord,
    &TextArea::ClassRecord,
    &Label::ClassRecord,
    &Canvas::ClassRecord,
    &PushButton::ClassRecord,
    &Timer::ClassRecord,
    &Pallastrovane::ClassRecord,
    &MenuBar1::ClassRecord,
    &AboutWnd_wrapper_Timer1::ClassRecord,
    &AboutWnd::ClassRecord,
    &ControlWnd::ClassRecord,
    &DescriptionWnd::ClassRecord,
};

}  // namespace

std::span<const ClassInitializer> ProgramClassList() { return kClassList; }

void SetStartupObserverForTesting(std::function<void(std::string_view)> observer) {
  startupObserver = std::move(observer);
}

int32_t wWinMain(void* instance, void* previousInstance, const wchar_t* commandLine, int showMode) {
  RuntimeInit(instance, previousInstance, commandLine, showMode);
  RuntimePerformInitializers(ProgramClassList());
  try {
    Main_();
  } catch (const std::exception& e) {
    // The default handling itself failed; the finalisers and the exit still run.
    std::fprintf(stderr, "Pallastrovane: %s\n", e.what());
  }
  RuntimePerformFinalizers();
  return RuntimeExit();
}

void Main_() {
  try {
    Step("Main_");
    {
      Ref<Delegate> helper =
          RuntimeCreateDelegate(&CallFunctionWithExceptionHandling_, nullptr, "( Ptr, Ptr ) as Object", 0);
      RuntimeSetExceptionHelper_(helper);
    }
    EarlyStartup_();
    {
      Ref<Delegate> late = RuntimeCreateDelegate(&LateStartup_, nullptr, "(  )", 0);
      RunFrameworkInitialization_(late);
    }
    Step("RuntimeRun_");
    RuntimeRun_();
  } catch (const RuntimeException& e) {
    UnhandledException_(e);
  } catch (const std::exception& e) {
    // A failure that is not the framework's (memory, the standard library) is handled the same way rather than
    // skipping the finalisers.
    UnhandledException_(RuntimeException(std::string("std::exception: ") + e.what()));
  }
}

void EarlyStartup_() {
  Step("EarlyStartup_");
  Application::SetSupportsHiDPI_(true);
  RuntimeInitExternalClasses_();
  InitPluginEntrypoints_();
  InitFileTypes_();
  NewAppInstance_();
  ApplicationAddMenuHandlers_();
}

void NewAppInstance_() {
  Step("NewAppInstance_");
  Ref<Pallastrovane> app = RuntimeNewObject<Pallastrovane>();
  app->Constructor();
  app->x_SetVersionData_(2, 0, 0, 0, 3, kLongVersion, "2.0", "Pallastrovane");
  RuntimeRegisterAppObject_(app);
}

void InitFileTypes_() {}

void LateStartup_() {
  Step("LateStartup_");
  MakeDefaultView_();
}

void MakeDefaultView_() {
  Step("MakeDefaultView_");
  Ref<AboutWnd> splash = AboutWnd::Implicit();
}
