// Loaded into the real executable with LD_PRELOAD by the tests and the start-up benchmark, so that the program is
// driven from outside as a user would drive it, with nothing in the program itself for testing.
//
// PALL_DRIVER=handover-close: waits for the calculator window ("Control") to appear, notes whether the splash
//   window was shown first, how many picture canvases show a picture and which image format plugins were loaded
//   by the time the splash window showed, then closes the calculator.
// PALL_DRIVER=describe-close: the same wait, then clicks the question-mark picture and, once the description window
//   ("Description") is shown, closes the calculator with the description window still open.
// PALL_DRIVER=first-show: at the first window shown, writes one byte to the file descriptor PALL_DRIVER_FD and
//   ends the process at once (the benchmark measures exec to first window). PALL_DRIVER=first-frame: the same once
//   that window's content has been drawn once.
// PALL_DRIVER=screenshot: types the worked example into the calculator, calculates and saves the window as the
//   PNG file PALL_DRIVER_SHOT.
// PALL_DRIVER=type-fields: once the calculator is the active window, puts the focus into Nvariables and reports
//   "ready=1"; the keys then come from outside (a real X server). At F12 it reports the texts of Nvariables,
//   ErrorFld and InputFld1 and closes the calculator.
// PALL_DRIVER_REPORT names a file that receives "key=value" lines.
#include <link.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace {

QString reportPath;
bool splashSeen = false;

void Report(const QString& line) {
  if (reportPath.isEmpty()) return;
  QFile file(reportPath);
  if (file.open(QIODevice::Append | QIODevice::Text)) file.write((line + "\n").toUtf8());
}

// A picture canvas shows a picture when its pixels are not all one colour.
int CanvasesWithPictures(const QWidget* window) {
  int count = 0;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    const QString name = child->objectName();
    if (name != "Canvas1" && name != "QCanvas" && name != "TitlePict") continue;
    QImage image = child->grab().toImage();
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; ++y)
      for (int x = 0; x < image.width() && !varied; ++x) varied = image.pixel(x, y) != image.pixel(0, 0);
    count += varied ? 1 : 0;
  }
  return count;
}

// The square sizes the window's icon offers, ascending: "16,32".
QString IconSizes(const QWidget* window) {
  QList<int> sizes;
  for (const QSize& size : window->windowIcon().availableSizes())
    if (size.width() == size.height()) sizes.append(size.width());
  std::sort(sizes.begin(), sizes.end());
  QStringList text;
  for (int size : sizes) text.append(QString::number(size));
  return text.join(',');
}

// The image format plugins loaded into the process, by file name, sorted: "libqjpeg.so".
QString ImageFormatPlugins() {
  QStringList names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        const QString path = QString::fromLocal8Bit(info->dlpi_name);
        if (path.contains("/imageformats/")) static_cast<QStringList*>(data)->append(path.section('/', -1));
        return 0;
      },
      &names);
  names.sort();
  return names.join(',');
}

QWidget* VisibleWindow(const QString& title, bool anyTitle = false) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->isWindow() && (anyTitle || w->windowTitle() == title)) return w;
  return nullptr;
}

// Types into a control of the window as the keyboard would.
void Type(QWidget* window, const char* control, const QString& text) {
  QWidget* field = window->findChild<QWidget*>(control);
  if (!field) return;
  field->setFocus();
  for (QChar c : text) {
    const int key = c == '\n' ? int(Qt::Key_Return) : c.unicode();
    const QString typed = c == '\n' ? QString("\r") : QString(c);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, typed);
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
  }
}

