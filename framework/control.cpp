#include "framework/control.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "framework/internal/control_qt.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/internal/qt_colour.h"

namespace {

using internal::ControlEvent;
using internal::ControlProperty;
using P = PropType;

// What a control class declared: its property and event tables, by the record made from them.
struct ControlClass {
  ClassInfo record;
  std::vector<ControlProperty> properties;
  std::vector<ControlEvent> events;
};

struct ControlClasses {
  std::mutex mutex;
  std::map<const ClassInfo*, std::unique_ptr<ControlClass>> byRecord;
};

ControlClasses& TheControlClasses() {
  static ControlClasses classes;
  return classes;
}

const ControlClass* FindControlClass(const ClassInfo& record) {
  ControlClasses& classes = TheControlClasses();
  std::lock_guard lock(classes.mutex);
  auto it = classes.byRecord.find(&record);
  return it == classes.byRecord.end() ? nullptr : it->second.get();
}

// The declaration nearest to the class, as ClassInfo::FindProperty finds it, but by the exact declared name.
const ControlProperty* FindDeclaration(const ClassInfo& cls, const std::string& declaredName) {
  for (const ClassInfo* c = &cls; c; c = c->base) {
    const ControlClass* declared = FindControlClass(*c);
    if (!declared) continue;
    for (const ControlProperty& property : declared->properties) {
      if (property.decl.name == declaredName) return &property;
    }
  }
  return nullptr;
}

const ControlEvent* FindEvent(const ClassInfo& cls, int number) {
  for (const ClassInfo* c = &cls; c; c = c->base) {
    const ControlClass* declared = FindControlClass(*c);
    if (!declared) continue;
    for (const ControlEvent& event : declared->events) {
      if (event.number == number) return &event;
    }
  }
  return nullptr;
}

// List values are 64-bit and Qt's geometry is int, and a QRect's right edge is left + width - 1: positions are
// clamped to what a widget may be, so that every sum here and in Qt stays well inside int. Extents are clamped
// further, to a little more than a 4K screen shows at 1x: a style may paint a control through an image of its whole
// size (Fusion's buttons do), which at QWIDGETSIZE_MAX would take gigabytes.
constexpr int64_t kLargestControl = 4096;
int ToQtPosition(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}
int ToQtExtent(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, 0, kLargestControl)); }

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
      extent = ToQtExtent(int64_t{extent} + delta);
    } else if (lockFar) {
      position = ToQtPosition(int64_t{position} + delta);
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

GeometryKeeper* KeeperOf(const ControlImpl& qt) {
  return qt.widget ? static_cast<GeometryKeeper*>(qt.geometryKeeper.data()) : nullptr;
}

void ApplyGeometry(Control& control, ControlImpl& qt, const std::string&) {
  if (GeometryKeeper* keeper = KeeperOf(qt)) {
    keeper->SetListGeometry(QRect(ToQtPosition(control.IntProperty("Left")), ToQtPosition(control.IntProperty("Top")),
                                  ToQtExtent(control.IntProperty("Width")), ToQtExtent(control.IntProperty("Height"))));
  }
}

void ApplyLocks(Control& control, ControlImpl& qt, const std::string&) {
  if (GeometryKeeper* keeper = KeeperOf(qt)) {
    keeper->SetLocks(control.BoolProperty("LockLeft"), control.BoolProperty("LockTop"),
                     control.BoolProperty("LockRight"), control.BoolProperty("LockBottom"));
  }
}

template <class F>
internal::Applier OnWidget(F apply) {
  return internal::OnWidget<Control, QWidget>(apply);
}

// A control that takes the focus at all stops Tab only as a tab stop; one that takes none (a label, a canvas
// without AllowFocus) stays out. Clicking still focuses a control that is no tab stop.
void ApplyTabStop(Control& control, QWidget& widget, const std::string& name) {
  if (widget.focusPolicy() == Qt::NoFocus) return;
  widget.setFocusPolicy(control.BoolProperty(name, true) ? Qt::StrongFocus : Qt::ClickFocus);
}

// Only the widgets that paint a background of their own have one to leave out; fields and buttons keep the setting.
void ApplyTransparent(Control& control, QWidget& widget, const std::string& name) {
  if (auto* background = dynamic_cast<internal::OpaqueBackground*>(&widget)) {
    background->opaque = !control.BoolProperty(name);
    widget.update();
  }
}

}  // namespace

