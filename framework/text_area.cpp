#include "framework/text_area.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdint>

#include "framework/internal/control_qt.h"
#include "framework/internal/field_widget.h"
#include "framework/internal/focus_ring.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"
#include "framework/window.h"

namespace {

using internal::FieldWidget;
using P = PropType;
using KeyDownFn = std::function<bool(const Ref<TextArea>&, const std::string&)>;

FieldWidget* FieldOf(const ControlImpl& impl) { return static_cast<FieldWidget*>(impl.widget.data()); }

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

template <class F>
internal::Applier OnField(F apply) {
  return internal::OnWidget<TextArea, FieldWidget>(apply);
}

}  // namespace

const ClassInfo& TextArea::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "TextArea", RectControl::ClassRecord(), [] { return std::make_shared<TextArea>(); },
      {{{"BackgroundColor", P::Colour}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          internal::SetColour(&field, QPalette::Base, internal::ColourProperty(area, name, 0xffffff));
        })},
       // The field draws the border itself, one logical unit on its outermost device pixels, so that it holds at
       // fractional scales where the style's frame was painted over or clipped away (FieldBorder).
       {{"HasBorder", P::Boolean}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          field.setFrameShape(area.BoolProperty(name) ? QFrame::StyledPanel : QFrame::NoFrame);
        })},
       {{"Format", P::Text}},
       {{"HideSelection", P::Boolean}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          internal::ApplySelectionColours(&field, area.BoolProperty(name));
        })},
       // Only kept: the font decides the line height, and every field takes line breaks.
       {{"LineHeight", P::Double}},
       {{"LineSpacing", P::Double}},
       {{"MultiLine", P::Boolean}},
       // Without a horizontal bar the text wraps at the field's width.
       {{"HasHorizontalScrollbar", P::Boolean},
        OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          const bool bar = area.BoolProperty(name);
          field.setHorizontalScrollBarPolicy(bar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
          field.setLineWrapMode(bar ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        })},
       {{"HasVerticalScrollbar", P::Boolean}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          field.setVerticalScrollBarPolicy(area.BoolProperty(name) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        })},
       // Read by SelBold(bool), which does nothing without it.
       {{"AllowStyledText", P::Boolean}},
       // The selection colours follow the text colour when the field hides its selection.
       {{"TextColor", P::Colour}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          internal::SetColour(&field, QPalette::Text, internal::ColourProperty(area, name, 0));
          if (area.GetProperty("HideSelection"))
            internal::ApplySelectionColours(&field, area.BoolProperty("HideSelection"));
        })},
       // A 2-pixel frame in the highlight colour while the field has the focus: styles show it faintly or not at all.
       {{"AllowFocusRing", P::Boolean}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          internal::ShowFocusRing(&field, area.BoolProperty(name));
        })},
       internal::FontProperty("Bold", P::Boolean),
       internal::FontProperty("Italic", P::Boolean),
       internal::FontProperty("FontName", P::Text),
       internal::FontProperty("FontSize", P::Single),
       internal::FontProperty("FontUnit", P::ByteEnumeration),
       internal::FontProperty("Underline", P::Boolean),
       {{"Value", P::Text},
        OnField([](TextArea& area, FieldWidget&, const std::string& name) { area.Text(area.TextProperty(name)); })},
       {{"AllowTabs", P::Boolean}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          field.setTabChangesFocus(!area.BoolProperty(name));
        })},
       {{"TextAlignment", P::Enumeration}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          ApplyFieldAlignment(&field, internal::HorizontalAlignment(area.IntProperty(name)));
        })},
       // Only kept: there is no spell checker.
       {{"AllowSpellChecking", P::Boolean}},
       // Limits typing only, 0 not at all: a typed character (a line break counts two) that would pass the limit is
       // dropped without a beep, while a paste goes in whole.
       {{"MaximumCharactersAllowed", P::Integer},
        OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          field.limit = std::max<int64_t>(0, area.IntProperty(name));
        })},
       {{"ValidationMask", P::Text}},
       // Read-only keeps selection by mouse and keyboard, so copy still works.
       {{"ReadOnly", P::Boolean}, OnField([](TextArea& area, FieldWidget& field, const std::string& name) {
          field.setReadOnly(area.BoolProperty(name));
          if (field.isReadOnly())
            field.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        })},
       {{"DataSource", P::Text}},
       {{"DataField", P::Text}}},
      {internal::MakeControlEvent<KeyDownFn>(kKeyDown, "KeyDown", "( TextArea, String ) as Boolean",
                                             [](const Delegate& handler, const Ref<Object>& self, EventArgs& args) {
                                               return internal::CallDelegate<KeyDownFn>(
                                                   handler, RuntimeCheckCast<TextArea>(self), args.key);
                                             })});
  return RuntimeRegisterClass(record);
}

void TextArea::CreateNative(const internal::NativeParent& parent) {
  internal::RequireGuiThread("TextArea.New");
  internal::AttachWidget(*impl_, new FieldWidget(parent.widget, weak_from_this(), kKeyDown));
  ApplyStoredProperties();
}

std::string TextArea::Text() const {
  internal::RequireGuiThread("TextArea.Text");
  QPlainTextEdit* field = FieldOf(*impl_);
  return field ? OutsideText(field->document()->toRawText()) : std::string();
}

void TextArea::Text(const std::string& text) {
  internal::RequireGuiThread("TextArea.Text");
  FieldWidget* field = FieldOf(*impl_);
  if (!field) return;
  // A text given while the window is built is where the field starts. Later the program's text replaces what the
  // user typed or pasted as one step that Undo takes back: a report or a Clear must not destroy the typed values
  // beyond recovery.
  const Ref<Window> window = OwnerWindow();
  if (window && internal::Native::Built(*window)) {
    field->ReplaceText(InsideText(text));
  } else {
    field->StartText(InsideText(text));
  }
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
  // A length past the end (INT64_MAX, the usual "to the end") selects to the end without overflowing the sum.
  const int64_t end = length > INT64_MAX - outsideStart ? INT64_MAX : outsideStart + std::max<int64_t>(0, length);
  cursor.setPosition(OutsidePositionToInside(plain, end), QTextCursor::KeepAnchor);
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
