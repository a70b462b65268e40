#include "framework/controls.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "framework/gui_thread.h"
#include "framework/native.h"
#include "framework/picture.h"
#include "framework/qt_colour.h"
#include "framework/qt_controls.h"
#include "framework/window.h"

namespace {

int dispatchDepth = 0;

bool IsPrintable(char32_t c) { return c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0); }

uint32_t ColourProperty(const Object& object, const std::string& name, uint32_t fallback) {
  const PropValue* value = object.GetProperty(name);
  if (!value) return fallback;
  if (const auto* colour = std::get_if<uint32_t>(value)) return *colour;
  if (const auto* number = std::get_if<int64_t>(value)) return static_cast<uint32_t>(*number);
  return fallback;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, uint32_t rgb) {
  QPalette palette = widget->palette();
  const QColor colour = ToQColor(rgb);
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
  widget->setPalette(palette);
}

// "System" is the application's UI font; "Courier" and "times" are matched by style hint, so that a machine without
// those exact families still gets a fixed-pitch or a serif face.
QFont ControlFont(const Object& object) {
  QFont font = QApplication::font();
  const std::string name = object.TextProperty("FontName");
  if (EqualsIgnoringAsciiCase(name, "Courier")) {
    font.setFamilies({QStringLiteral("Courier"), QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
  } else if (EqualsIgnoringAsciiCase(name, "times")) {
    font.setFamilies({QStringLiteral("Times")});
    font.setStyleHint(QFont::Serif);
  } else if (!name.empty() && !EqualsIgnoringAsciiCase(name, "System")) {
    font.setFamilies({QString::fromStdString(name)});
  }
  // FontUnit 0, the only unit in use: points of a layout at 72 units per inch, so one point is one logical unit,
  // the unit of the controls' positions and sizes. The lists size their controls for that: a 47-column report in
  // Courier 10 fits the 315-unit p-value field. Qt's points (at 96 dpi) would be a third larger and spill over.
  const double size = object.NumberProperty("FontSize", 0);
  if (size > 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
  font.setBold(object.BoolProperty("Bold"));
  font.setItalic(object.BoolProperty("Italic"));
  font.setUnderline(object.BoolProperty("Underline"));
  return font;
}

// A field paints its own background, and its border in device pixels; its viewport paints nothing beneath the
// text. At a fractional scale (125 %, 150 %) a logical unit is no whole number of device pixels, and Qt rounds a
// widget's clip, its painter's origin and its children's geometry each its own way: the style's one-pixel line at
// the field's last column landed on a pixel that the viewport covered too (and painted over), or just outside the
// field's clip. The border here takes the outermost device pixels of the field's edges rounded as Qt rounds its clip
// (halves up), one logical unit thick rounded to whole pixels, and nothing paints over it.
class FieldBorder : public QObject {
 public:
  explicit FieldBorder(QAbstractScrollArea* field) : QObject(field), field_(field) {
    field->setBackgroundRole(QPalette::Base);
    field->setAutoFillBackground(true);
    field->viewport()->setAutoFillBackground(false);
    field->installEventFilter(this);
  }

 protected:
  // The field's own paint event draws only its frame, which this replaces.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != field_ || event->type() != QEvent::Paint || field_->frameShape() == QFrame::NoFrame) return false;
    QPainter painter(field_);
    const QRectF device = painter.deviceTransform().mapRect(QRectF(field_->rect()));
    const int left = static_cast<int>(std::floor(device.left() + 0.5));
    const int top = static_cast<int>(std::floor(device.top() + 0.5));
    const int right = static_cast<int>(std::floor(device.right() + 0.5));
    const int bottom = static_cast<int>(std::floor(device.bottom() + 0.5));
    const int line = std::max(1, static_cast<int>(std::lround(field_->devicePixelRatioF())));
    painter.setWorldTransform(painter.deviceTransform().inverted(), true);
    const QColor colour = field_->palette().color(QPalette::Mid);
    painter.fillRect(QRect(left, top, right - left, line), colour);
    painter.fillRect(QRect(left, bottom - line, right - left, line), colour);
    painter.fillRect(QRect(left, top, line, bottom - top), colour);
    painter.fillRect(QRect(right - line, top, line, bottom - top), colour);
    return true;
  }

 private:
  QAbstractScrollArea* field_;
};

bool IsFontKey(const std::string& key) {
  return key == "FontName" || key == "FontSize" || key == "FontUnit" || key == "Bold" || key == "Italic" ||
         key == "Underline";
}

Qt::Alignment HorizontalAlignment(int64_t code) {
  switch (code) {
    case 2:
      return Qt::AlignHCenter;
    case 3:
      return Qt::AlignRight;
    default:  // 0 default and 1 left
      return Qt::AlignLeft;
  }
}

using KeyDownFn = std::function<bool(const Ref<TextArea>&, const std::string&)>;
using MouseDownFn = std::function<bool(const Ref<Canvas>&, int64_t, int64_t)>;
using ButtonActionFn = std::function<void(const Ref<PushButton>&)>;
using TimerActionFn = std::function<void(const Ref<Timer>&)>;

// Raises a control event from a Qt event: through the exception helper, with deletion of Qt objects deferred.
// The arguments' reference to the control is dropped while deletion is still deferred: the handler may have released
// every other one, and the widget whose event called us must not go before Qt has left its code.
bool FireFromQt(const std::weak_ptr<Object>& weak, int eventNumber, EventArgs& args) {
  QtDispatchScope scope;
  bool result = false;
  RuntimeRunHandler([&] {
    Ref<Object> self = weak.lock();
    if (!self) return false;
    result = static_cast<Control&>(*self).FireEvent(eventNumber, args);
    return result;
  });
  args.sender.reset();
  return result;
}

// Keeps a control's distance to each locked edge of its parent: the reference is the list geometry and the
// parent's size at the moment that geometry was set.
class GeometryKeeper : public QObject {
 public:
  explicit GeometryKeeper(QWidget* target) : QObject(target), target_(target) {
    if (QWidget* parent = target->parentWidget()) parent->installEventFilter(this);
  }

  void SetListGeometry(const QRect& geometry) {
    list_ = geometry;
    if (QWidget* parent = target_ ? target_->parentWidget() : nullptr) reference_ = parent->size();
    Apply();
  }
  void SetLocks(bool left, bool top, bool right, bool bottom) {
    left_ = left, top_ = top, right_ = right, bottom_ = bottom;
    Apply();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && target_ && watched == target_->parentWidget()) Apply();
    return false;
  }

 private:
  static void Follow(bool lockNear, bool lockFar, int delta, int& position, int& extent) {
    if (lockNear && lockFar) {
      extent = std::max(0, extent + delta);
    } else if (lockFar) {
      position += delta;
    }
  }

  void Apply() {
    if (!target_) return;
    QWidget* parent = target_->parentWidget();
    int x = list_.x(), y = list_.y(), w = list_.width(), h = list_.height();
    if (parent && reference_.isValid()) {
      Follow(left_, right_, parent->width() - reference_.width(), x, w);
      Follow(top_, bottom_, parent->height() - reference_.height(), y, h);
    }
    target_->setGeometry(x, y, w, h);
  }

  QPointer<QWidget> target_;
  QRect list_;
  QSize reference_;
  bool left_ = false, top_ = false, right_ = false, bottom_ = false;
};

// A text this long takes a noticeable time to lay out or to read (about half a second for a paste), so work on it
// shows the busy cursor.
constexpr int kLargeText = 256 * 1024;

// The busy cursor until the event loop is idle again: a zero timer fires once the work and what it queued (layout,
// painting) have run.
void ShowBusyUntilIdle() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QTimer::singleShot(0, qApp, [] { QApplication::restoreOverrideCursor(); });
}

