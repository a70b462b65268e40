// The controls on real Qt widgets: key delivery, the character limit, text and selection, styles, geometry with
// locks, fonts and colours, the canvas, the button, the timer and the GUI-thread guard. The controls live in a
// host widget of the test's own, made the way a window makes them.
#include "framework/controls.h"
#include "framework/internal/native.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <chrono>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "framework/picture.h"
#include "framework/property_list.h"
#include "framework/window.h"
#include "tests/support/gui_test_support.h"

namespace {

// Window::New_ makes a control's Qt side through this hook; the test host does the same.
struct NativeMaker : Control {
  static void Make(Control& control, QWidget* parent) {
    (control.*(&NativeMaker::CreateNative))(internal::NativeParent{parent});
  }
};

// A top-level widget standing in for a window's content area; it records the presses that reach it.
class Host : public QWidget {
 public:
  Host() { resize(300, 200); }
  std::vector<QPoint> presses;

 protected:
  void mousePressEvent(QMouseEvent* e) override { presses.push_back(e->position().toPoint()); }
};

// What the handlers saw; KeyDown drops the keys in `drop`.
struct Recorder {
  std::vector<std::string> keys;
  std::string drop;
  bool dropAll = false;
  std::vector<std::pair<int64_t, int64_t>> points;
  int actions = 0;

  bool KeyDown(const Ref<TextArea>&, const std::string& key) {
    keys.push_back(key);
    return dropAll || (key.size() == 1 && drop.find(key[0]) != std::string::npos);
  }
  bool MouseDown(const Ref<Canvas>&, int64_t x, int64_t y) {
    points.emplace_back(x, y);
    return true;
  }
  Ref<Object> releaseOnAction;  // the handler drops the last reference to its own control
  std::vector<bool> busyCursorSeen;
  void ButtonAction(const Ref<PushButton>&) {
    ++actions;
    busyCursorSeen.push_back(QApplication::overrideCursor() &&
                             QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    releaseOnAction.reset();
  }
  void TimerAction(const Ref<Timer>&) { ++actions; }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { host_ = std::make_unique<Host>(); }

  template <class C>
  Ref<C> Make(std::initializer_list<PropertyEntry> entries = {}) {
    Ref<C> control = RuntimeNewObject<C>();
    NativeMaker::Make(*control, host_.get());
    RuntimeMassPropertySetter(control, PropertyList(entries).Bytes());
    return control;
  }

  void ShowActive() {
    host_->show();
    host_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host_.get()));
  }

  template <class C, class M>
  void Bind(const Ref<C>& control, int event, const char* signature, M method) {
    RuntimeAddEventHandler(control, event, RuntimeCreateDelegate(method, recorder_, signature, 1));
  }

  static QPlainTextEdit* Field(const Ref<TextArea>& area) {
    return static_cast<QPlainTextEdit*>(internal::Native::Widget(*area));
  }

  std::unique_ptr<Host> host_;
  Ref<Recorder> recorder_ = std::make_shared<Recorder>();
};

constexpr const char* kKeyDown = "( TextArea, String ) as Boolean";

// A window whose MouseDown records where the presses it gets were made.
class ClickWnd : public Window {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record = [] {
      ClassInfo info;
      info.fullName = "ControlsTest.ClickWnd";
      info.base = &Window::ClassRecord();
      info.factory = [] { return std::make_shared<ClickWnd>(); };
      info.events[Window::kMouseDown] = MakeEventEntry(&ClickWnd::MouseDown);
      return info;
    }();
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  bool MouseDown(int64_t x, int64_t y) {
    presses.emplace_back(x, y);
    return false;
  }
  std::vector<std::pair<int64_t, int64_t>> presses;
};

TEST(ControlsOnAWindow, UnboundPressesReachTheWindowAndOpaqueControlsPaintItsColour) {
  auto window = RuntimeNewObject<ClickWnd>();
  RuntimeMassPropertySetter(window, PropertyList({{"Width", Integer(300)},
                                                  {"Height", Integer(200)},
                                                  {"HasBackgroundColor", Boolean(true)},
                                                  {"BackgroundColor", Colour(0x00FF00)}})
                                        .Bytes());
  window->Constructor();  // live from here on, with no controls of its own
  auto add = [&](const char* name, const ClassInfo& cls, int64_t left) {
    Ref<Object> control = window->New_(cls);
    window->AddControl_(name, control);
    RuntimeMassPropertySetter(control, PropertyList({{"Left", Integer(left)},
                                                     {"Top", Integer(40)},
                                                     {"Width", Integer(30)},
                                                     {"Height", Integer(30)},
                                                     {"Transparent", Boolean(false)}})
                                           .Bytes());
    return std::static_pointer_cast<RectControl>(control);
  };
  auto canvas = add("Canvas", Canvas::ClassRecord(), 50);
  auto label = add("Label", Label::ClassRecord(), 100);
  EXPECT_EQ(canvas->OwnerWindow(), window);
  window->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed((internal::Native::WindowWidget(*window))));
  label->SetFocus();
  EXPECT_FALSE(label->HasFocus()) << "a label takes no focus";

  QTest::mouseClick((internal::Native::Widget(*canvas)), Qt::LeftButton, {}, QPoint(3, 4));
  QTest::mouseClick((internal::Native::Widget(*label)), Qt::LeftButton, {}, QPoint(5, 6));
  EXPECT_EQ(window->presses, (std::vector<std::pair<int64_t, int64_t>>{{53, 44}, {105, 46}}));

  for (const auto& control : {canvas, label}) {
    const QImage shot = (internal::Native::Widget(*control))->grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 0xff, 0)) << control->TextProperty("Name");
  }

  window->Close();
  EXPECT_EQ(internal::Native::Widget(*label), nullptr) << "the widget went with its window";
  label->SetProperty("Left", int64_t{7});
  label->SetFocus();
  EXPECT_FALSE(label->HasFocus());
  EXPECT_EQ(canvas->OwnerWindow(), window) << "the window object itself still exists";
}

