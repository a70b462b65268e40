#include "framework/control.h"

#include <map>
#include <mutex>

#include "framework/internal/control_qt.h"
#include "framework/internal/geometry_keeper.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/internal/opaque_background.h"
#include "framework/internal/qt_font.h"

namespace {

using internal::ControlEvent;
using internal::ControlProperty;
using internal::GeometryKeeper;
using internal::ToQtExtent;
using internal::ToQtPosition;
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

ControlProperty FontProperty(std::string name, PropType type) {
  return {{std::move(name), type},
          ::OnWidget([](Control& c, QWidget& w, const std::string&) { w.setFont(ControlFont(c)); })};
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
       // Only kept: the control's place in a control array; a control outside one has the lowest 32-bit value.
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
      // Logical units in the window's content area. Setting any of them records the geometry and the content area's
      // size at that moment: the reference the locks keep their distances from, so a resize back restores it.
      {{{"Left", P::Integer}, ApplyGeometry},
       {{"Top", P::Integer}, ApplyGeometry},
       {{"Width", P::Integer}, ApplyGeometry},
       {{"Height", P::Integer}, ApplyGeometry},
       // A locked edge keeps its distance to the same edge of the content area on every resize: left and right
       // locked stretch the width, right alone moves the control; top and bottom likewise.
       {{"LockLeft", P::Boolean}, ApplyLocks},
       {{"LockTop", P::Boolean}, ApplyLocks},
       {{"LockRight", P::Boolean}, ApplyLocks},
       {{"LockBottom", P::Boolean}, ApplyLocks},
       // Read once the controls are made: the window orders Tab among its focusable controls by it.
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