// A plain-text widget: its layout grows linearly with the text, where the rich-text one grows faster, and it still
// keeps character formats (bold) and the document's alignment option.
class FieldWidget : public QPlainTextEdit {
 public:
  FieldWidget(QWidget* parent, std::weak_ptr<Object> owner) : QPlainTextEdit(parent), owner_(std::move(owner)) {}
  int64_t limit = 0;

 protected:
  // KeyDown comes before the field sees the key, Tab included (QWidget::event moves the focus before
  // keyPressEvent would see it). In a field with a KeyDown binding, every text that typing would insert meets
  // KeyDown one character at a time, however it arrives: with Alt or Meta held, as several characters in one key
  // event, or as an input method's commit (dead keys, compose). Otherwise such text would slip past the filter.
  bool event(QEvent* e) override {
    if (e->type() == QEvent::KeyPress && HasKeyDown()) {
      auto* key = static_cast<QKeyEvent*>(e);
      if (const QString typed = InsertableText(*key); !typed.isEmpty()) {
        return IsShortcut(*key) ? ForwardWithoutText(*key) : TypeThroughKeyDown(*key, typed);
      }
      if (std::optional<std::string> text = FrameworkKeyText(*key)) {
        QPointer<FieldWidget> alive(this);
        EventArgs args;
        args.key = *text;
        const bool dropped = FireFromQt(owner_, TextArea::kKeyDown, args);
        if (!alive || owner_.expired()) return true;
        if (dropped) {
          key->accept();
          return true;
        }
      }
    } else if (e->type() == QEvent::InputMethod && HasKeyDown()) {
      auto* input = static_cast<QInputMethodEvent*>(e);
      if (!input->commitString().isEmpty()) return CommitThroughKeyDown(*input);
    }
    return QPlainTextEdit::event(e);
  }

  // The character limit holds for typed text only; a paste goes in whole.
  void keyPressEvent(QKeyEvent* e) override {
    if (limit > 0 && !isReadOnly() && WouldExceedLimit(*e)) {
      e->accept();
      return;
    }
    QPlainTextEdit::keyPressEvent(e);
  }

  void insertFromMimeData(const QMimeData* source) override {
    if (source && source->hasText() && source->text().size() >= kLargeText) ShowBusyUntilIdle();
    QPlainTextEdit::insertFromMimeData(source);
  }

 private:
  bool HasKeyDown() const {
    Ref<Object> self = owner_.lock();
    return self && RuntimeEventHandler(*self, TextArea::kKeyDown);
  }

  // Ctrl without Alt makes a shortcut; Ctrl with Alt is how some systems report AltGr, which types.
  static bool IsShortcut(const QKeyEvent& e) {
    return (e.modifiers() & Qt::ControlModifier) && !(e.modifiers() & Qt::AltModifier);
  }

