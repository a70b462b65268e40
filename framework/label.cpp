#include "framework/label.h"

#include <QLabel>
#include <QMouseEvent>

#include "framework/internal/control_qt.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/internal/opaque_background.h"

namespace {

using P = PropType;

// A label never takes a press, so that it reaches the window beneath.
class LabelWidget : public QLabel, public internal::OpaqueBackground {
 public:
  LabelWidget(QWidget* parent, std::weak_ptr<Object> control, std::weak_ptr<Object> window)
      : QLabel(parent), internal::OpaqueBackground(std::move(control), std::move(window)) {}

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (opaque) FillBackground(*this);
    QLabel::paintEvent(e);
  }
  void mousePressEvent(QMouseEvent* e) override { e->ignore(); }
};

template <class F>
internal::Applier OnLabel(F apply) {
  return internal::OnWidget<Label, LabelWidget>(apply);
}

}  // namespace

const ClassInfo& Label::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "Label", RectControl::ClassRecord(), [] { return std::make_shared<Label>(); },
      // Only kept: a label shows the line breaks of its text either way, and its text is never selectable.
      {{{"MultiLine", P::Boolean}},
       {{"Selectable", P::Boolean}},
       // Horizontal only; the text is always centred vertically in the label's box.
       {{"TextAlignment", P::Enumeration}, OnLabel([](Label& label, LabelWidget& widget, const std::string& name) {
          widget.setAlignment(internal::HorizontalAlignment(label.IntProperty(name)) | Qt::AlignVCenter);
        })},
       {{"TextColor", P::Colour}, OnLabel([](Label& label, LabelWidget& widget, const std::string& name) {
          internal::SetColour(&widget, QPalette::WindowText, internal::ColourProperty(label, name, 0));
        })},
       // Shown as plain text (CreateNative sets Qt::PlainText), so a value with < or & is never read as markup.
       {{"Value", P::Text}, OnLabel([](Label& label, LabelWidget& widget, const std::string& name) {
          widget.setText(QString::fromStdString(label.TextProperty(name)));
        })},
       internal::FontProperty("Bold", P::Boolean),
       internal::FontProperty("Italic", P::Boolean),
       internal::FontProperty("Underline", P::Boolean),
       internal::FontProperty("FontName", P::Text),
       internal::FontProperty("FontSize", P::Single),
       internal::FontProperty("FontUnit", P::ByteEnumeration),
       {{"DataSource", P::Text}},
       {{"DataField", P::Text}}});
  return RuntimeRegisterClass(record);
}

void Label::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("Label.New");
  auto* label = new LabelWidget(parent.widget, weak_from_this(), owner_.OwnerObject());
  label->setTextFormat(Qt::PlainText);
  label->setFocusPolicy(Qt::NoFocus);
  internal::AttachWidget(*impl_, label);
  ApplyStoredProperties();
}
