#include "framework/internal/gui_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <string>

#include "framework/internal/qt_application.h"
#include "framework/object.h"

namespace internal {

void RequireGuiThread(const char* operation) {
  // Without an application every widget, timer and message box would end the process through Qt's fatal error, so
  // the first operation makes it; its thread becomes the GUI thread.
  EnsureQtApplication();
  const QCoreApplication* app = QCoreApplication::instance();
  if (QThread::currentThread() != app->thread()) {
    throw ThreadAccessingUIException(std::string(operation) + " called from a thread other than the GUI thread");
  }
}

}  // namespace internal