  // What Qt would insert for the key: its text, when that starts with a printable character. Named keys
  // (Backspace, Tab, Return, arrows...) carry no such text and keep their own key texts.
  static QString InsertableText(const QKeyEvent& e) {
    const QString text = e.text();
    if (text.isEmpty() || !IsPrintable(text.toUcs4().value(0))) return {};
    return text;
  }

  // Runs KeyDown for each character of `typed`; gives the characters it let through, or none once the handler
  // has done away with the field or its control.
  std::optional<QString> PassedByKeyDown(const QString& typed) {
    QPointer<FieldWidget> alive(this);
    QString passed;
    for (const char32_t c : typed.toUcs4()) {
      const QString character = QString::fromUcs4(&c, 1);
      EventArgs args;
      args.key = character.toStdString();
      const bool dropped = FireFromQt(owner_, TextArea::kKeyDown, args);
      if (!alive || owner_.expired()) return std::nullopt;
      if (!dropped) passed += character;
    }
    return passed;
  }

  bool TypeThroughKeyDown(QKeyEvent& key, const QString& typed) {
    const std::optional<QString> passed = PassedByKeyDown(typed);
    key.accept();
    if (!passed || passed->isEmpty()) return true;
    // A plain key that passed goes in as itself. Otherwise each character that passed goes in as a plain key of its
    // own, so that the character limit counts them one by one (it lets combinations with Meta through).
    const bool plain = !(key.modifiers() & (Qt::AltModifier | Qt::MetaModifier));
    if (plain && *passed == typed && passed->toUcs4().size() == 1) return QPlainTextEdit::event(&key);
    for (const char32_t c : passed->toUcs4()) {
      QKeyEvent one(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
      keyPressEvent(&one);
    }
    return true;
  }

  // A shortcut's text is never typed into a filtered field (Qt would insert it for, say, Ctrl+Meta+Z); without
  // the text the field still does what the combination means to it (copy, select all, word moves).
  bool ForwardWithoutText(QKeyEvent& key) {
    QKeyEvent bare(key.type(), key.key(), key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                   key.nativeModifiers(), QString(), key.isAutoRepeat(), key.count(), key.device());
    const bool handled = QPlainTextEdit::event(&bare);
    key.setAccepted(bare.isAccepted());
    return handled;
  }

  // The commit keeps what KeyDown let through, cut at the character limit as typing would be; the input method's
  // pre-edit text (the dead key still waiting) is kept as it is.
  bool CommitThroughKeyDown(QInputMethodEvent& input) {
    std::optional<QString> passed = PassedByKeyDown(input.commitString());
    if (!passed) return true;
    if (limit > 0) {
      int64_t room = RoomLeft();
      QString fitting;
      for (const char32_t c : passed->toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        room -= OutsideLength(character, 0, static_cast<int>(character.size()));
        if (room < 0) break;
        fitting += character;
      }
      passed = fitting;
    }
    QInputMethodEvent filtered(input.preeditString(), input.attributes());
    filtered.setCommitString(*passed, input.replacementStart(), input.replacementLength());
    const bool handled = QPlainTextEdit::event(&filtered);
    input.setAccepted(filtered.isAccepted());
    return handled;
  }

  bool WouldExceedLimit(const QKeyEvent& e) const {
    if (e.modifiers() & (Qt::ControlModifier | Qt::MetaModifier) && !(e.modifiers() & Qt::AltModifier)) return false;
    int64_t added = 0;
    if (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) {
      added = 2;
    } else if (e.key() == Qt::Key_Tab) {
      added = tabChangesFocus() ? 0 : 1;
    } else {
      const QString text = e.text();
      if (text.isEmpty() || !IsPrintable(text.toUcs4().value(0))) return false;
      added = OutsideLength(text, 0, static_cast<int>(text.size()));
    }
    if (added == 0) return false;
    return added > RoomLeft();
  }

  // Characters that may still be typed: the limit less the text that stays (a selection is typed over).
  int64_t RoomLeft() const {
    const QString plain = document()->toRawText();
    const QTextCursor cursor = textCursor();
    const int64_t length = OutsideLength(plain, 0, static_cast<int>(plain.size()));
    const int64_t selected = OutsideLength(plain, cursor.selectionStart(), cursor.selectionEnd());
    return limit - (length - selected);
  }

  std::weak_ptr<Object> owner_;
};

// The styles show the keyboard focus on a field faintly or not at all (Fusion draws none), nor always on a button:
// this frame in the highlight colour lies over the control's edge while the control has the focus.
class FocusRing : public QWidget {
 public:
  explicit FocusRing(QWidget* target) : QWidget(target) {
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(target->rect());
    setVisible(target->hasFocus());
    target->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != parent()) return false;
    if (event->type() == QEvent::FocusIn) {
      raise();
      show();
    } else if (event->type() == QEvent::FocusOut) {
      hide();
    } else if (event->type() == QEvent::Resize) {
      setGeometry(parentWidget()->rect());
    }
    return false;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
};

void ShowFocusRing(QWidget* widget, bool show) {
  // By name: FocusRing declares no meta-object of its own, so a search by type would find any child widget.
  QWidget* ring = widget->findChild<QWidget*>(QStringLiteral("FocusRing"), Qt::FindDirectChildrenOnly);
  if (show && !ring) new FocusRing(widget);
  if (!show) delete ring;
}

// A field that hides its selection draws it, while it has no focus, as plain text; one that keeps it draws it as
// it does with the focus.
void ApplySelectionColours(QWidget* field, bool hide) {
  QPalette palette = field->palette();
  palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                   hide ? QBrush(Qt::transparent) : palette.brush(QPalette::Active, QPalette::Highlight));
  palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   hide ? palette.brush(QPalette::Inactive, QPalette::Text)
                        : palette.brush(QPalette::Active, QPalette::HighlightedText));
  field->setPalette(palette);
}