TEST_F(ControlsTest, KeyDropppedByTheFilterNeverReachesTheField) {
  auto field = Make<TextArea>({{"Width", Integer(100)}, {"Height", Integer(20)}});
  Bind(field, TextArea::kKeyDown, kKeyDown, &Recorder::KeyDown);
  recorder_->drop = "a-";
  ShowActive();
  field->SetFocus();
  QTest::keyClicks(Field(field), "1a2-3");
  EXPECT_EQ(field->Text(), "123");
  EXPECT_EQ(recorder_->keys, (std::vector<std::string>{"1", "a", "2", "-", "3"}));
}

TEST_F(ControlsTest, KeyTexts) {
  struct Row {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* expected;  // nullptr: no KeyDown
  };
  const Row rows[] = {
      {"digit", Qt::Key_7, Qt::NoModifier, "7"},
      {"point", Qt::Key_Period, Qt::NoModifier, "."},
      {"minus", Qt::Key_Minus, Qt::NoModifier, "-"},
      {"blank", Qt::Key_Space, Qt::NoModifier, " "},
      {"letter", Qt::Key_Q, Qt::NoModifier, "q"},
      {"backspace", Qt::Key_Backspace, Qt::NoModifier, "\x08"},
      {"tab", Qt::Key_Tab, Qt::NoModifier, "\x09"},
      {"return", Qt::Key_Return, Qt::NoModifier, "\x0d"},
      {"enter", Qt::Key_Enter, Qt::KeypadModifier, "\x0d"},
      {"escape", Qt::Key_Escape, Qt::NoModifier, "\x1b"},
      {"delete", Qt::Key_Delete, Qt::NoModifier, "\x7f"},
      {"left", Qt::Key_Left, Qt::NoModifier, "\x1c"},
      {"right", Qt::Key_Right, Qt::NoModifier, "\x1d"},
      {"up", Qt::Key_Up, Qt::NoModifier, "\x1e"},
      {"down", Qt::Key_Down, Qt::NoModifier, "\x1f"},
      {"home raises none", Qt::Key_Home, Qt::NoModifier, nullptr},
      {"F2 raises none", Qt::Key_F2, Qt::NoModifier, nullptr},
      {"Ctrl+C is a shortcut, not a key", Qt::Key_C, Qt::ControlModifier, nullptr},
  };
  auto field = Make<TextArea>({{"Width", Integer(100)}, {"Height", Integer(20)}});
  Bind(field, TextArea::kKeyDown, kKeyDown, &Recorder::KeyDown);
  recorder_->dropAll = true;
  ShowActive();
  field->SetFocus();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    recorder_->keys.clear();
    QTest::keyClick(Field(field), row.key, row.modifiers);
    if (row.expected) {
      EXPECT_EQ(recorder_->keys, std::vector<std::string>{row.expected});
    } else {
      EXPECT_TRUE(recorder_->keys.empty());
    }
  }
  EXPECT_EQ(field->Text(), "") << "every key was dropped";
}

TEST_F(ControlsTest, CharacterLimitHoldsForTypedTextButAPasteGoesInWhole) {
  auto field =
      Make<TextArea>({{"Width", Integer(60)}, {"Height", Integer(20)}, {"MaximumCharactersAllowed", Integer(4)}});
  Bind(field, TextArea::kKeyDown, kKeyDown, &Recorder::KeyDown);  // a filter that passes every key on
  ShowActive();
  field->SetFocus();
  QPlainTextEdit* edit = Field(field);

  QTest::keyClicks(edit, "123456");
  EXPECT_EQ(field->Text(), "1234");
  EXPECT_EQ(recorder_->keys.size(), 6u) << "the handler sees the key before the limit drops it";
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(field->Text(), "1234") << "a line break would make six characters";

  field->SelectionStart(1);
  field->SelectionLength(2);
  QTest::keyClick(edit, Qt::Key_9);
  EXPECT_EQ(field->Text(), "194") << "typing over a selection replaces it";
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(field->Text(), "14") << "keys that insert nothing are not limited";

  field->Text("");
  QApplication::clipboard()->setText(".00001");
  edit->paste();
  EXPECT_EQ(field->Text(), ".00001");
}

