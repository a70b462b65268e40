#include "framework/runtime.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <typeinfo>

#include "framework/internal/qt_application.h"
#include "framework/services.h"
#include "framework/window.h"

#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#endif

namespace {

struct RuntimeState {
  EntryArguments entry;
  Ref<Delegate> exceptionHelper;
  Ref<Application> app;
  ProgramFiles files;
  std::vector<std::function<void()>> finalizers;
  bool supportsHiDPI = false;
  // Sticks after an unhandled exception or a failed finaliser: a later Quit does not make the run a success.
  bool unhandled = false;
};

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

using HelperCallable = std::function<Ref<Object>(HandlerFunction, void*)>;
constexpr const char* kHelperSignature = "( Ptr, Ptr ) as Object";
constexpr const char* kLateStartupSignature = "(  )";

// Ends the run with exit code 1, whether or not the event loop has started.
void EndAfterUnhandled() {
  State().unhandled = true;
  internal::RequestQuit(1);
}

// The Qt application shows the registered application object's name and version and the program's files.
void PublishProgramIdentity() {
  const RuntimeState& state = State();
  internal::ProgramIdentity identity;
  identity.iconFolders = state.files.iconFolders;
  identity.iconName = state.files.iconName;
  identity.desktopFileName = state.files.desktopFileName;
  if (state.app) {
    identity.name = state.app->PackageInfo();
    identity.version = state.app->ShortVersion();
  }
  internal::SetProgramIdentity(std::move(identity));
}

std::string TypeName(const std::exception& e) {
  const char* raw = typeid(e).name();
#if __has_include(<cxxabi.h>)
  int status = 0;
  char* demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
  if (status == 0 && demangled) {
    std::string name(demangled);
    std::free(demangled);
    return name;
  }
#endif
  return raw;
}

struct HandlerCall {
  const std::function<bool()>* handler;
  bool result = false;
};

void CallHandler(void* argument) {
  auto* call = static_cast<HandlerCall*>(argument);
  call->result = (*call->handler)();
}

// A thrown value of any type as the framework's failure it stands for.
Ref<RuntimeException> AsRuntimeException(std::exception_ptr thrown) {
  if (!thrown) return std::make_shared<NilObjectException>("the exception to handle is nil");
  try {
    std::rethrow_exception(thrown);
  } catch (const RuntimeException& e) {
    return e.Clone();
  } catch (const std::exception& e) {
    return std::make_shared<RuntimeException>("C++ exception " + TypeName(e) + ": " + e.what());
  } catch (...) {
    return std::make_shared<RuntimeException>("C++ exception of unknown type");
  }
}

// The default handling must not let anything out either: a failure while reporting still ends the run.
void ReportUnhandled(const RuntimeException& failure) noexcept {
  try {
    UnhandledException_(failure);
  } catch (...) {
    std::fputs("Unhandled exception while reporting an unhandled exception\n", stderr);
    EndAfterUnhandled();
  }
}

const ClassInfo& ExternalRecord(const char* fullName) {
  // Records the run-time hands out by name only; nothing of the program makes or uses their objects.
  static std::map<std::string, ClassInfo> records;
  auto [it, added] = records.try_emplace(fullName);
  if (added) {
    it->second.fullName = fullName;
    it->second.base = &Object::ClassRecord();
  }
  return RuntimeRegisterClass(it->second);
}

}  // namespace

void RuntimeInit(void* instance, void* previousInstance, const wchar_t* commandLine, int showMode) {
  RuntimeState& state = State();
  state.entry = {instance, previousInstance, commandLine ? std::wstring(commandLine) : std::wstring(), showMode};
}

const EntryArguments& RuntimeEntryArguments() { return State().entry; }

Ref<Object> CallFunctionWithExceptionHandling_(HandlerFunction function, void* argument) {
  if (!function) return std::make_shared<NilObjectException>("the function to call is nil");
  try {
    function(argument);
  } catch (const RuntimeException& e) {
    return e.Clone();
  }
  return nullptr;
}

void RuntimeSetExceptionHelper_(const Ref<Delegate>& helper) {
  if (helper &&
      (helper->Signature() != kHelperSignature || helper->CallableType() != std::type_index(typeid(HelperCallable)))) {
    throw TypeMismatchException("exception helper " + helper->Signature() + " is not " + kHelperSignature);
  }
  State().exceptionHelper = helper;
}

bool internal::RuntimeRunHandler(const std::function<bool()>& handler) {
  HandlerCall call{&handler};
  Ref<RuntimeException> failure;
  try {
    // A copy: the handler may install another helper (or a test reset the run-time) while this one runs.
    const Ref<Delegate> helper = State().exceptionHelper;
    Ref<Object> raised = helper ? helper->Call<Ref<Object>, HandlerFunction, void*>(&CallHandler, &call)
                                : CallFunctionWithExceptionHandling_(&CallHandler, &call);
    if (raised) {
      failure = std::dynamic_pointer_cast<RuntimeException>(raised);
      if (!failure) {
        failure = std::make_shared<RuntimeException>("the exception helper gave back a " + raised->GetClass().fullName);
      }
    }
  } catch (...) {
    failure = AsRuntimeException(std::current_exception());
  }
  if (!failure) return call.result;
  ReportUnhandled(*failure);
  return false;
}