// A button's handler may read the window's fields, as Calculate does: with a large text among them it may run long.
bool WindowHoldsLargeText(const QWidget& widget) {
  const QList<FieldWidget*> fields = widget.window()->findChildren<FieldWidget*>();
  return std::any_of(fields.begin(), fields.end(),
                     [](const FieldWidget* field) { return field->document()->characterCount() >= kLargeText; });
}

// An opaque label or canvas paints its window's background colour, which the window draws itself rather than
// through the palette; without a window, or one without a colour, the palette's window colour.
void FillOpaqueBackground(QWidget& widget, const std::weak_ptr<Object>& owner) {
  QColor colour = widget.palette().color(QPalette::Window);
  if (Ref<Object> self = owner.lock()) {
    Ref<Window> window = static_cast<Control&>(*self).OwnerWindow();
    if (window && window->BoolProperty("HasBackgroundColor")) {
      const uint32_t rgb = ColourProperty(*window, "BackgroundColor", 0xffffff);
      colour = ToQColor(rgb);
    }
  }
  QPainter(&widget).fillRect(widget.rect(), colour);
}

// A label never takes a press, so that it reaches the window beneath.
class LabelWidget : public QLabel {
 public:
  LabelWidget(QWidget* parent, std::weak_ptr<Object> owner) : QLabel(parent), owner_(std::move(owner)) {}
  bool opaque = false;

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (opaque) FillOpaqueBackground(*this, owner_);
    QLabel::paintEvent(e);
  }
  void mousePressEvent(QMouseEvent* e) override { e->ignore(); }

 private:
  std::weak_ptr<Object> owner_;
};

class CanvasWidget : public QWidget {
 public:
  CanvasWidget(QWidget* parent, std::weak_ptr<Object> owner) : QWidget(parent), owner_(std::move(owner)) {}
  QImage backdrop;
  bool opaque = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (opaque) FillOpaqueBackground(*this, owner_);
    if (backdrop.isNull()) return;
    QPainter painter(this);
    // Between 1x and 2x the picture is scaled to the screen whichever variant it is: by filtering, not by dropping
    // or doubling pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPoint(0, 0), backdrop);
  }

  // Without a binding the press goes on to the window, whose MouseDown then gets it.
  void mousePressEvent(QMouseEvent* e) override {
    Ref<Object> self = owner_.lock();
    if (!self || !RuntimeEventHandler(*self, Canvas::kMouseDown)) {
      e->ignore();
      return;
    }
    self.reset();
    const QPoint at = e->position().toPoint();
    EventArgs args;
    args.x = at.x();
    args.y = at.y();
    FireFromQt(owner_, Canvas::kMouseDown, args);
    e->accept();
  }

 private:
  std::weak_ptr<Object> owner_;
};

// Gives the control its widget, which keeps the list's geometry and locks from then on. The widget is shown marked
// as sized: its size comes from the list, so Qt computes no size hint (and loads no font) while the window is
// being built.
void AttachWidget(ControlImpl& impl, QWidget* widget) {
  impl.widget = widget;
  impl.geometryKeeper = new GeometryKeeper(widget);
  widget->setAttribute(Qt::WA_Resized);
  widget->show();
}

QPlainTextEdit* FieldOf(const ControlImpl& impl) { return qobject_cast<QPlainTextEdit*>(impl.widget.data()); }

// The alignment goes into the document's default text option only, so every paragraph, typed or set, takes it;
// replacing the text keeps it.
// A block format merged into the paragraphs would do the same on screen, but an empty paragraph carrying one makes
// QTextEdit swallow the first Return typed there, and a blank line could not be typed.
void ApplyFieldAlignment(QPlainTextEdit* field, Qt::Alignment alignment) {
  QTextDocument* document = field->document();
  QTextOption option = document->defaultTextOption();
  // Setting it lays the whole document out again, even unchanged.
  if (option.alignment() == alignment) return;
  option.setAlignment(alignment);
  document->setDefaultTextOption(option);
}

bool IsBoldFormat(const QTextCharFormat& format, const QTextDocument& document) {
  if (format.hasProperty(QTextFormat::FontWeight)) return format.fontWeight() >= QFont::Bold;
  return document.defaultFont().weight() >= QFont::Bold;
}

// The stored properties of a class and its bases, re-applied when the Qt side is made after they were set.
void ReapplyStored(const Object& object, const std::function<void(const std::string&)>& apply) {
  for (const ClassInfo* c = &object.GetClass(); c; c = c->base) {
    for (const PropertyDecl& decl : c->properties) {
      if (object.GetProperty(decl.name)) apply(decl.name);
    }
  }
}

ClassInfo MakeRecord(std::string fullName, const ClassInfo& base, std::function<Ref<Object>()> factory,
                     std::vector<PropertyDecl> properties, std::map<int, ControlEventDecl> events = {}) {
  ClassInfo record;
  record.fullName = std::move(fullName);
  record.base = &base;
  record.factory = std::move(factory);
  record.properties = std::move(properties);
  record.controlEvents = std::move(events);
  return record;
}

