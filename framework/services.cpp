#include "framework/services.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <atomic>

#include "framework/internal/gui_thread.h"
#include "framework/internal/qt_application.h"

namespace {

std::function<void(const std::string&)>& Presenter() {
  static std::function<void(const std::string&)> presenter;
  return presenter;
}

std::atomic<int64_t> beeps{0};

}  // namespace

void MsgBox(const std::string& text) {
  internal::RequireGuiThread("MsgBox");
  if (const auto& presenter = Presenter()) {
    presenter(text);
    return;
  }
  // The application's name, which start-up takes from the application object.
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void Beep() {
  ++beeps;
  // The beep goes through the window system, which only a GUI application has.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QApplication::beep();
}

void Quit(int code) { internal::RequestQuit(code); }

void SetMessagePresenterForTesting(std::function<void(const std::string&)> presenter) {
  Presenter() = std::move(presenter);
}

int64_t BeepCount() { return beeps.load(); }