void RuntimeInitExternalClasses_() {
  for (ClassInitializer initializer :
       {&NilObjectException::ClassRecord, &IllegalCastException::ClassRecord, &OutOfBoundsException::ClassRecord,
        &TypeMismatchException::ClassRecord, &UnsupportedFormatException::ClassRecord,
        &FunctionNotFoundException::ClassRecord, &StackOverflowException::ClassRecord,
        &ThreadAccessingUIException::ClassRecord, &WeakRef::ClassRecord}) {
    initializer();
  }
  ExternalRecord("MessageDialog");
  ExternalRecord("Variant");
}

void InitPluginEntrypoints_() {}

const ClassInfo& Application::ClassRecord() {
  static const ClassInfo record{
      .fullName = "Application",
      .base = &Object::ClassRecord(),
      .factory = [] { return std::make_shared<Application>(); },
      .eventNames = {"Activate", "AppearanceChanged", "CancelClose", "Close", "Deactivate", "EnableMenuItems",
                     "HandleAppleEvent", "NewDocument", "Open", "OpenDocument", "UnhandledException"},
      // The framework raises none of them, so an application class may fill no entry.
      .raisedEvents = std::set<int>{}};
  return RuntimeRegisterClass(record);
}

void Application::SetSupportsHiDPI_(bool on) {
  State().supportsHiDPI = on;
  // Qt 6 always scales; the policy only decides whether fractional factors (150 %) are kept, and Qt reads it when
  // the application is made.
  if (on && !QCoreApplication::instance()) {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
  }
}

bool Application::SupportsHiDPI() { return State().supportsHiDPI; }

void Application::x_SetVersionData_(int64_t major, int64_t minor, int64_t bug, int64_t nonRelease, int64_t stage,
                                    const std::string& longVersion, const std::string& shortVersion,
                                    const std::string& packageInfo) {
  major_ = major;
  minor_ = minor;
  bug_ = bug;
  nonRelease_ = nonRelease;
  stage_ = stage;
  longVersion_ = longVersion;
  shortVersion_ = shortVersion;
  packageInfo_ = packageInfo;
  if (State().app.get() == this) PublishProgramIdentity();
}

bool Application::IsEventImplemented(const std::string& eventName) {
  return RuntimeIsEventHandled_(weak_from_this().lock(), GetClass().fullName, eventName, true);
}

void RuntimeRegisterAppObject_(const Ref<Application>& app) {
  State().app = RequireObject(app, "application object");
  PublishProgramIdentity();
}

Ref<Application> RuntimeAppObject() { return State().app; }

void RuntimeSetProgramFiles(const ProgramFiles& files) {
  State().files = files;
  PublishProgramIdentity();
}

const ProgramFiles& RuntimeProgramFiles() { return State().files; }

void RunFrameworkInitialization_(const Ref<Delegate>& lateStartup) {
  RequireObject(lateStartup, "late start-up delegate");
  if (lateStartup->Signature() != kLateStartupSignature) {
    throw TypeMismatchException("late start-up " + lateStartup->Signature() + " is not " + kLateStartupSignature);
  }
  // An application made now takes the identity as it is made; one made earlier (by a window or control operation, or
  // by a test) is given it here.
  if (!internal::EnsureQtApplication()) internal::ApplyProgramIdentity();
  RuntimeAddFinalizer(&ReleaseLiveWindows);
  lateStartup->Call<void>();
}

void RuntimeRun_() {
  if (internal::QuitRequested()) return;
  if (!QCoreApplication::instance()) {
    throw NilObjectException("the event loop has no application: the framework is not initialised");
  }
  internal::RunEventLoop();
}

void UnhandledException_(const RuntimeException& exception) {
  const std::string line = "Unhandled " + exception.ClassName() + ": " + exception.Message();
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  // The run ends even when the message box itself fails.
  struct End {
    ~End() { EndAfterUnhandled(); }
  } end;
  MsgBox(line);
}

void UnhandledException_(std::exception_ptr exception) { UnhandledException_(*AsRuntimeException(exception)); }

void RuntimeAddFinalizer(std::function<void()> finalizer) { State().finalizers.push_back(std::move(finalizer)); }

void RuntimePerformFinalizers() {
  std::vector<std::function<void()>> finalizers;
  finalizers.swap(State().finalizers);
  for (auto it = finalizers.rbegin(); it != finalizers.rend(); ++it) {
    // One failing clean-up must not keep the others from running.
    try {
      (*it)();
    } catch (...) {
      const Ref<RuntimeException> failure = AsRuntimeException(std::current_exception());
      std::fprintf(stderr, "Finaliser failed: %s: %s\n", failure->ClassName().c_str(), failure->Message().c_str());
      State().unhandled = true;
    }
  }
}

int32_t RuntimeExit() { return State().unhandled ? 1 : internal::RequestedExitCode(); }

void RuntimeRequestQuit(int code) { internal::RequestQuit(code); }

bool RuntimeQuitRequested() { return internal::QuitRequested(); }

void RuntimeResetForTesting() {
  State() = RuntimeState{};
  internal::ResetQuitState();
  PublishProgramIdentity();
}