using P = PropType;

}  // namespace

// ---- shared helpers declared in qt_controls.h

QtDispatchScope::QtDispatchScope() { ++dispatchDepth; }
QtDispatchScope::~QtDispatchScope() { --dispatchDepth; }
bool QtDispatchScope::Active() { return dispatchDepth > 0; }

ControlImpl::~ControlImpl() {
  // After the application is gone a Qt object must not be touched any more; the process is ending anyway.
  if (!QCoreApplication::instance()) return;
  ReleaseQtObject(timer.data());
  ReleaseQtObject(widget.data());
}

void ReleaseQtObject(QObject* object) {
  if (!object) return;
  if (QtDispatchScope::Active()) {
    if (auto* widget = qobject_cast<QWidget*>(object)) widget->hide();
    // A released timer must not fire again before it is gone.
    if (auto* timer = qobject_cast<QTimer*>(object)) timer->stop();
    object->deleteLater();
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
  if (codes.size() != 1 || !IsPrintable(codes[0])) return std::nullopt;
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

// ---- Control

Control::Control() : impl_(std::make_unique<ControlImpl>()) {}
Control::~Control() = default;

const ClassInfo& Control::ClassRecord() {
  static const ClassInfo record =
      MakeRecord("Control", Object::ClassRecord(), nullptr, {{"Name", P::Text}, {"Index", P::Integer}});
  return RuntimeRegisterClass(record);
}

Ref<Window> Control::OwnerWindow() const {
  internal::RequireGuiThread("Control.Window");
  return owner_.lock();
}

QWidget* internal::Native::Widget(const Control& control) {
  internal::RequireGuiThread("Control.NativeWidget");
  return control.impl_->widget.data();
}

bool Control::FireEvent(int eventNumber, EventArgs& args) {
  internal::RequireGuiThread("Control.FireEvent");
  Ref<Delegate> handler = RuntimeEventHandler(*this, eventNumber);
  if (!handler) return false;
  const ControlEventDecl* decl = GetClass().FindControlEvent(eventNumber);
  if (!decl) throw OutOfBoundsException(GetClass().fullName + " has no event " + std::to_string(eventNumber));
  Ref<Object> self = shared_from_this();
  args.sender = self;
  if (decl->callable == typeid(KeyDownFn)) {
    return handler->Call<bool, const Ref<TextArea>&, const std::string&>(RuntimeCheckCast<TextArea>(self), args.key);
  }
  if (decl->callable == typeid(MouseDownFn)) {
    return handler->Call<bool, const Ref<Canvas>&, int64_t, int64_t>(RuntimeCheckCast<Canvas>(self), args.x, args.y);
  }
  if (decl->callable == typeid(ButtonActionFn)) {
    handler->Call<void, const Ref<PushButton>&>(RuntimeCheckCast<PushButton>(self));
    return false;
  }
  if (decl->callable == typeid(TimerActionFn)) {
    handler->Call<void, const Ref<Timer>&>(RuntimeCheckCast<Timer>(self));
    return false;
  }
  throw TypeMismatchException(GetClass().fullName + "." + decl->name + " cannot be raised from here");
}

// ---- RectControl

const ClassInfo& RectControl::ClassRecord() {
  static const ClassInfo record = MakeRecord("RectControl", Control::ClassRecord(), nullptr,
                                             {{"Left", P::Integer},
                                              {"Top", P::Integer},
                                              {"Width", P::Integer},
                                              {"Height", P::Integer},
                                              {"LockLeft", P::Boolean},
                                              {"LockTop", P::Boolean},
                                              {"LockRight", P::Boolean},
                                              {"LockBottom", P::Boolean},
                                              {"TabIndex", P::Integer},
                                              {"TabPanelIndex", P::Integer},
                                              {"TabStop", P::Boolean},
                                              {"AllowAutoDeactivate", P::Boolean},
                                              {"Enabled", P::Boolean},
                                              {"Tooltip", P::Text},
                                              {"InitialParent", P::Text},
                                              {"Transparent", P::Boolean},
                                              {"Visible", P::Boolean}});
  return RuntimeRegisterClass(record);
}

void RectControl::SetFocus() {
  internal::RequireGuiThread("RectControl.SetFocus");
  // Qt would focus any widget; a control that takes no focus (a label, a canvas without AllowFocus) stays out.
  QWidget* widget = impl_->widget;
  if (widget && widget->focusPolicy() != Qt::NoFocus) widget->setFocus(Qt::OtherFocusReason);
}

bool RectControl::HasFocus() const {
  internal::RequireGuiThread("RectControl.HasFocus");
  QWidget* widget = impl_->widget;
  return widget && widget->hasFocus();
}

void RectControl::PropertyChanged(const std::string& key) {
  internal::RequireGuiThread("RectControl.PropertyChanged");
  QWidget* widget = impl_->widget;
  if (!widget) return;
  auto* keeper = static_cast<GeometryKeeper*>(impl_->geometryKeeper.data());
  if (key == "Left" || key == "Top" || key == "Width" || key == "Height") {
    if (keeper) {
      keeper->SetListGeometry(QRect(static_cast<int>(IntProperty("Left")), static_cast<int>(IntProperty("Top")),
                                    static_cast<int>(std::max<int64_t>(0, IntProperty("Width"))),
                                    static_cast<int>(std::max<int64_t>(0, IntProperty("Height")))));
    }
  } else if (key == "LockLeft" || key == "LockTop" || key == "LockRight" || key == "LockBottom") {
    if (keeper) {
      keeper->SetLocks(BoolProperty("LockLeft"), BoolProperty("LockTop"), BoolProperty("LockRight"),
                       BoolProperty("LockBottom"));
    }
  } else if (key == "Name") {
    // Qt's own tools (accessibility, inspection, tests driving the real executable) find the widget by it.
    widget->setObjectName(QString::fromStdString(TextProperty("Name")));
  } else if (key == "Enabled") {
    widget->setEnabled(BoolProperty("Enabled", true));
  } else if (key == "Visible") {
    widget->setVisible(BoolProperty("Visible", true));
  } else if (key == "Tooltip") {
    widget->setToolTip(QString::fromStdString(TextProperty("Tooltip")));
  } else if (key == "TabStop" && (qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QPushButton*>(widget))) {
    // A field or button that is no tab stop can still be clicked into. Labels never take the focus; a canvas
    // decides with AllowFocus.
    widget->setFocusPolicy(BoolProperty("TabStop", true) ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

// ---- TextArea

const ClassInfo& TextArea::ClassRecord() {
  static const ClassInfo record =
      MakeRecord("TextArea", RectControl::ClassRecord(), [] { return std::make_shared<TextArea>(); },
                 {{"BackgroundColor", P::Colour},
                  {"HasBorder", P::Boolean},
                  {"Format", P::Text},
                  {"HideSelection", P::Boolean},
                  {"LineHeight", P::Double},
                  {"LineSpacing", P::Double},
                  {"MultiLine", P::Boolean},
                  {"HasHorizontalScrollbar", P::Boolean},
                  {"HasVerticalScrollbar", P::Boolean},
                  {"AllowStyledText", P::Boolean},
                  {"TextColor", P::Colour},
                  {"AllowFocusRing", P::Boolean},
                  {"Bold", P::Boolean},
                  {"Italic", P::Boolean},
                  {"FontName", P::Text},
                  {"FontSize", P::Single},
                  {"FontUnit", P::ByteEnumeration},
                  {"Underline", P::Boolean},
                  {"Value", P::Text},
                  {"AllowTabs", P::Boolean},
                  {"TextAlignment", P::Enumeration},
                  {"AllowSpellChecking", P::Boolean},
                  {"MaximumCharactersAllowed", P::Integer},
                  {"ValidationMask", P::Text},
                  {"ReadOnly", P::Boolean},
                  {"DataSource", P::Text},
                  {"DataField", P::Text}},
                 {{kKeyDown, {"KeyDown", "( TextArea, String ) as Boolean", typeid(KeyDownFn)}}});
  return RuntimeRegisterClass(record);
}

void TextArea::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("TextArea.New");
  auto* field = new FieldWidget(parent.widget, weak_from_this());
  field->setTabChangesFocus(true);
  field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  AttachWidget(*impl_, field);
  new FieldBorder(field);
  ReapplyStored(*this, [this](const std::string& key) { PropertyChanged(key); });
}

void TextArea::PropertyChanged(const std::string& key) {
  RectControl::PropertyChanged(key);
  auto* field = static_cast<FieldWidget*>(FieldOf(*impl_));
  if (!field) return;
  if (IsFontKey(key)) {
    field->setFont(ControlFont(*this));
  } else if (key == "TextColor") {
    SetColour(field, QPalette::Text, ColourProperty(*this, key, 0));
    if (GetProperty("HideSelection")) ApplySelectionColours(field, BoolProperty("HideSelection"));
  } else if (key == "BackgroundColor") {
    SetColour(field, QPalette::Base, ColourProperty(*this, key, 0xffffff));
  } else if (key == "HasBorder") {
    field->setFrameShape(BoolProperty(key) ? QFrame::StyledPanel : QFrame::NoFrame);
  } else if (key == "HasVerticalScrollbar") {
    field->setVerticalScrollBarPolicy(BoolProperty(key) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  } else if (key == "HideSelection") {
    ApplySelectionColours(field, BoolProperty(key));
  } else if (key == "AllowFocusRing") {
    ShowFocusRing(field, BoolProperty(key));
  } else if (key == "HasHorizontalScrollbar") {
    const bool bar = BoolProperty(key);
    field->setHorizontalScrollBarPolicy(bar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    field->setLineWrapMode(bar ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
  } else if (key == "ReadOnly") {
    field->setReadOnly(BoolProperty(key));
    if (field->isReadOnly()) field->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  } else if (key == "AllowTabs") {
    field->setTabChangesFocus(!BoolProperty(key));
  } else if (key == "MaximumCharactersAllowed") {
    field->limit = std::max<int64_t>(0, IntProperty(key));
  } else if (key == "TextAlignment") {
    ApplyFieldAlignment(field, HorizontalAlignment(IntProperty(key)));
  } else if (key == "Value") {
    Text(TextProperty(key));
  }
}

std::string TextArea::Text() const {
  internal::RequireGuiThread("TextArea.Text");
  QPlainTextEdit* field = FieldOf(*impl_);
  return field ? OutsideText(field->document()->toRawText()) : std::string();
}

void TextArea::Text(const std::string& text) {
  internal::RequireGuiThread("TextArea.Text");
  QPlainTextEdit* field = FieldOf(*impl_);
  if (!field) return;
  // The document keeps its default text option, and with it the alignment.
  field->setPlainText(InsideText(text));
  field->document()->clearUndoRedoStacks();
}

int64_t TextArea::SelectionStart() const {
  internal::RequireGuiThread("TextArea.SelectionStart");
  QPlainTextEdit* field = FieldOf(*impl_);
  if (!field) return 0;
  return OutsideLength(field->document()->toRawText(), 0, field->textCursor().selectionStart());
}

void TextArea::SelectionStart(int64_t start) {
  internal::RequireGuiThread("TextArea.SelectionStart");
  QPlainTextEdit* field = FieldOf(*impl_);
  if (!field) return;
  QTextCursor cursor = field->textCursor();
  cursor.setPosition(OutsidePositionToInside(field->document()->toRawText(), std::max<int64_t>(0, start)));
  field->setTextCursor(cursor);
}

int64_t TextArea::SelectionLength() const {
  internal::RequireGuiThread("TextArea.SelectionLength");
  QPlainTextEdit* field = FieldOf(*impl_);
  if (!field) return 0;
  const QTextCursor cursor = field->textCursor();
  return OutsideLength(field->document()->toRawText(), cursor.selectionStart(), cursor.selectionEnd());
}

void TextArea::SelectionLength(int64_t length) {
  internal::RequireGuiThread("TextArea.SelectionLength");
  QPlainTextEdit* field = FieldOf(*impl_);
  if (!field) return;
  const QString plain = field->document()->toRawText();
  QTextCursor cursor = field->textCursor();
  const int start = cursor.selectionStart();
  const int64_t outsideStart = OutsideLength(plain, 0, start);
  cursor.setPosition(start);
  cursor.setPosition(OutsidePositionToInside(plain, outsideStart + std::max<int64_t>(0, length)),
                     QTextCursor::KeepAnchor);
  field->setTextCursor(cursor);
}

bool TextArea::SelBold() const {
  internal::RequireGuiThread("TextArea.SelBold");
  QPlainTextEdit* field = FieldOf(*impl_);
  if (!field) return false;
  const QTextCursor cursor = field->textCursor();
  const QTextDocument& document = *field->document();
  if (!cursor.hasSelection()) return IsBoldFormat(cursor.charFormat(), document);
  const int start = cursor.selectionStart(), end = cursor.selectionEnd();
  for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end; block = block.next()) {
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.position() + fragment.length() <= start || fragment.position() >= end) continue;
      if (!IsBoldFormat(fragment.charFormat(), document)) return false;
    }
  }
  return true;
}

void TextArea::SelBold(bool bold) {
  internal::RequireGuiThread("TextArea.SelBold");
  QPlainTextEdit* field = FieldOf(*impl_);
  // A plain text field keeps no styles per character.
  if (!field || !BoolProperty("AllowStyledText")) return;
  QTextCursor cursor = field->textCursor();
  if (!cursor.hasSelection()) return;
  QTextCharFormat format;
  format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
  cursor.mergeCharFormat(format);
}

// ---- Label

const ClassInfo& Label::ClassRecord() {
  static const ClassInfo record =
      MakeRecord("Label", RectControl::ClassRecord(), [] { return std::make_shared<Label>(); },
                 {{"MultiLine", P::Boolean},
                  {"Selectable", P::Boolean},
                  {"TextAlignment", P::Enumeration},
                  {"TextColor", P::Colour},
                  {"Value", P::Text},
                  {"Bold", P::Boolean},
                  {"Italic", P::Boolean},
                  {"Underline", P::Boolean},
                  {"FontName", P::Text},
                  {"FontSize", P::Single},
                  {"FontUnit", P::ByteEnumeration},
                  {"DataSource", P::Text},
                  {"DataField", P::Text}});
  return RuntimeRegisterClass(record);
}

void Label::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("Label.New");
  auto* label = new LabelWidget(parent.widget, weak_from_this());
  label->setTextFormat(Qt::PlainText);
  label->setFocusPolicy(Qt::NoFocus);
  AttachWidget(*impl_, label);
  ReapplyStored(*this, [this](const std::string& key) { PropertyChanged(key); });
}

void Label::PropertyChanged(const std::string& key) {
  RectControl::PropertyChanged(key);
  auto* label = qobject_cast<QLabel*>(impl_->widget.data());
  if (!label) return;
  if (IsFontKey(key)) {
    label->setFont(ControlFont(*this));
  } else if (key == "TextColor") {
    SetColour(label, QPalette::WindowText, ColourProperty(*this, key, 0));
  } else if (key == "TextAlignment") {
    label->setAlignment(HorizontalAlignment(IntProperty(key)) | Qt::AlignVCenter);
  } else if (key == "Value") {
    label->setText(QString::fromStdString(TextProperty(key)));
  } else if (key == "Transparent") {
    static_cast<LabelWidget*>(label)->opaque = !BoolProperty(key);
    label->update();
  }
}

// ---- Canvas

const ClassInfo& Canvas::ClassRecord() {
  static const ClassInfo record =
      MakeRecord("Canvas", RectControl::ClassRecord(), [] { return std::make_shared<Canvas>(); },
                 {{"AllowFocusRing", P::Boolean},
                  {"AllowFocus", P::Boolean},
                  {"AllowTabs", P::Boolean},
                  {"DoubleBuffer", P::Boolean}},
                 {{kMouseDown, {"MouseDown", "( Canvas, Integer, Integer ) as Boolean", typeid(MouseDownFn)}}});
  return RuntimeRegisterClass(record);
}

void Canvas::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("Canvas.New");
  auto* canvas = new CanvasWidget(parent.widget, weak_from_this());
  canvas->setFocusPolicy(Qt::NoFocus);
  AttachWidget(*impl_, canvas);
  ReapplyStored(*this, [this](const std::string& key) { PropertyChanged(key); });
  Backdrop(backdrop_);
}

void Canvas::PropertyChanged(const std::string& key) {
  RectControl::PropertyChanged(key);
  QWidget* canvas = impl_->widget;
  if (!canvas) return;
  if (key == "Transparent") {
    static_cast<CanvasWidget*>(canvas)->opaque = !BoolProperty(key);
    canvas->update();
  } else if (key == "AllowFocus" || key == "TabStop") {
    // A canvas takes the focus only when it allows it; Tab stops there only when it is also a tab stop.
    canvas->setFocusPolicy(!BoolProperty("AllowFocus")     ? Qt::NoFocus
                           : BoolProperty("TabStop", true) ? Qt::StrongFocus
                                                           : Qt::ClickFocus);
  }
}

void Canvas::Backdrop(const Ref<Picture>& picture) {
  internal::RequireGuiThread("Canvas.Backdrop");
  backdrop_ = picture;
  if (auto* canvas = dynamic_cast<CanvasWidget*>(impl_->widget.data())) {
    const auto* image = picture ? internal::Native::Image(*picture) : nullptr;
    canvas->backdrop = image ? *image : QImage();
    canvas->update();
  }
}

Ref<Picture> Canvas::Backdrop() const {
  internal::RequireGuiThread("Canvas.Backdrop");
  return backdrop_;
}

// ---- PushButton

const ClassInfo& PushButton::ClassRecord() {
  static const ClassInfo record =
      MakeRecord("PushButton", RectControl::ClassRecord(), [] { return std::make_shared<PushButton>(); },
                 {{"MacButtonStyle", P::Enumeration},
                  {"Cancel", P::Boolean},
                  {"Default", P::Boolean},
                  {"Caption", P::Text},
                  {"Bold", P::Boolean},
                  {"Italic", P::Boolean},
                  {"Underline", P::Boolean},
                  {"FontName", P::Text},
                  {"FontSize", P::Single},
                  {"FontUnit", P::ByteEnumeration}},
                 {{kAction, {"Action", "( PushButton )", typeid(ButtonActionFn)}}});
  return RuntimeRegisterClass(record);
}

void PushButton::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("PushButton.New");
  auto* button = new QPushButton(parent.widget);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, button, [weak = weak_from_this(), button] {
    if (WindowHoldsLargeText(*button)) ShowBusyUntilIdle();
    EventArgs args;
    FireFromQt(weak, kAction, args);
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), button);
  escape->setContext(Qt::WindowShortcut);
  escape->setEnabled(false);
  escape->setObjectName(QStringLiteral("CancelShortcut"));
  QObject::connect(escape, &QShortcut::activated, button, &QPushButton::click);
  ShowFocusRing(button, true);
  AttachWidget(*impl_, button);
  ReapplyStored(*this, [this](const std::string& key) { PropertyChanged(key); });
}