namespace internal {

const ClassInfo& DeclareControlClass(std::string fullName, const ClassInfo& base, std::function<Ref<Object>()> factory,
                                     std::vector<ControlProperty> properties, std::vector<ControlEvent> events) {
  auto declared = std::make_unique<ControlClass>();
  ClassInfo& record = declared->record;
  record.fullName = std::move(fullName);
  record.base = &base;
  record.factory = std::move(factory);
  for (const ControlProperty& property : properties) record.properties.push_back(property.decl);
  for (const ControlEvent& event : events) record.controlEvents.emplace(event.number, event.decl);
  declared->properties = std::move(properties);
  declared->events = std::move(events);
  ControlClasses& classes = TheControlClasses();
  std::lock_guard lock(classes.mutex);
  classes.byRecord.emplace(&record, std::move(declared));
  return record;
}

// The widget is shown marked as sized: its size comes from the list, so Qt computes no size hint (and loads no
// font) while the window is being built.
void AttachWidget(ControlImpl& impl, QWidget* widget) {
  impl.widget = widget;
  impl.geometryKeeper = new GeometryKeeper(widget);
  widget->setAttribute(Qt::WA_Resized);
  widget->show();
}

// The arguments' reference to the control is dropped while deletion is still deferred: the handler may have released
// every other one, and the widget whose event called us must not go before Qt has left its code.
bool FireFromQt(const std::weak_ptr<Object>& control, int eventNumber, EventArgs& args) {
  QtDispatchScope scope;
  bool result = false;
  RuntimeRunHandler([&] {
    Ref<Object> self = control.lock();
    if (!self) return false;
    result = static_cast<Control&>(*self).FireEvent(eventNumber, args);
    return result;
  });
  args.sender.reset();
  return result;
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

ControlProperty FontProperty(std::string name, PropType type) {
  return {{std::move(name), type},
          ::OnWidget([](Control& c, QWidget& w, const std::string&) { w.setFont(ControlFont(c)); })};
}

void SetColour(QWidget* widget, QPalette::ColorRole role, uint32_t rgb) {
  QPalette palette = widget->palette();
  const QColor colour = ToQColor(rgb);
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
  widget->setPalette(palette);
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

void OpaqueBackground::FillBackground(QWidget& widget) const {
  QColor colour = widget.palette().color(QPalette::Window);
  if (Ref<Object> self = control_.lock()) {
    Ref<Object> window = static_cast<Control&>(*self).owner_.OwnerObject();
    if (const std::optional<QColor> background = window ? WindowBackground(*window) : std::nullopt) {
      colour = *background;
    }
  }
  QPainter(&widget).fillRect(widget.rect(), colour);
}

}  // namespace internal

QWidget* internal::Native::Widget(const Control& control) {
  internal::RequireGuiThread("Control.NativeWidget");
  return control.impl_->widget.data();
}

Control::Control() : impl_(std::make_unique<ControlImpl>()) {}
Control::~Control() = default;

const ClassInfo& Control::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "Control", Object::ClassRecord(), nullptr,
      {// Qt's own tools (accessibility, inspection, tests driving the real executable) find the widget by it.
       {{"Name", P::Text}, OnWidget([](Control& c, QWidget& w, const std::string& name) {
          w.setObjectName(QString::fromStdString(c.TextProperty(name)));
        })},
       {{"Index", P::Integer}}});
  return RuntimeRegisterClass(record);
}

Ref<Window> Control::OwnerWindow() const {
  internal::RequireGuiThread("Control.Window");
  return owner_.Owner();
}

void Control::CheckPropertyChange() const { internal::RequireGuiThread("Control.SetProperty"); }

void Control::PropertyChanged(const std::string& declaredName) {
  internal::RequireGuiThread("Control.PropertyChanged");
  const ControlProperty* property = FindDeclaration(GetClass(), declaredName);
  if (property && property->apply) property->apply(*this, *impl_, property->decl.name);
}

void Control::ApplyStoredProperties() {
  for (const ClassInfo* c = &GetClass(); c; c = c->base) {
    for (const PropertyDecl& decl : c->properties) {
      if (GetProperty(decl.name)) PropertyChanged(decl.name);
    }
  }
}

bool Control::FireEvent(int eventNumber, EventArgs& args) {
  internal::RequireGuiThread("Control.FireEvent");
  Ref<Delegate> handler = RuntimeEventHandler(*this, eventNumber);
  if (!handler) return false;
  const ControlEventDecl* decl = GetClass().FindControlEvent(eventNumber);
  if (!decl) throw OutOfBoundsException(GetClass().fullName + " has no event " + std::to_string(eventNumber));
  const ControlEvent* event = FindEvent(GetClass(), eventNumber);
  if (!event || event->decl.callable != decl->callable) {
    throw TypeMismatchException(GetClass().fullName + "." + decl->name + " cannot be raised from here");
  }
  Ref<Object> self = shared_from_this();
  args.sender = self;
  return event->invoke(*handler, self, args);
}

const ClassInfo& RectControl::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "RectControl", Control::ClassRecord(), nullptr,
      {{{"Left", P::Integer}, ApplyGeometry},
       {{"Top", P::Integer}, ApplyGeometry},
       {{"Width", P::Integer}, ApplyGeometry},
       {{"Height", P::Integer}, ApplyGeometry},
       {{"LockLeft", P::Boolean}, ApplyLocks},
       {{"LockTop", P::Boolean}, ApplyLocks},
       {{"LockRight", P::Boolean}, ApplyLocks},
       {{"LockBottom", P::Boolean}, ApplyLocks},
       {{"TabIndex", P::Integer}},
       {{"TabPanelIndex", P::Integer}},
       {{"TabStop", P::Boolean}, OnWidget(ApplyTabStop)},
       {{"AllowAutoDeactivate", P::Boolean}},
       {{"Enabled", P::Boolean},
        OnWidget([](Control& c, QWidget& w, const std::string& name) { w.setEnabled(c.BoolProperty(name, true)); })},
       {{"Tooltip", P::Text}, OnWidget([](Control& c, QWidget& w, const std::string& name) {
          w.setToolTip(QString::fromStdString(c.TextProperty(name)));
        })},
       {{"InitialParent", P::Text}},
       {{"Transparent", P::Boolean}, OnWidget(ApplyTransparent)},
       {{"Visible", P::Boolean},
        OnWidget([](Control& c, QWidget& w, const std::string& name) { w.setVisible(c.BoolProperty(name, true)); })}});
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
