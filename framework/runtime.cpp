#include "framework/runtime.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <cstdio>
#include <exception>
#include <typeinfo>

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
  bool quitRequested = false;
  bool unhandled = false;
  bool loopRunning = false;
  int32_t exitCode = 0;
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
  RuntimeState& state = State();
  state.unhandled = true;
  state.exitCode = 1;
  state.quitRequested = true;
  if (state.loopRunning) QCoreApplication::exit(1);
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

void RuntimePerformInitializers(std::span<const ClassInitializer> classList) {
  for (ClassInitializer initializer : classList) RuntimeRegisterClass(initializer());
}

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

bool RuntimeRunHandler(const std::function<bool()>& handler) {
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
                     "HandleAppleEvent", "NewDocument", "Open", "OpenDocument", "UnhandledException"}};
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
}

bool Application::IsEventImplemented(const std::string& eventName) {
  return RuntimeIsEventHandled_(weak_from_this().lock(), GetClass().fullName, eventName, true);
}

void RuntimeRegisterAppObject_(const Ref<Application>& app) { State().app = RequireObject(app, "application object"); }

Ref<Application> RuntimeAppObject() { return State().app; }

void RuntimeSetProgramFiles(const ProgramFiles& files) { State().files = files; }

const ProgramFiles& RuntimeProgramFiles() { return State().files; }

namespace {

// Every size of the program's themed icon that is found, so that the window manager can pick a sharp one.
QIcon ProgramIcon(const ProgramFiles& files) {
  QIcon icon;
  if (files.iconName.empty()) return icon;
  const QDir exeDir(QCoreApplication::applicationDirPath());
  const QString fileName = QString::fromStdString(files.iconName) + QStringLiteral(".png");
  for (const std::string& folder : files.iconFolders) {
    const QDir hicolor(exeDir.filePath(QString::fromStdString(folder) + QStringLiteral("/hicolor")));
    for (const QString& size : hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
      const QFileInfo file(hicolor.filePath(size + QStringLiteral("/apps/") + fileName));
      if (file.isFile()) icon.addFile(file.filePath());
    }
    // The first folder that has the icon wins: the build tree's copy before an older installed one.
    if (!icon.isNull()) break;
  }
  return icon;
}

// The application object's name and the program's icon and desktop entry, for every window and message box.
void ApplyProgramIdentity() {
  const RuntimeState& state = State();
  if (state.app && !state.app->PackageInfo().empty()) {
    QCoreApplication::setApplicationName(QString::fromStdString(state.app->PackageInfo()));
    QCoreApplication::setApplicationVersion(QString::fromStdString(state.app->ShortVersion()));
  }
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  QGuiApplication::setDesktopFileName(QString::fromStdString(state.files.desktopFileName));
  const QIcon icon = ProgramIcon(state.files);
  if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
}

}  // namespace

void EnsureQtApplication_() {
  if (QCoreApplication::instance()) return;
  // Qt keeps references to argc and argv for the application's life. The application itself is never deleted:
  // windows may outlive the finalisers, and a widget destroyed after its QApplication crashes.
  // The application object's name stands in for the program's name; the start-up passes no argument vector.
  static int argc = 1;
  static std::string name = RuntimeAppObject() ? RuntimeAppObject()->PackageInfo() : std::string();
  static char* argv[] = {name.data(), nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  ApplyProgramIdentity();
}

void RunFrameworkInitialization_(const Ref<Delegate>& lateStartup) {
  RequireObject(lateStartup, "late start-up delegate");
  if (lateStartup->Signature() != kLateStartupSignature) {
    throw TypeMismatchException("late start-up " + lateStartup->Signature() + " is not " + kLateStartupSignature);
  }
  EnsureQtApplication_();
  ApplyProgramIdentity();
  RuntimeAddFinalizer(&ReleaseLiveWindows);
  lateStartup->Call<void>();
}

void RuntimeRun_() {
  RuntimeState& state = State();
  if (state.quitRequested) return;
  if (!QCoreApplication::instance()) {
    throw NilObjectException("the event loop has no application: the framework is not initialised");
  }
  struct Running {
    RuntimeState& state;
    explicit Running(RuntimeState& s) : state(s) { state.loopRunning = true; }
    ~Running() { state.loopRunning = false; }
  } running(state);
  QCoreApplication::exec();
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

int32_t RuntimeExit() {
  const RuntimeState& state = State();
  return state.unhandled ? 1 : state.exitCode;
}

void RuntimeRequestQuit(int code) {
  RuntimeState& state = State();
  state.exitCode = code;
  state.quitRequested = true;
  if (state.loopRunning) QCoreApplication::exit(code);
}

bool RuntimeQuitRequested() { return State().quitRequested; }

void RuntimeResetForTesting() {
  RuntimeState& state = State();
  const bool loopRunning = state.loopRunning;
  state = RuntimeState{};
  state.loopRunning = loopRunning;
}