// Whatever typing would insert meets KeyDown one character at a time, however it arrives; what KeyDown lets
// through goes in up to the character limit. Shortcuts raise nothing and insert nothing.
TEST_F(ControlsTest, EveryTypedTextMeetsKeyDownOneCharacterAtATime) {
  using testing_support::ComposeText;
  using testing_support::SendKeyWithText;
  struct Row {
    const char* name;
    std::function<void(QWidget*)> type;
    std::vector<std::string> keys;
    const char* text;
    const char* before = "";
  };
  const Row rows[] = {
      {"Alt+Q types q", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Q, Qt::AltModifier); }, {"q"}, "q"},
      {"Meta+X is dropped", [](QWidget* w) { QTest::keyClick(w, Qt::Key_X, Qt::MetaModifier); }, {"x"}, ""},
      {"AltGr, reported as Ctrl+Alt, types",
       [](QWidget* w) { QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier); },
       {"q"},
       "q"},
      {"several characters in one key event",
       [](QWidget* w) { SendKeyWithText(w, Qt::Key_A, QString::fromUtf8("axb\u20ac\U0001d400")); },
       {"a", "x", "b", "\u20ac", "\U0001d400"},
       "ab\u20ac\U0001d400"},
      {"several characters, cut at the limit",
       [](QWidget* w) { SendKeyWithText(w, Qt::Key_1, "123456"); },
       {"1", "2", "3", "4", "5", "6"},
       "1234"},
      {"dead acute, then e",
       [](QWidget* w) { ComposeText(w, QString(QChar(0xb4)), QString(QChar(0xe9))); },
       {"\u00e9"},
       "\u00e9"},
      {"input method commit, dropped and cut at the limit",
       [](QWidget* w) { ComposeText(w, {}, "1x2345"); },
       {"1", "x", "2", "3", "4", "5"},
       "1234"},
      {"Meta+5 into a full field",
       [](QWidget* w) { QTest::keyClick(w, Qt::Key_5, Qt::MetaModifier); },
       {"5"},
       "1234",
       "1234"},
      {"Ctrl+Meta+Z is a shortcut",
       [](QWidget* w) { QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier | Qt::MetaModifier); },
       {},
       ""},
      {"Ctrl with a keypad digit is a shortcut",
       [](QWidget* w) { QTest::keyClick(w, Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier); },
       {},
       ""},
  };
  auto field =
      Make<TextArea>({{"Width", Integer(100)}, {"Height", Integer(20)}, {"MaximumCharactersAllowed", Integer(4)}});
  Bind(field, TextArea::kKeyDown, kKeyDown, &Recorder::KeyDown);
  recorder_->drop = "x";
  auto unbound = Make<TextArea>({{"Top", Integer(30)}, {"Width", Integer(100)}, {"Height", Integer(20)}});
  ShowActive();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    field->Text(row.before);
    field->SetFocus();
    field->SelectionStart(4);
    recorder_->keys.clear();
    row.type(Field(field));
    EXPECT_EQ(recorder_->keys, row.keys);
    EXPECT_EQ(field->Text(), row.text);
  }

  // A field without a binding takes text as Qt gives it.
  unbound->SetFocus();
  QTest::keyClick(Field(unbound), Qt::Key_Z, Qt::AltModifier);
  ComposeText(Field(unbound), {}, QString(QChar(0xe9)));
  EXPECT_EQ(unbound->Text(), "z\u00e9");
}

TEST_F(ControlsTest, SelBoldBoldsExactlyTheSelectionOfAStyledField) {
  const std::string text = "Pallastrovane\r\n\r\nThe introduction.";
  auto styled = Make<TextArea>({{"AllowStyledText", Boolean(true)}, {"Value", Text(text)}});
  styled->SelectionStart(0);
  styled->SelectionLength(13);
  EXPECT_FALSE(styled->SelBold());
  styled->SelBold(true);
  EXPECT_TRUE(styled->SelBold());

  QTextDocument* document = Field(styled)->document();
  for (int position = 0; position < document->characterCount() - 1; ++position) {
    QTextCursor cursor(document);
    cursor.setPosition(position + 1);  // the format of the character before the cursor
    EXPECT_EQ(cursor.charFormat().fontWeight() >= QFont::Bold, position < 13) << "character " << position;
  }
  styled->SelectionStart(12);
  styled->SelectionLength(6);  // "e", two line breaks, "T"
  EXPECT_FALSE(styled->SelBold()) << "not every selected character is bold";
  EXPECT_EQ(styled->Text(), text);

  auto plain = Make<TextArea>({{"AllowStyledText", Boolean(false)}, {"Value", Text(text)}});
  plain->SelectionStart(0);
  plain->SelectionLength(13);
  plain->SelBold(true);
  EXPECT_FALSE(plain->SelBold()) << "a plain text field keeps no styles";
}

TEST_F(ControlsTest, TextUsesCrLfOutsideAndSelectionCountsInItsCharacters) {
  auto field = Make<TextArea>();
  field->Text("ab\r\ncd\ref\ngh");
  EXPECT_EQ(field->Text(), "ab\r\ncd\r\nef\r\ngh");
  EXPECT_EQ(Field(field)->document()->blockCount(), 4) << "each kind of break is one break inside";

  field->SelectionStart(4);  // the c, after one CR LF
  field->SelectionLength(5);
  EXPECT_EQ(Field(field)->textCursor().selectedText(), QString("cd") + QChar::ParagraphSeparator + "e");
  EXPECT_EQ(field->SelectionStart(), 4);
  EXPECT_EQ(field->SelectionLength(), 5);

  field->Text("x\xF0\x9F\x98\x80y");  // a character beyond the BMP counts once
  field->SelectionStart(2);
  field->SelectionLength(1);
  EXPECT_EQ(Field(field)->textCursor().selectedText(), "y");
  EXPECT_EQ(field->SelectionStart(), 2);

  field->SelectionStart(100);
  EXPECT_EQ(field->SelectionStart(), 3) << "a start past the end goes to the end";
  EXPECT_EQ(field->SelectionLength(), 0);
}

