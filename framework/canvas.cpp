#include "framework/canvas.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "framework/internal/control_qt.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/internal/opaque_background.h"

namespace {

using P = PropType;
using MouseDownFn = std::function<bool(const Ref<Canvas>&, int64_t, int64_t)>;

class CanvasWidget : public QWidget, public internal::OpaqueBackground {
 public:
  CanvasWidget(QWidget* parent, std::weak_ptr<Object> control, std::weak_ptr<Object> window)
      : QWidget(parent), internal::OpaqueBackground(std::move(control), std::move(window)) {}
  QImage backdrop;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (opaque) FillBackground(*this);
    if (backdrop.isNull()) return;
    QPainter painter(this);
    // Between 1x and 2x the picture is scaled to the screen whichever variant it is: by filtering, not by dropping
    // or doubling pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPoint(0, 0), backdrop);
  }

  // Without a binding the press goes on to the window, whose MouseDown then gets it.
  void mousePressEvent(QMouseEvent* e) override {
    Ref<Object> self = control_.lock();
    if (!self || !RuntimeEventHandler(*self, Canvas::kMouseDown)) {
      e->ignore();
      return;
    }
    self.reset();
    const QPoint at = e->position().toPoint();
    EventArgs args;
    args.x = at.x();
    args.y = at.y();
    internal::FireFromQt(control_, Canvas::kMouseDown, args);
    e->accept();
  }
};

// A canvas takes the focus only when it allows it; Tab stops there only when it is also a tab stop (RectControl
// keeps that part).
void ApplyAllowFocus(Canvas& canvas, CanvasWidget& widget, const std::string& name) {
  widget.setFocusPolicy(!canvas.BoolProperty(name)             ? Qt::NoFocus
                        : canvas.BoolProperty("TabStop", true) ? Qt::StrongFocus
                                                               : Qt::ClickFocus);
}

}  // namespace

const ClassInfo& Canvas::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "Canvas", RectControl::ClassRecord(), [] { return std::make_shared<Canvas>(); },
      // Only kept: a canvas draws no focus ring.
      {{{"AllowFocusRing", P::Boolean}},
       {{"AllowFocus", P::Boolean}, internal::OnWidget<Canvas, CanvasWidget>(ApplyAllowFocus)},
       // Only kept: a canvas raises no key event, and Qt double-buffers every widget already.
       {{"AllowTabs", P::Boolean}},
       {{"DoubleBuffer", P::Boolean}}},
      {internal::MakeControlEvent<MouseDownFn>(kMouseDown, "MouseDown", "( Canvas, Integer, Integer ) as Boolean",
                                               [](const Delegate& handler, const Ref<Object>& self, EventArgs& args) {
                                                 return internal::CallDelegate<MouseDownFn>(
                                                     handler, RuntimeCheckCast<Canvas>(self), args.x, args.y);
                                               })});
  return RuntimeRegisterClass(record);
}

void Canvas::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("Canvas.New");
  auto* canvas = new CanvasWidget(parent.widget, weak_from_this(), owner_.OwnerObject());
  canvas->setFocusPolicy(Qt::NoFocus);
  internal::AttachWidget(*impl_, canvas);
  ApplyStoredProperties();
  Backdrop(backdrop_);
}

void Canvas::Backdrop(const Ref<Picture>& picture) {
  internal::RequireGuiThread("Canvas.Backdrop");
  backdrop_ = picture;
  if (auto* canvas = static_cast<CanvasWidget*>(impl_->widget.data())) {
    const auto* image = picture ? internal::Native::Image(*picture) : nullptr;
    canvas->backdrop = image ? *image : QImage();
    canvas->update();
  }
}

Ref<Picture> Canvas::Backdrop() const {
  internal::RequireGuiThread("Canvas.Backdrop");
  return backdrop_;
}