void PushButton::PropertyChanged(const std::string& key) {
  RectControl::PropertyChanged(key);
  auto* button = qobject_cast<QPushButton*>(impl_->widget.data());
  if (!button) return;
  if (IsFontKey(key)) {
    button->setFont(ControlFont(*this));
  } else if (key == "Caption") {
    button->setText(QString::fromStdString(TextProperty(key)));
  } else if (key == "Default") {
    button->setDefault(BoolProperty(key));
  } else if (key == "Cancel") {
    if (auto* escape = button->findChild<QShortcut*>(QStringLiteral("CancelShortcut"))) {
      escape->setEnabled(BoolProperty(key));
    }
  }
}

// ---- Timer

const ClassInfo& Timer::ClassRecord() {
  static const ClassInfo record = MakeRecord("Timer", Control::ClassRecord(), [] { return std::make_shared<Timer>(); },
                                             {{"RunMode", P::Enumeration}, {"Period", P::Integer}},
                                             {{kAction, {"Action", "( Timer )", typeid(TimerActionFn)}}});
  return RuntimeRegisterClass(record);
}

void Timer::PropertyChanged(const std::string& key) {
  internal::RequireGuiThread("Timer.PropertyChanged");
  if (key == "RunMode" || key == "Period") Reset();
}

void Timer::Reset() {
  internal::RequireGuiThread("Timer.Reset");
  const int64_t mode = IntProperty("RunMode");
  const int64_t period = IntProperty("Period");
  if (mode == 0 || period <= 0) {
    if (impl_->timer) impl_->timer->stop();
    return;
  }
  if (!impl_->timer) {
    auto* timer = new QTimer();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [weak = weak_from_this()] {
      EventArgs args;
      FireFromQt(weak, kAction, args);
    });
    impl_->timer = timer;
  }
  impl_->timer->setSingleShot(mode == 1);
  impl_->timer->start(static_cast<int>(std::min<int64_t>(period, INT32_MAX)));
}

bool Timer::IsRunning() const {
  internal::RequireGuiThread("Timer.IsRunning");
  return impl_->timer && impl_->timer->isActive();
}
