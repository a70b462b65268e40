#include "framework/internal/qt_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <utility>

namespace internal {
namespace {

struct QuitState {
  bool requested = false;
  bool loopRunning = false;
  int32_t exitCode = 0;
};

QuitState& Ending() {
  static QuitState state;
  return state;
}

ProgramIdentity& Identity() {
  static ProgramIdentity identity;
  return identity;
}

// Every size of the program's themed icon that is found, so that the window manager can pick a sharp one.
QIcon ProgramIcon(const ProgramIdentity& identity) {
  QIcon icon;
  if (identity.iconName.empty()) return icon;
  const QDir exeDir(QCoreApplication::applicationDirPath());
  const QString fileName = QString::fromStdString(identity.iconName) + QStringLiteral(".png");
  for (const std::string& folder : identity.iconFolders) {
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

}  // namespace

void SetProgramIdentity(ProgramIdentity identity) { Identity() = std::move(identity); }

void ApplyProgramIdentity() {
  const ProgramIdentity& identity = Identity();
  if (!identity.name.empty()) {
    QCoreApplication::setApplicationName(QString::fromStdString(identity.name));
    QCoreApplication::setApplicationVersion(QString::fromStdString(identity.version));
  }
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  QGuiApplication::setDesktopFileName(QString::fromStdString(identity.desktopFileName));
  const QIcon icon = ProgramIcon(identity);
  if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
}

bool EnsureQtApplication() {
  if (QCoreApplication::instance()) return false;
  // Qt keeps references to argc and argv for the application's life. The application object's name stands in for
  // the program's name; the start-up passes no argument vector.
  static int argc = 1;
  static std::string name = Identity().name;
  static char* argv[] = {name.data(), nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  ApplyProgramIdentity();
  return true;
}

void RunEventLoop() {
  struct Running {
    QuitState& state;
    explicit Running(QuitState& s) : state(s) { state.loopRunning = true; }
    ~Running() { state.loopRunning = false; }
  } running(Ending());
  QCoreApplication::exec();
}

void RequestQuit(int code) {
  QuitState& state = Ending();
  state.exitCode = code;
  state.requested = true;
  if (state.loopRunning) QCoreApplication::exit(code);
}

bool QuitRequested() { return Ending().requested; }

int32_t RequestedExitCode() { return Ending().exitCode; }

void ResetQuitState() {
  QuitState& state = Ending();
  state.requested = false;
  state.exitCode = 0;
}

}  // namespace internal
