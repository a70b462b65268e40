#include "framework/push_button.h"

#include <QPushButton>
#include <QShortcut>

#include "framework/internal/busy_cursor.h"
#include "framework/internal/control_qt.h"
#include "framework/internal/focus_ring.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"

namespace {

using P = PropType;
using ButtonActionFn = std::function<void(const Ref<PushButton>&)>;

template <class F>
internal::Applier OnButton(F apply) {
  return internal::OnWidget<PushButton, QPushButton>(apply);
}

// Escape presses the button through a window shortcut that is off unless Cancel is true.
QShortcut* CancelShortcut(QPushButton& button) {
  return button.findChild<QShortcut*>(QStringLiteral("CancelShortcut"));
}

}  // namespace

const ClassInfo& PushButton::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "PushButton", RectControl::ClassRecord(), [] { return std::make_shared<PushButton>(); },
      {{{"MacButtonStyle", P::Enumeration}},
       {{"Cancel", P::Boolean}, OnButton([](PushButton& control, QPushButton& button, const std::string& name) {
          if (QShortcut* escape = CancelShortcut(button)) escape->setEnabled(control.BoolProperty(name));
        })},
       // The default button's look, and Return presses it while it has the focus; Return elsewhere in the window
       // does not, since Qt gives that to a default button only inside a QDialog and the windows are plain widgets.
       {{"Default", P::Boolean}, OnButton([](PushButton& control, QPushButton& button, const std::string& name) {
          button.setDefault(control.BoolProperty(name));
        })},
       {{"Caption", P::Text}, OnButton([](PushButton& control, QPushButton& button, const std::string& name) {
          button.setText(QString::fromStdString(control.TextProperty(name)));
        })},
       internal::FontProperty("Bold", P::Boolean),
       internal::FontProperty("Italic", P::Boolean),
       internal::FontProperty("Underline", P::Boolean),
       internal::FontProperty("FontName", P::Text),
       internal::FontProperty("FontSize", P::Single),
       internal::FontProperty("FontUnit", P::ByteEnumeration)},
      {internal::MakeControlEvent<ButtonActionFn>(
          kAction, "Action", "( PushButton )", [](const Delegate& handler, const Ref<Object>& self, EventArgs&) {
            return internal::CallDelegate<ButtonActionFn>(handler, RuntimeCheckCast<PushButton>(self));
          })});
  return RuntimeRegisterClass(record);
}

void PushButton::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("PushButton.New");
  auto* button = new QPushButton(parent.widget);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, button, [weak = weak_from_this(), button] {
    if (internal::WindowHoldsLargeText(*button)) internal::ShowBusyUntilIdle();
    EventArgs args;
    internal::FireFromQt(weak, kAction, args);
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), button);
  escape->setContext(Qt::WindowShortcut);
  escape->setEnabled(false);
  escape->setObjectName(QStringLiteral("CancelShortcut"));
  QObject::connect(escape, &QShortcut::activated, button, &QPushButton::click);
  internal::ShowFocusRing(button, true);
  internal::AttachWidget(*impl_, button);
  ApplyStoredProperties();
}
