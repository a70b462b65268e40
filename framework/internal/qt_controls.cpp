#include "framework/internal/qt_controls.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <vector>

namespace {

// GUI thread only, as every dispatch is.
int dispatchDepth = 0;

// Released while a dispatch was on the stack. Qt runs a deferred delete posted inside a nested event loop (a
// handler's message box) as soon as that loop gets control back, while the outer handler and Qt's code around it
// still use the object; so deleteLater waits until the outermost dispatch has ended.
std::vector<QPointer<QObject>>& PendingReleases() {
  static std::vector<QPointer<QObject>> pending;
  return pending;
}

}  // namespace

bool internal::IsPrintable(char32_t c) { return c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0); }

QtDispatchScope::QtDispatchScope() { ++dispatchDepth; }

// The event loop that gets control back next is the one the outermost dispatch was called from: there nothing of
// ours uses the objects any more.
QtDispatchScope::~QtDispatchScope() {
  if (--dispatchDepth > 0) return;
  std::vector<QPointer<QObject>> pending;
  pending.swap(PendingReleases());
  for (const QPointer<QObject>& object : pending) {
    if (object) object->deleteLater();
  }
}

bool QtDispatchScope::Active() { return dispatchDepth > 0; }

ControlImpl::~ControlImpl() {
  // After the application is gone a Qt object must not be touched any more; the process is ending anyway.
  if (!QCoreApplication::instance()) return;
  ReleaseQtObject(timer.data());
  ReleaseQtObject(widget.data());
}

void ReleaseQtObject(QObject* object) {
  if (!object) return;
  // The last reference may go on another thread; a Qt object is stopped and deleted on its own thread only. Until
  // then a timer may still fire, but into a control that is gone, which its connection finds out.
  if (object->thread() != QThread::currentThread()) {
    QMetaObject::invokeMethod(
        object, [guarded = QPointer<QObject>(object)] { ReleaseQtObject(guarded.data()); }, Qt::QueuedConnection);
    return;
  }
  if (QtDispatchScope::Active()) {
    if (auto* widget = qobject_cast<QWidget*>(object)) widget->hide();
    // A released timer must not fire again before it is gone.
    if (auto* timer = qobject_cast<QTimer*>(object)) timer->stop();
    PendingReleases().emplace_back(object);
  } else {
    delete object;
  }
}

std::optional<std::string> FrameworkKeyText(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Backspace:
      return std::string(1, '\x08');
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return std::string(1, '\x09');
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return std::string(1, '\x0d');
    case Qt::Key_Escape:
      return std::string(1, '\x1b');
    case Qt::Key_Delete:
      return std::string(1, '\x7f');
    case Qt::Key_Left:
      return std::string(1, '\x1c');
    case Qt::Key_Right:
      return std::string(1, '\x1d');
    case Qt::Key_Up:
      return std::string(1, '\x1e');
    case Qt::Key_Down:
      return std::string(1, '\x1f');
    default:
      break;
  }
  const Qt::KeyboardModifiers mods = event.modifiers();
  const bool altGr = (mods & Qt::ControlModifier) && (mods & Qt::AltModifier);
  if ((mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !altGr) return std::nullopt;
  const QList<uint> codes = event.text().toUcs4();
  if (codes.size() != 1 || !internal::IsPrintable(codes[0])) return std::nullopt;
  return event.text().toStdString();
}

std::string OutsideText(const QString& plain) {
  QString text;
  text.reserve(plain.size() + plain.size() / 16);
  for (QChar c : plain) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n') {
      text += QStringLiteral("\r\n");
    } else {
      text += c;
    }
  }
  return text.toStdString();
}

QString InsideText(const std::string& text) {
  QString inside = QString::fromStdString(text);
  inside.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  inside.replace(u'\r', u'\n');
  return inside;
}

int64_t OutsideLength(const QString& plain, int from, int to) {
  int64_t length = 0;
  for (int i = std::max(from, 0); i < std::min(to, static_cast<int>(plain.size())); ++i) {
    const QChar c = plain[i];
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n') {
      length += 2;
    } else if (!(c.isLowSurrogate() && i > 0 && plain[i - 1].isHighSurrogate())) {
      length += 1;
    }
  }
  return length;
}

int OutsidePositionToInside(const QString& plain, int64_t position) {
  int64_t outside = 0;
  int i = 0;
  const int size = static_cast<int>(plain.size());
  while (i < size && outside < position) {
    const QChar c = plain[i];
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n') {
      // A position between CR and LF falls back to the start of the break.
      if (outside + 2 > position) break;
      outside += 2;
      ++i;
    } else {
      outside += 1;
      i += (c.isHighSurrogate() && i + 1 < size && plain[i + 1].isLowSurrogate()) ? 2 : 1;
    }
  }
  return i;
}
