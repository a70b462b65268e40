// The run-time's start-up operations, the application class and the default handling of unhandled exceptions.
// The program's start-up calls these in a fixed order; the framework's event loop runs inside RuntimeRun_.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "framework/delegate.h"
#include "framework/object.h"

// The four process entry arguments, kept unchanged for the life of the run-time.
struct EntryArguments {
  void* instance = nullptr;
  void* previousInstance = nullptr;
  std::wstring commandLine;
  int showMode = 0;
};

void RuntimeInit(void* instance, void* previousInstance, const wchar_t* commandLine, int showMode);
const EntryArguments& RuntimeEntryArguments();

// The exception-catching routine: calls function(argument) and gives back the RuntimeException it raised, or
// none. Exceptions of any other class pass on.
using HandlerFunction = void (*)(void*);
Ref<Object> CallFunctionWithExceptionHandling_(HandlerFunction function, void* argument);

// The run-time keeps the delegate over the exception-catching routine and runs every handler through it.
void RuntimeSetExceptionHelper_(const Ref<Delegate>& helper);

void RuntimeInitExternalClasses_();
void InitPluginEntrypoints_();

class Application : public Object {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  virtual void Constructor() {}
  // Must be called before the application object (and the Qt application) exists.
  static void SetSupportsHiDPI_(bool on);
  static bool SupportsHiDPI();

  virtual void x_SetVersionData_(int64_t major, int64_t minor, int64_t bug, int64_t nonRelease, int64_t stage,
                                 const std::string& longVersion, const std::string& shortVersion,
                                 const std::string& packageInfo);
  int64_t MajorVersion() const { return major_; }
  int64_t MinorVersion() const { return minor_; }
  int64_t BugVersion() const { return bug_; }
  int64_t NonReleaseVersion() const { return nonRelease_; }
  int64_t StageCode() const { return stage_; }
  const std::string& LongVersion() const { return longVersion_; }
  const std::string& ShortVersion() const { return shortVersion_; }
  const std::string& PackageInfo() const { return packageInfo_; }

  bool IsEventImplemented(const std::string& eventName);

 private:
  int64_t major_ = 0, minor_ = 0, bug_ = 0, nonRelease_ = 0, stage_ = 0;
  std::string longVersion_, shortVersion_, packageInfo_;
};

void RuntimeRegisterAppObject_(const Ref<Application>& app);
Ref<Application> RuntimeAppObject();

// The program's files, as the framework finds them. Folders are relative to the executable's folder (or absolute)
// and searched in order. The start-up hands them over before the framework is initialised, so that the framework
// itself names no program.
struct ProgramFiles {
  // Where the installed pictures are, searched after resources/ beside the executable.
  std::string pictureFolder;
  // Roots of icon themes: <root>/hicolor/<n>x<n>/apps/<iconName>.png, every size found becomes the windows' icon.
  std::vector<std::string> iconFolders;
  std::string iconName;
  // The desktop entry's name without ".desktop", so that task bars match the windows to it.
  std::string desktopFileName;
};
void RuntimeSetProgramFiles(const ProgramFiles& files);
const ProgramFiles& RuntimeProgramFiles();

// Creates the Qt application (unless one exists, as in tests), gives it the application object's name and the
// program's icon and desktop entry, registers the framework's finaliser and runs the late start-up once before
// returning. A failure of the late start-up passes out of this call.
void RunFrameworkInitialization_(const Ref<Delegate>& lateStartup);
// The event loop, until Quit (or an unhandled exception) ends it.
void RuntimeRun_();
// The default handling: a modal message naming the exception's class and message, the same line on stderr, the
// event loop ended and the exit code 1.
void UnhandledException_(const RuntimeException& exception);
// The same for anything thrown: a RuntimeException as it is, any other exception as a RuntimeException that names
// its C++ type and message.
void UnhandledException_(std::exception_ptr exception);
void RuntimePerformFinalizers();
// Quit's code, or 1 after an unhandled exception.
int32_t RuntimeExit();

// Registers work for RuntimePerformFinalizers, which runs it in reverse order. The framework registers its own
// clean-up here when it is initialised: every window still live is released, its widgets deleted while the Qt
// application still exists. The Qt application itself is never deleted.
void RuntimeAddFinalizer(std::function<void()> finalizer);
// Sets the exit code and ends the event loop, as Quit in services.h does.
void RuntimeRequestQuit(int code);
bool RuntimeQuitRequested();
// Forgets every start-up state, so that one test process can run the start-up more than once.
void RuntimeResetForTesting();
