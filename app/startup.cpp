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

// The finalisers and the exit still run, and the run did not succeed.
void ReportHandlingFailed() {
  std::fputs("Pallastrovane: the default handling of an unhandled exception failed\n", stderr);
  RuntimeRequestQuit(1);
}

}  // namespace

std::span<const ClassInitializer> ProgramClassList() { return kClassList; }

void SetStartupObserverForTesting(std::function<void(std::string_view)> observer) {
  startupObserver = std::move(observer);
}

#ifdef _WIN32
int32_t __stdcall wWinMain(HINSTANCE__* instance, HINSTANCE__* previousInstance, wchar_t* commandLine, int showMode) {
#else
int32_t wWinMain(void* instance, void* previousInstance, const wchar_t* commandLine, int showMode) {
#endif
  RuntimeInit(instance, previousInstance, commandLine, showMode);
  bool registered = false;
  try {
    RuntimePerformInitializers(ProgramClassList());
    registered = true;
    Main_();
  } catch (...) {
    // Main_ lets out only a failure of the default handling itself; a failed registration gets that handling here.
    if (registered) {
      ReportHandlingFailed();
    } else {
      try {
        UnhandledException_(std::current_exception());
      } catch (...) {
        ReportHandlingFailed();
      }
    }
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
  } catch (...) {
    // Whatever was thrown, the framework's or not, gets the default handling; the finalisers and the exit follow.
    UnhandledException_(std::current_exception());
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
  // Where the build tree and the install put the pictures and icons, and the name of the installed desktop entry.
  RuntimeSetProgramFiles({.pictureFolder = "../share/pallastrovane",
                          .iconFolders = {"resources/icons", "../share/icons"},
                          .iconName = "pallastrovane",
                          .desktopFileName = "pallastrovane"});
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
