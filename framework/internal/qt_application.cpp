#include "framework/internal/qt_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "framework/internal/image_file.h"

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

// Each window is sent every size of the icon before it is mapped, and a 256-pixel icon is a quarter megabyte to
// decode and to send: the first windows get the sizes of title bars, task bars and window switchers, and the larger
// ones follow once a window has drawn itself.
constexpr int kFirstIconLargest = 48;
constexpr int kWholeIconDelayMs = 250;

struct IconFile {
  QString path;
  int side = 0;
};

// The program's themed icon files, one a size ("48x48/apps/NAME.png"), smallest first, from the first folder that
// has any: the build tree's copy before an older installed one.
std::vector<IconFile> ProgramIconFiles(const ProgramIdentity& identity) {
  std::vector<IconFile> files;
  if (identity.iconName.empty()) return files;
  const QDir exeDir(QCoreApplication::applicationDirPath());
  const QString fileName = QString::fromStdString(identity.iconName) + QStringLiteral(".png");
  for (const std::string& folder : identity.iconFolders) {
    const QDir hicolor(exeDir.filePath(QString::fromStdString(folder) + QStringLiteral("/hicolor")));
    for (const QString& size : hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      const QStringList sides = size.split(u'x');
      const int side = sides.size() == 2 && sides[0] == sides[1] ? sides[0].toInt() : 0;
      const QFileInfo file(hicolor.filePath(size + QStringLiteral("/apps/") + fileName));
      if (side > 0 && file.isFile()) files.push_back({file.filePath(), side});
    }
    if (!files.empty()) break;
  }
  std::sort(files.begin(), files.end(), [](const IconFile& a, const IconFile& b) { return a.side < b.side; });
  return files;
}

// Read as the program's pictures are, by the reader the suffix names: a file name handed to QIcon would have every
// image format plugin loaded to guess the format.
QIcon IconUpTo(const std::vector<IconFile>& files, int largest) {
  QIcon icon;
  for (const IconFile& file : files) {
    if (file.side > largest) break;
    if (const QImage image = ReadImageFile(file.path); !image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

bool AnyWindowExposed() {
  const QWindowList windows = QGuiApplication::topLevelWindows();
  return std::any_of(windows.begin(), windows.end(), [](const QWindow* window) { return window->isExposed(); });
}

// Gives the application the icon in every size a quarter second after the first window was exposed: windows that
// exist are sent it again, those made later take it as they are made. The window has drawn itself by then, and the
// decoding stays out of the way of what start-up does next; no one opens a window switcher sooner.
class WholeIconAfterFirstFrame : public QObject {
 public:
  static void Await(std::vector<IconFile> files) {
    Cancel();
    pending_ = new WholeIconAfterFirstFrame(std::move(files));
  }

  static void Cancel() {
    delete pending_;
    pending_ = nullptr;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Expose || !watched->isWindowType()) return false;
    qApp->removeEventFilter(this);
    QTimer::singleShot(kWholeIconDelayMs, this, [this] {
      pending_ = nullptr;
      QGuiApplication::setWindowIcon(IconUpTo(files_, std::numeric_limits<int>::max()));
      deleteLater();
    });
    return false;
  }

 private:
  explicit WholeIconAfterFirstFrame(std::vector<IconFile> files) : QObject(qApp), files_(std::move(files)) {
    qApp->installEventFilter(this);
  }

  static inline WholeIconAfterFirstFrame* pending_ = nullptr;
  std::vector<IconFile> files_;
};

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
  WholeIconAfterFirstFrame::Cancel();
  std::vector<IconFile> files = ProgramIconFiles(identity);
  if (files.empty()) return;
  const int largest = AnyWindowExposed() ? std::numeric_limits<int>::max() : kFirstIconLargest;
  QGuiApplication::setWindowIcon(IconUpTo(files, largest));
  if (files.back().side > largest) WholeIconAfterFirstFrame::Await(std::move(files));
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