// A length past the end selects to the end, INT64_MAX included, whatever the start.
TEST_F(ControlsTest, SelectionLengthPastTheEndSelectsToTheEnd) {
  auto field = Make<TextArea>();
  field->Text("ab\r\ncdef");
  const struct {
    int64_t start, length;
    int64_t selected;
  } rows[] = {
      {2, std::numeric_limits<int64_t>::max(), 6},     {0, std::numeric_limits<int64_t>::max(), 8},
      {7, std::numeric_limits<int64_t>::max(), 1},     {8, std::numeric_limits<int64_t>::max(), 0},
      {2, std::numeric_limits<int64_t>::max() - 1, 6}, {4, 1000, 4},
      {4, std::numeric_limits<int64_t>::min(), 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("start " + std::to_string(row.start) + " length " + std::to_string(row.length));
    field->SelectionStart(row.start);
    field->SelectionLength(row.length);
    EXPECT_EQ(field->SelectionStart(), row.start);
    EXPECT_EQ(field->SelectionLength(), row.selected);
  }
}

bool BusyCursorShown() {
  return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

// Work on a large text shows the busy cursor until the event loop is idle again; work on a small one shows none.
TEST_F(ControlsTest, BusyCursorWhileALargeTextIsPastedOrAButtonActsOnIt) {
  auto field = Make<TextArea>({{"Width", Integer(200)}, {"Height", Integer(100)}});
  auto button = Make<PushButton>({{"Top", Integer(120)}, {"Width", Integer(80)}, {"Height", Integer(30)}});
  Bind(button, PushButton::kAction, "( PushButton )", &Recorder::ButtonAction);
  ShowActive();
  QPlainTextEdit* edit = Field(field);
  auto* qbutton = static_cast<QPushButton*>(internal::Native::Widget(*button));

  struct Row {
    const char* name;
    int lines;
    bool busy;
  };
  for (const Row& row : {Row{"a few values", 3, false}, Row{"a column of 40,000 values", 40000, true}}) {
    SCOPED_TRACE(row.name);
    field->Text("");
    QString column;
    for (int i = 0; i < row.lines; ++i) column += QStringLiteral(".0123456\n");
    QApplication::clipboard()->setText(column);
    edit->paste();
    EXPECT_EQ(BusyCursorShown(), row.busy) << "right after the paste";
    EXPECT_TRUE(QTest::qWaitFor([] { return !QApplication::overrideCursor(); })) << "gone once the loop is idle";
    EXPECT_EQ(edit->document()->blockCount(), row.lines + 1);

    QTest::mouseClick(qbutton, Qt::LeftButton);
    ASSERT_FALSE(recorder_->busyCursorSeen.empty());
    EXPECT_EQ(recorder_->busyCursorSeen.back(), row.busy) << "inside the button's handler";
    EXPECT_TRUE(QTest::qWaitFor([] { return !QApplication::overrideCursor(); }));
  }
}

// A field that hides its selection draws it, once the focus has left, exactly like no selection; one that keeps it
// still draws it.
TEST_F(ControlsTest, HideSelectionDecidesWhetherAnUnfocusedSelectionIsDrawn) {
  for (const bool hide : {true, false}) {
    SCOPED_TRACE(hide ? "HideSelection true" : "HideSelection false");
    auto field = Make<TextArea>({{"Width", Integer(200)}, {"Height", Integer(60)}, {"HideSelection", Boolean(hide)}});
    auto other = Make<TextArea>({{"Top", Integer(100)}, {"Width", Integer(200)}, {"Height", Integer(30)}});
    ShowActive();
    QPlainTextEdit* edit = Field(field);
    field->Text("selected words\r\nand more");
    field->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    edit->selectAll();
    other->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !edit->hasFocus(); }));
    const QImage selected = edit->grab().toImage();
    field->SelectionStart(0);
    const QImage unselected = edit->grab().toImage();
    EXPECT_EQ(selected == unselected, hide);
    host_ = std::make_unique<Host>();
  }
}

// A field asking for a vertical bar shows it always, even for one line; one that does not never shows it.
TEST_F(ControlsTest, VerticalScrollbarIsShownAlwaysWhenTheFieldHasOne) {
  for (const bool bar : {true, false}) {
    SCOPED_TRACE(bar ? "HasVerticalScrollbar true" : "HasVerticalScrollbar false");
    auto field = Make<TextArea>({{"Width", Integer(200)},
                                 {"Height", Integer(100)},
                                 {"HasVerticalScrollbar", Boolean(bar)},
                                 {"Value", Text("one line")}});
    host_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host_.get()));
    EXPECT_EQ(Field(field)->verticalScrollBar()->isVisible(), bar);
    field->Text(std::string(200, 'x') + "\r\n" + std::string(2000, '\n'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Field(field)->verticalScrollBar()->isVisible() == bar; }));
    host_ = std::make_unique<Host>();
  }
}

// The keyboard focus shows as a frame in the highlight colour on a field with a focus ring and on a button, and
// nowhere once the focus has gone; a field without a focus ring shows none.
TEST_F(ControlsTest, FocusRingShowsWhichFieldOrButtonHasTheFocus) {
  auto ringed = Make<TextArea>({{"Width", Integer(60)}, {"Height", Integer(20)}, {"AllowFocusRing", Boolean(true)}});
  auto plain = Make<TextArea>(
      {{"Top", Integer(30)}, {"Width", Integer(60)}, {"Height", Integer(20)}, {"AllowFocusRing", Boolean(false)}});
  auto button = Make<PushButton>({{"Top", Integer(60)}, {"Width", Integer(80)}, {"Height", Integer(30)}});
  auto parking = Make<TextArea>({{"Top", Integer(100)}, {"Width", Integer(60)}, {"Height", Integer(20)}});
  ShowActive();
  auto highlightPixels = [](QWidget* widget) {
    const QImage image = widget->grab().toImage();
    const QRgb highlight = widget->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == highlight;
    }
    return count;
  };
  struct Row {
    const char* name;
    Ref<RectControl> control;
    bool ring;
  };
  for (const Row& row : {Row{"field with a focus ring", ringed, true}, Row{"field without one", plain, false},
                         Row{"button", button, true}}) {
    SCOPED_TRACE(row.name);
    auto* widget = (internal::Native::Widget(*row.control));
    row.control->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget->hasFocus(); }));
    EXPECT_EQ(highlightPixels(widget) > 2 * widget->width(), row.ring) << "with the focus";
    parking->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !widget->hasFocus(); }));
    EXPECT_EQ(highlightPixels(widget), 0) << "without it";
  }
}

