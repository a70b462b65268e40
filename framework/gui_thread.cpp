#include "framework/gui_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <string>

#include "framework/object.h"

void RequireGuiThread_(const char* operation) {
  const QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() != app->thread()) {
    throw ThreadAccessingUIException(std::string(operation) + " called from a thread other than the GUI thread");
  }
}