// A left click at that point of the widget, as the mouse would deliver it.
void Click(QWidget* widget, QPoint at) {
  const QPointF local(at), global(widget->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QApplication::sendEvent(widget, &release);
}

// PALL_DRIVER=describe-close, one poll at a time: the first clicks the question mark; a later one that finds the
// description window shown closes the calculator. If none does within about two seconds, the calculator is closed
// anyway so that the test fails on the report rather than on a timeout.
bool DescribeThenClose(QWidget* calculator) {
  static int polls = 0;
  if (polls++ == 0) {
    if (QWidget* question = calculator->findChild<QWidget*>("QCanvas")) Click(question, QPoint(14, 21));
    return false;
  }
  const bool described = VisibleWindow("Description") != nullptr;
  if (!described && polls < 100) return false;
  Report(QString("splash_first=%1").arg(splashSeen ? 1 : 0));
  Report(QString("description_open=%1").arg(described ? 1 : 0));
  calculator->close();
  return true;
}

// PALL_DRIVER=screenshot: the worked example typed in and calculated, the calculator saved to PALL_DRIVER_SHOT.
void Screenshot(QWidget* calculator) {
  Type(calculator, "Nvariables", "3");
  Type(calculator, "ErrorFld", ".05");
  Type(calculator, "InputFld1", ".04\n.01\n.03");
  if (auto* calculate = calculator->findChild<QPushButton*>("CalculateBtn")) calculate->click();
  calculator->grab().save(QString::fromLocal8Bit(qgetenv("PALL_DRIVER_SHOT")));
  calculator->close();
}

// The fields' text through Qt's property, whichever text edit class they are.
QString FieldText(QWidget* window, const char* control) {
  QWidget* field = window->findChild<QWidget*>(control);
  return field ? field->property("plainText").toString() : QString("<missing>");
}

// Keys reach the program in the order they were typed, so at the closing F12 every key before it has been handled.
class ReportAtF12 : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F12) return false;
    if (QWidget* calculator = VisibleWindow("Control")) {
      Report("Nvariables=" + FieldText(calculator, "Nvariables"));
      Report("ErrorFld=" + FieldText(calculator, "ErrorFld"));
      Report("InputFld1=" + FieldText(calculator, "InputFld1"));
      calculator->close();
    }
    return true;
  }
};

// PALL_DRIVER=type-fields: the calculator active with the focus in Nvariables, then "ready=1".
bool FocusCount(QWidget* calculator) {
  QWidget* field = calculator->findChild<QWidget*>("Nvariables");
  if (!field) return false;
  if (!calculator->isActiveWindow()) {
    calculator->activateWindow();
    return false;
  }
  if (QApplication::focusWidget() != field) field->setFocus();
  if (QApplication::focusWidget() != field) return false;
  Report("ready=1");
  return true;
}

void Install() {
  const QByteArray mode = qgetenv("PALL_DRIVER");
  reportPath = QString::fromLocal8Bit(qgetenv("PALL_DRIVER_REPORT"));
  if (mode.isEmpty()) return;
  if (mode == "type-fields") QCoreApplication::instance()->installEventFilter(new ReportAtF12(qApp));
  auto* poll = new QTimer(QCoreApplication::instance());
  poll->setInterval(mode == "first-show" ? 1 : 20);
  QObject::connect(poll, &QTimer::timeout, [mode, poll] {
    if (mode == "first-show" || mode == "first-frame") {
      QWidget* shown = VisibleWindow({}, true);
      if (!shown) return;
      // The first frame: the window's whole content drawn once, text and pictures included.
      if (mode == "first-frame") shown->grab();
      int fd = qEnvironmentVariableIntValue("PALL_DRIVER_FD");
      char byte = 1;
      if (fd > 0 && write(fd, &byte, 1) != 1) std::_Exit(3);
      std::_Exit(0);
    }
    if (QWidget* splash = VisibleWindow(QStringLiteral(" ")); splash && !splashSeen) {
      splashSeen = true;
      Report(QString("splash_pictures=%1").arg(CanvasesWithPictures(splash)));
      Report(QString("splash_image_plugins=%1").arg(ImageFormatPlugins()));
    }
    if (QWidget* calculator = VisibleWindow("Control")) {
      if (mode == "describe-close") {
        if (DescribeThenClose(calculator)) poll->stop();
        return;
      }
      if (mode == "type-fields") {
        if (FocusCount(calculator)) poll->stop();
        return;
      }
      poll->stop();
      if (mode == "screenshot") {
        Screenshot(calculator);
        return;
      }
      Report(QString("splash_first=%1").arg(splashSeen ? 1 : 0));
      Report(QString("calculator_pictures=%1").arg(CanvasesWithPictures(calculator)));
      Report(QString("icon_sizes=%1").arg(IconSizes(calculator)));
      Report(QString("desktop_file=%1").arg(QGuiApplication::desktopFileName()));
      calculator->close();
    }
  });
  poll->start();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