TEST_F(ControlsTest, ReadOnlyFieldIgnoresTypingButStillSelectsAndCopies) {
  auto field = Make<TextArea>({{"Width", Integer(100)}, {"Height", Integer(40)}, {"ReadOnly", Boolean(true)}});
  field->Text("fixed");
  ShowActive();
  field->SetFocus();
  QTest::keyClicks(Field(field), "xyz");
  QTest::keyClick(Field(field), Qt::Key_Backspace);
  EXPECT_EQ(field->Text(), "fixed");

  field->SelectionStart(1);
  field->SelectionLength(3);
  Field(field)->copy();
  EXPECT_EQ(QApplication::clipboard()->text(), "ixe");
  EXPECT_TRUE(Field(field)->textInteractionFlags() & Qt::TextSelectableByKeyboard);
}

TEST_F(ControlsTest, TabMovesTheFocusUnlessTheFieldAllowsTabs) {
  auto first = Make<TextArea>({{"Width", Integer(100)}, {"Height", Integer(40)}, {"AllowTabs", Boolean(false)}});
  auto second = Make<TextArea>({{"Top", Integer(50)}, {"Width", Integer(100)}, {"Height", Integer(40)}});
  auto tabs = Make<TextArea>(
      {{"Top", Integer(100)}, {"Width", Integer(100)}, {"Height", Integer(40)}, {"AllowTabs", Boolean(true)}});
  ShowActive();
  first->SetFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return first->HasFocus(); }));
  QTest::keyClick(Field(first), Qt::Key_Tab);
  EXPECT_TRUE(second->HasFocus());
  EXPECT_EQ(first->Text(), "");

  tabs->SetFocus();
  QTest::keyClick(Field(tabs), Qt::Key_Tab);
  EXPECT_TRUE(tabs->HasFocus());
  EXPECT_EQ(tabs->Text(), "\t");
}

