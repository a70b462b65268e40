// Arbitrary bytes as a design-time property list, applied to real Qt widgets: the first byte chooses the target (a
// control of each class on a shown window, or a window of its own), the rest is the list. The setter must refuse
// what it cannot read and read nothing past the end, and every applier must take whatever value the list holds:
// no failure other than the setter's refusal, no sanitizer report.
#include <QApplication>
#include <QEvent>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "framework/controls.h"
#include "framework/internal/native.h"
#include "framework/property_list.h"
#include "framework/window.h"

namespace {

using ClassRecordFn = const ClassInfo& (*)();
constexpr std::array<ClassRecordFn, 5> kControlClasses = {
    &TextArea::ClassRecord, &Label::ClassRecord, &Canvas::ClassRecord, &PushButton::ClassRecord, &Timer::ClassRecord};

constexpr int kLargestPainted = 8192;

// The window the controls sit on, built once: making and showing a window for every input would cost more than
// the lists themselves.
Ref<Window> host;

void Apply(const Ref<Object>& target, std::string_view list) {
  try {
    RuntimeMassPropertySetter(target, list);
  } catch (const UnsupportedFormatException&) {
  }
}

void SetHostSize(int64_t width, int64_t height) {
  host->SetProperty("Width", width);
  host->SetProperty("Height", height);
}

// Deferred deletes and paint requests are handled as the event loop would between two user actions.
void LetTheLoopRun() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

// Qt keeps fontconfig's and GLib's process-wide caches for the life of the process, by design.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}

// Qt's warnings (the offscreen platform cannot raise a window) would only fill the logs; a fatal one still ends
// the run as a finding.
static void DropWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "Qt fatal: %s\n", message.toLocal8Bit().constData());
    std::abort();
  }
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // No display is needed, nor used if there is one.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(&DropWarnings);
  new QApplication(*argc, *argv);  // lives as long as the process
  host = RuntimeNewObject<Window>();
  SetHostSize(300, 200);
  host->SetProperty("Visible", true);
  host->Constructor();
  LetTheLoopRun();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view list(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t choice = data[0] % (kControlClasses.size() + 1);
  if (choice < kControlClasses.size()) {
    Ref<Object> control = host->New_(kControlClasses[choice]());
    Apply(control, list);
    // The locks follow the window's content as it grows and shrinks back.
    SetHostSize(520, 410);
    SetHostSize(300, 200);
    LetTheLoopRun();
  } else {
    // Before the window is built and once it is, where Visible shows or hides it.
    Ref<Window> window = RuntimeNewObject<Window>();
    Apply(window, list);
    window->Constructor();
    Apply(window, list);
    // A window system keeps a window within what it can show; the offscreen platform does not, and painting a
    // window as large as a list may ask for (QWIDGETSIZE_MAX units high) would only measure the machine's memory.
    const QWidget* widget = internal::Native::WindowWidget(*window);
    if (widget && widget->width() <= kLargestPainted && widget->height() <= kLargestPainted) LetTheLoopRun();
    window->Close();
  }
  LetTheLoopRun();
  return 0;
}