TEST_F(ControlsTest, LocksKeepTheDistanceToTheirEdgesOnResize) {
  struct Row {
    const char* name;
    bool left, top, right, bottom;
    QRect expected;  // list geometry 20,30 100x50 in a 300x200 host grown to 350x260
  };
  const Row rows[] = {
      {"all four stretch", true, true, true, true, QRect(20, 30, 150, 110)},
      {"right only moves", false, false, true, false, QRect(70, 30, 100, 50)},
      {"bottom only moves", false, false, false, true, QRect(20, 90, 100, 50)},
      {"left and top stay", true, true, false, false, QRect(20, 30, 100, 50)},
      {"none stays", false, false, false, false, QRect(20, 30, 100, 50)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    host_ = std::make_unique<Host>();
    auto canvas = Make<Canvas>({{"Left", Integer(20)},
                                {"Top", Integer(30)},
                                {"Width", Integer(100)},
                                {"Height", Integer(50)},
                                {"LockLeft", Boolean(row.left)},
                                {"LockTop", Boolean(row.top)},
                                {"LockRight", Boolean(row.right)},
                                {"LockBottom", Boolean(row.bottom)}});
    auto* widget = (internal::Native::Widget(*canvas));
    host_->show();
    EXPECT_EQ(widget->geometry(), QRect(20, 30, 100, 50)) << "at the list's size the list geometry holds";
    host_->resize(350, 260);
    EXPECT_EQ(widget->geometry(), row.expected);
    host_->resize(300, 200);
    EXPECT_EQ(widget->geometry(), QRect(20, 30, 100, 50)) << "back at the list's size";
  }
}

// List values are 64-bit: whatever a list holds, a position is clamped as a widget's size is (QWIDGETSIZE_MAX) and an
// extent to a little more than a screen's (4096), never wrapped to another value nor overflowing int in Qt's
// rectangles, also once the locks follow a resize.
TEST_F(ControlsTest, HostileGeometryIsClampedNotWrapped) {
  constexpr int64_t kMax = QWIDGETSIZE_MAX;
  constexpr int64_t kLargest = 4096;
  constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
  constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();
  struct Row {
    const char* name;
    int64_t left, top, width, height;
    QRect expected;
  };
  const Row rows[] = {
      {"left at INT_MAX with a width", 2147483647, 10, 100, 20, QRect(kMax, 10, 100, 20)},
      {"left past 2^32 does not wrap to 10", (int64_t{1} << 32) + 10, 10, 100, 20, QRect(kMax, 10, 100, 20)},
      {"top at INT_MAX with a height", 10, 2147483647, 100, 20, QRect(10, kMax, 100, 20)},
      {"most negative left and top", kInt64Min, kInt64Min, 100, 20, QRect(-kMax, -kMax, 100, 20)},
      {"INT_MIN left", -2147483648LL, 10, 100, 20, QRect(-kMax, 10, 100, 20)},
      {"widest and highest", 10, 10, kInt64Max, kInt64Max, QRect(10, 10, kLargest, kLargest)},
      {"width past 2^32 does not wrap to 5", 10, 10, (int64_t{1} << 32) + 5, 20, QRect(10, 10, kLargest, 20)},
      {"the largest extent itself", 10, 10, kLargest, kLargest, QRect(10, 10, kLargest, kLargest)},
      {"negative extents are empty", 10, 10, kInt64Min, -5, QRect(10, 10, 0, 0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (bool locked : {false, true}) {
      SCOPED_TRACE(locked ? "locked to all four edges, host grown and shrunk" : "no locks");
      host_ = std::make_unique<Host>();
      auto canvas = Make<Canvas>({{"Left", Integer(row.left)},
                                  {"Top", Integer(row.top)},
                                  {"Width", Integer(row.width)},
                                  {"Height", Integer(row.height)},
                                  {"LockLeft", Boolean(locked)},
                                  {"LockTop", Boolean(locked)},
                                  {"LockRight", Boolean(locked)},
                                  {"LockBottom", Boolean(locked)}});
      QWidget* widget = internal::Native::Widget(*canvas);
      EXPECT_EQ(widget->geometry(), row.expected);
      host_->resize(350, 260);
      host_->resize(10, 10);
      host_->resize(300, 200);
      EXPECT_EQ(widget->geometry(), row.expected) << "back at the list's size";
    }
  }
  // A right lock moves the control by the host's growth, from a position already at the limit.
  host_ = std::make_unique<Host>();
  auto moved = Make<Canvas>({{"Left", Integer(kInt64Max)},
                             {"Top", Integer(10)},
                             {"Width", Integer(100)},
                             {"Height", Integer(20)},
                             {"LockRight", Boolean(true)}});
  host_->resize(400, 200);
  EXPECT_EQ(internal::Native::Widget(*moved)->geometry(), QRect(kMax, 10, 100, 20));
}

// Fusion paints a button through an image of the button's whole size: one as large as a list allows must still
// paint, not ask for more memory than any machine has (AddressSanitizer refuses such an allocation outright).
TEST_F(ControlsTest, AButtonAsLargeAsAListAllowsStillPaints) {
  constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();
  auto button = Make<PushButton>({{"Width", Integer(kHuge)}, {"Height", Integer(kHuge)}, {"Caption", Text("Go")}});
  ShowActive();
  EXPECT_FALSE(host_->grab().toImage().isNull());
}

TEST_F(ControlsTest, FontsFollowNameSizeAndStyle) {
  struct Row {
    const char* name;
    const char* fontName;
    float size;
    bool bold, italic, underline;
  };
  const Row rows[] = {
      {"System is the UI font", "System", 12, false, false, false},
      {"Courier is fixed-pitch", "Courier", 10, false, false, false},
      {"times is a serif face", "times", 10, true, true, false},
      {"styles", "System", 14, true, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto label = Make<Label>({{"FontName", Text(row.fontName)},
                              {"FontSize", Single(row.size)},
                              {"FontUnit", ByteEnumeration(0)},
                              {"Bold", Boolean(row.bold)},
                              {"Italic", Boolean(row.italic)},
                              {"Underline", Boolean(row.underline)}});
    const QFont font = (internal::Native::Widget(*label))->font();
    EXPECT_EQ(font.pixelSize(), static_cast<int>(row.size)) << "one point is one logical unit";
    EXPECT_EQ(font.bold(), row.bold);
    EXPECT_EQ(font.italic(), row.italic);
    EXPECT_EQ(font.underline(), row.underline);
    const std::string name = row.fontName;
    if (name == "System") {
      EXPECT_EQ(font.family(), QApplication::font().family());
    }
    if (name == "Courier") {
      EXPECT_EQ(font.styleHint(), QFont::TypeWriter);
      EXPECT_TRUE(QFontInfo(font).fixedPitch());
    }
    if (name == "times") {
      EXPECT_EQ(font.styleHint(), QFont::Serif);
    }
  }
  auto field = Make<TextArea>({{"FontName", Text("Courier")}, {"FontSize", Single(10)}});
  EXPECT_TRUE(QFontInfo(Field(field)->document()->defaultFont()).fixedPitch());
}

TEST_F(ControlsTest, ColoursAlignmentBorderAndBarsReachTheWidgets) {
  auto field = Make<TextArea>({{"Width", Integer(200)},
                               {"Height", Integer(100)},
                               {"TextColor", Colour(0x187534)},
                               {"BackgroundColor", Colour(0xFFFFFF)},
                               {"TextAlignment", Enumeration(2)},
                               {"HasBorder", Boolean(false)},
                               {"HasHorizontalScrollbar", Boolean(false)},
                               {"HasVerticalScrollbar", Boolean(true)}});
  QPlainTextEdit* edit = Field(field);
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0x18, 0x75, 0x34));
  EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0xff, 0xff, 0xff));
  EXPECT_EQ(edit->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth) << "no horizontal bar: the text wraps";

  // Every paragraph, set or typed, is laid out centred; and a blank line can still be typed into it.
  field->Text("one\r\ntwo\r\nthree");
  host_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(host_.get()));
  edit->setFocus();
  edit->moveCursor(QTextCursor::End);
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClicks(edit, "four");
  EXPECT_EQ(field->Text(), "one\r\ntwo\r\nthree\r\n\r\nfour");
  QTextDocument* document = edit->document();
  int blocks = 0;
  for (QTextBlock b = document->begin(); b.isValid(); b = b.next(), ++blocks) {
    if (b.text().isEmpty()) continue;
    document->documentLayout()->blockBoundingRect(b);
    ASSERT_GT(b.layout()->lineCount(), 0) << "paragraph " << blocks << " not laid out";
    const QTextLine line = b.layout()->lineAt(0);
    EXPECT_NEAR(line.naturalTextRect().center().x(), line.x() + line.width() / 2, 1.0) << "paragraph " << blocks;
  }
  EXPECT_EQ(blocks, 5);

  auto label = Make<Label>({{"TextColor", Colour(0x5DA31E)},
                            {"TextAlignment", Enumeration(3)},
                            {"Value", Text("Credit")},
                            {"Transparent", Boolean(false)},
                            {"Tooltip", Text("tip")}});
  auto* qlabel = static_cast<QLabel*>(internal::Native::Widget(*label));
  EXPECT_EQ(qlabel->palette().color(QPalette::WindowText), QColor(0x5d, 0xa3, 0x1e));
  EXPECT_EQ(qlabel->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(qlabel->text(), "Credit");
  EXPECT_EQ(qlabel->toolTip(), "tip");
  EXPECT_EQ(label->TextProperty("Value"), "Credit");
}

TEST_F(ControlsTest, CanvasDrawsItsBackdropUnscaledAtTheTopLeft) {
  QImage image(10, 6, QImage::Format_RGB32);
  image.fill(Qt::red);
  image.setPixelColor(9, 5, Qt::blue);
  const QString path = QDir::temp().filePath("controls_gui_test_backdrop.png");
  ASSERT_TRUE(image.save(path));
  const Ref<Picture> picture = Picture::FromFile(path.toStdString());
  QFile::remove(path);
  ASSERT_NE(picture, nullptr);

  QPalette palette = host_->palette();
  palette.setColor(QPalette::Window, Qt::green);
  host_->setPalette(palette);
  auto canvas = Make<Canvas>({{"Left", Integer(5)},
                              {"Top", Integer(5)},
                              {"Width", Integer(40)},
                              {"Height", Integer(30)},
                              {"Transparent", Boolean(false)}});
  canvas->Backdrop(picture);
  EXPECT_EQ(canvas->Backdrop(), picture);
  host_->show();
  const QImage shot = (internal::Native::Widget(*canvas))->grab().toImage();
  EXPECT_EQ(shot.size(), QSize(40, 30));
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(9, 5), QColor(Qt::blue)) << "unscaled: the picture's corner pixel stays at 9,5";
  EXPECT_EQ(shot.pixelColor(10, 0), QColor(Qt::green));
  EXPECT_EQ(shot.pixelColor(0, 6), QColor(Qt::green));

  canvas->Backdrop(nullptr);
  const QImage empty = (internal::Native::Widget(*canvas))->grab().toImage();
  EXPECT_EQ(empty.pixelColor(0, 0), QColor(Qt::green));
}

TEST_F(ControlsTest, CanvasMouseDownGetsCanvasCoordinatesAndAnUnboundPressGoesOn) {
  auto bound =
      Make<Canvas>({{"Left", Integer(50)}, {"Top", Integer(40)}, {"Width", Integer(30)}, {"Height", Integer(30)}});
  auto unbound =
      Make<Canvas>({{"Left", Integer(100)}, {"Top", Integer(40)}, {"Width", Integer(30)}, {"Height", Integer(30)}});
  auto label =
      Make<Label>({{"Left", Integer(150)}, {"Top", Integer(40)}, {"Width", Integer(30)}, {"Height", Integer(30)}});
  Bind(bound, Canvas::kMouseDown, "( Canvas, Integer, Integer ) as Boolean", &Recorder::MouseDown);
  host_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(host_.get()));

  QTest::mouseClick((internal::Native::Widget(*bound)), Qt::LeftButton, {}, QPoint(7, 9));
  EXPECT_EQ(recorder_->points, (std::vector<std::pair<int64_t, int64_t>>{{7, 9}}));
  EXPECT_TRUE(host_->presses.empty());

  QTest::mouseClick((internal::Native::Widget(*unbound)), Qt::LeftButton, {}, QPoint(3, 4));
  QTest::mouseClick((internal::Native::Widget(*label)), Qt::LeftButton, {}, QPoint(5, 6));
  EXPECT_EQ(host_->presses, (std::vector<QPoint>{{103, 44}, {155, 46}}));
  EXPECT_EQ(recorder_->points.size(), 1u);
}

TEST_F(ControlsTest, PushButtonActionOnAClick) {
  auto button = Make<PushButton>(
      {{"Width", Integer(80)}, {"Height", Integer(30)}, {"Caption", Text("Calculate")}, {"Default", Boolean(true)}});
  Bind(button, PushButton::kAction, "( PushButton )", &Recorder::ButtonAction);
  host_->show();
  auto* qbutton = static_cast<QPushButton*>(internal::Native::Widget(*button));
  EXPECT_EQ(qbutton->text(), "Calculate");
  EXPECT_TRUE(qbutton->isDefault());
  QTest::mouseClick(qbutton, Qt::LeftButton);
  EXPECT_EQ(recorder_->actions, 1);

  host_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(host_.get()));
  QTest::keyClick(host_.get(), Qt::Key_Escape);
  EXPECT_EQ(recorder_->actions, 1) << "no cancel button yet";
  button->SetProperty("Cancel", true);
  QTest::keyClick(host_.get(), Qt::Key_Escape);
  EXPECT_EQ(recorder_->actions, 2) << "Escape presses the cancel button";
}

TEST_F(ControlsTest, AButtonReleasedByItsOwnHandlerGoesOnceTheClickIsOver) {
  std::weak_ptr<PushButton> weak;
  QPointer<QPushButton> widget;
  {
    auto button = Make<PushButton>({{"Width", Integer(80)}, {"Height", Integer(30)}});
    Bind(button, PushButton::kAction, "( PushButton )", &Recorder::ButtonAction);
    weak = button;
    widget = static_cast<QPushButton*>(internal::Native::Widget(*button));
    recorder_->releaseOnAction = button;
  }
  host_->show();
  QTest::mouseClick(widget.data(), Qt::LeftButton);
  EXPECT_EQ(recorder_->actions, 1);
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(QTest::qWaitFor([&] { return widget.isNull(); }));
}

TEST_F(ControlsTest, SingleShotTimerFiresOnceAfterItsPeriod) {
  auto timer = RuntimeNewObject<Timer>();
  Bind(timer, Timer::kAction, "( Timer )", &Recorder::TimerAction);
  EXPECT_EQ(internal::Native::Widget(*timer), nullptr);
  QElapsedTimer clock;
  clock.start();
  RuntimeMassPropertySetter(timer, PropertyList({{"RunMode", Enumeration(1)}, {"Period", Integer(150)}}).Bytes());
  EXPECT_TRUE(timer->IsRunning());
  // Its deadline read back at once bounds the period from above: later reading, under load, only lowers it.
  ASSERT_NE(internal::Native::Timer(*timer), nullptr);
  EXPECT_LE(internal::Native::Timer(*timer)->remainingTime(), 150);
  // The wait is patience for a busy machine, no bound on the period.
  ASSERT_TRUE(QTest::qWaitFor([&] { return recorder_->actions > 0; }, 60000));
  const qint64 elapsed = clock.elapsed();
  RecordProperty("elapsed_ms", static_cast<int>(elapsed));
  EXPECT_GE(elapsed, 150);
  QTest::qWait(400);  // the duration is the behaviour: nothing more may come
  EXPECT_EQ(recorder_->actions, 1);
  EXPECT_FALSE(timer->IsRunning());

  timer->Reset();
  EXPECT_TRUE(timer->IsRunning());
  timer->SetProperty("RunMode", int64_t{0});
  EXPECT_FALSE(timer->IsRunning());
}

TEST_F(ControlsTest, AControlOutlivingItsWidgetIsSafeAndEmpty) {
  auto field = Make<TextArea>({{"Value", Text("kept")}});
  host_.reset();
  EXPECT_EQ(internal::Native::Widget(*field), nullptr);
  EXPECT_EQ(field->Text(), "");
  field->Text("ignored");
  field->SelectionStart(2);
  field->SetProperty("TextColor", uint32_t{0xff0000});
  EXPECT_EQ(field->SelectionLength(), 0);
  EXPECT_FALSE(field->HasFocus());
  EXPECT_EQ(field->OwnerWindow(), nullptr);
}

TEST_F(ControlsTest, AnotherThreadIsRefused) {
  auto field = Make<TextArea>();
  bool refused = false;
  std::thread([&] {
    try {
      field->Text("from elsewhere");
    } catch (const ThreadAccessingUIException&) {
      refused = true;
    }
  }).join();
  EXPECT_TRUE(refused);
  EXPECT_EQ(field->Text(), "");
}

// A refused call changes nothing: neither what the control shows nor the value it keeps.
TEST_F(ControlsTest, APropertySetFromAnotherThreadIsRefusedAndChangesNothing) {
  auto field = Make<TextArea>({{"Left", Integer(10)}, {"Width", Integer(100)}, {"ReadOnly", Boolean(false)}});
  auto window = RuntimeNewObject<Window>();
  window->SetProperty("Width", int64_t{240});
  const std::pair<Ref<Object>, std::pair<const char*, PropValue>> rows[] = {
      {field, {"Left", int64_t{70}}},
      {field, {"ReadOnly", true}},
      {field, {"Tooltip", std::string("from elsewhere")}},
      {window, {"Width", int64_t{500}}},
      {window, {"Title", std::string("from elsewhere")}},
  };
  for (const auto& row : rows) {
    const Ref<Object>& object = row.first;
    const std::string name = row.second.first;
    const PropValue value = row.second.second;
    SCOPED_TRACE(object->GetClass().fullName + "." + name);
    const PropValue* before = object->GetProperty(name);
    const std::optional<PropValue> kept = before ? std::optional<PropValue>(*before) : std::nullopt;
    bool refused = false;
    std::thread([&] {
      try {
        object->SetProperty(name, value);
      } catch (const ThreadAccessingUIException&) {
        refused = true;
      }
    }).join();
    EXPECT_TRUE(refused);
    const PropValue* after = object->GetProperty(name);
    EXPECT_EQ(after ? std::optional<PropValue>(*after) : std::nullopt, kept);
  }
  EXPECT_EQ(internal::Native::Widget(*field)->x(), 10);
  EXPECT_FALSE(Field(field)->isReadOnly());
}

// The last reference to a running timer may go on another thread: its QTimer is stopped and deleted on the GUI
// thread (Qt cannot stop a timer from another thread, and its next tick would reach a deleted object), and no
// action reaches the control that is gone.
TEST_F(ControlsTest, ARunningTimerReleasedOnAnotherThreadStopsOnTheGuiThread) {
  static std::vector<std::string> warnings;
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& m) { warnings.push_back(m.toStdString()); });
  auto timer = Make<Timer>();
  Bind(timer, Timer::kAction, "( Timer )", &Recorder::TimerAction);
  RuntimeMassPropertySetter(timer, PropertyList({{"RunMode", Enumeration(2)}, {"Period", Integer(1)}}).Bytes());
  ASSERT_TRUE(QTest::qWaitFor([&] { return recorder_->actions >= 2; }));
  std::weak_ptr<Object> watch = timer;
  std::thread([held = std::move(timer)]() mutable { held.reset(); }).join();
  EXPECT_TRUE(watch.expired());
  const int actions = recorder_->actions;
  // What the release posted comes first; a later timer of the same period has its ticks after the old one's.
  bool handedOver = false;
  QMetaObject::invokeMethod(
      qApp, [&] { handedOver = true; }, Qt::QueuedConnection);
  EXPECT_TRUE(QTest::qWaitFor([&] { return handedOver; }));
  int ticks = 0;
  QTimer later;
  QObject::connect(&later, &QTimer::timeout, [&] { ++ticks; });
  later.start(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 5; }));
  qInstallMessageHandler(previous);
  EXPECT_EQ(recorder_->actions, actions);
  EXPECT_EQ(warnings, std::vector<std::string>{});
}

}  // namespace
