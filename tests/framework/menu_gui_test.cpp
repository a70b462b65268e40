// Menus: the MenuBar1 tree, the Qt menu bar a window builds from it, the standard Edit commands on a focused text
// field through the system clipboard, their enabling, and a menu handler of the program's own.
#include "framework/internal/native.h"
#include "framework/menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include "app/menu_bar1.h"
#include "framework/controls.h"
#include "framework/property_list.h"
#include "framework/window.h"
#include "tests/support/gui_test_support.h"

using testing_support::WaitFor;
using testing_support::WidgetOf;

namespace {

int greetings = 0;

// A window with one text field and the program's menu bar, plus one item of its own with a handler.
class EditWnd : public Window {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "EditWnd.EditWnd",
                                  .base = &Window::ClassRecord(),
                                  .factory = [] { return std::make_shared<EditWnd>(); },
                                  .events = {{Window::kLayout, MakeEventEntry(&EditWnd::Layout)},
                                             {Window::kCreateControls, MakeEventEntry(&EditWnd::CreateControls)},
                                             {Window::kAddMenuHandlers, MakeEventEntry(&EditWnd::AddMenuHandlers)}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout() {
    MenuBar(MenuBar1::Implicit());
    RuntimeMassPropertySetter(shared_from_this(),
                              PropertyList{{"Width", Integer(300)}, {"Height", Integer(200)}}.Bytes());
  }
  void CreateControls() {
    Ref<Object> field = New_(TextArea::ClassRecord());
    AddControl_("Field", field);
    RuntimeMassPropertySetter(
        field, PropertyList{{"Width", Integer(280)}, {"Height", Integer(100)}, {"Multiline", Boolean(true)}}.Bytes());
  }
  void AddMenuHandlers(const Ref<Window>&) {
    AddMenuHandler_("Greet",
                    RuntimeCreateDelegate(&EditWnd::Greet_Action, RuntimeCheckCast<EditWnd>(shared_from_this()),
                                          "(  ) as Boolean", 0));
  }
  bool Greet_Action() {
    ++greetings;
    return true;
  }
  Ref<TextArea> Field() const { return RuntimeCheckCast<TextArea>(ControlByName_("Field")); }
};

class MenuTest : public ::testing::Test {
 protected:
  void TearDown() override {
    testing_support::CloseAllWindows();
    EXPECT_TRUE(recorder_.Messages().empty()) << "a handler failed: " << recorder_.Messages().front();
  }

  Ref<EditWnd> BuildFocused() {
    Ref<EditWnd> window = RuntimeNewObject<EditWnd>();
    window->Constructor();
    EXPECT_TRUE(QTest::qWaitForWindowActive(WidgetOf(window)));
    window->Field()->SetFocus();
    return window;
  }
  static QAction* Action(const Ref<Window>& window, const char* name) {
    return WidgetOf(window)->findChild<QMenuBar*>()->findChild<QAction*>(name);
  }
  static void Choose(const Ref<Window>& window, const char* name) {
    QAction* action = Action(window, name);
    ASSERT_TRUE(action) << name;
    ASSERT_TRUE(action->isEnabled()) << name << " is disabled";
    action->trigger();
  }

  testing_support::MessageRecorder recorder_;
};

TEST(MenuBar1Test, TreeHoldsOneEditMenuOfEightItemsAndIsBuiltOnce) {
  struct Row {
    const char* name;
    const char* text;
    const char* commandKey;
  };
  const Row rows[] = {
      {"EditUndo", "&Undo", "Ctrl+Z"},   {"UntitledMenu1", "-", ""},
      {"EditCut", "Cu&t", "Ctrl+X"},     {"EditCopy", "&Copy", "Ctrl+C"},
      {"EditPaste", "&Paste", "Ctrl+V"}, {"EditClear", "&Delete", ""},
      {"UntitledMenu0", "-", ""},        {"EditSelectAll", "Select &All", "Ctrl+A"},
  };
  Ref<MenuBar1> bar = MenuBar1::Implicit();
  ASSERT_EQ(bar->Count(), 1u);
  Ref<MenuItem> edit = bar->Child("EditMenu");
  ASSERT_EQ(edit, bar->Item(0));
  EXPECT_EQ(edit->Text(), "&Edit");
  EXPECT_EQ(edit->CommandKey(), "");
  ASSERT_EQ(edit->Count(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    Ref<MenuItem> item = edit->Item(i);
    EXPECT_EQ(item->Name(), rows[i].name);
    EXPECT_EQ(item->Text(), rows[i].text);
    EXPECT_EQ(item->CommandKey(), rows[i].commandKey);
    EXPECT_TRUE(item->AutoEnable());
    EXPECT_TRUE(item->Visible());
    EXPECT_EQ(bar->Lookup_(rows[i].name), item);
  }
  EXPECT_THROW(edit->Item(8), OutOfBoundsException);
  EXPECT_EQ(bar->Child("EditCopy"), nullptr);  // a child of the Edit menu, not of the bar
  EXPECT_EQ(MenuBar1::Implicit(), bar);
  EXPECT_EQ(bar->Child("EditMenu")->Count(), 8u);
}

TEST_F(MenuTest, QtMenuBarCarriesCaptionsSeparatorsAndShortcuts) {
  Ref<EditWnd> window = BuildFocused();
  QMenuBar* bar = WidgetOf(window)->findChild<QMenuBar*>();
  ASSERT_TRUE(bar);
  ASSERT_EQ(bar->actions().size(), 1);
  QMenu* edit = bar->actions()[0]->menu();
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->title(), "&Edit");
  QStringList captions, shortcuts;
  for (QAction* action : edit->actions()) {
    captions << (action->isSeparator() ? "-" : action->text());
    shortcuts << action->shortcut().toString(QKeySequence::PortableText);
  }
  EXPECT_EQ(captions, (QStringList{"&Undo", "-", "Cu&t", "&Copy", "&Paste", "&Delete", "-", "Select &All"}));
  EXPECT_EQ(shortcuts, (QStringList{"Ctrl+Z", "", "Ctrl+X", "Ctrl+C", "Ctrl+V", "", "", "Ctrl+A"}));
  EXPECT_EQ(window->MenuBar(), MenuBar1::Implicit());
}

TEST_F(MenuTest, EditCommandsActOnTheFocusedFieldThroughTheClipboard) {
  struct Row {
    const char* name;
    const char* text;
    const char* clipboard;
    std::vector<const char*> commands;
    const char* expectedText;
    const char* expectedClipboard;
  };
  const Row rows[] = {
      {"select all then copy", "0.01\r\n0.04", "old", {"EditSelectAll", "EditCopy"}, "0.01\r\n0.04", "0.01\n0.04"},
      {"paste inserts", "", "0.02", {"EditPaste"}, "0.02", "0.02"},
      {"cut moves the selection", "abc", "old", {"EditSelectAll", "EditCut"}, "", "abc"},
      {"delete removes the selection only", "abc", "keep", {"EditSelectAll", "EditClear"}, "", "keep"},
      {"undo brings a deletion back", "abc", "keep", {"EditSelectAll", "EditClear", "EditUndo"}, "abc", "keep"},
  };
  Ref<EditWnd> window = BuildFocused();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    window->Field()->Text(row.text);
    QGuiApplication::clipboard()->setText(row.clipboard);
    for (const char* command : row.commands) Choose(window, command);
    EXPECT_EQ(window->Field()->Text(), row.expectedText);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), row.expectedClipboard);
  }
}

TEST_F(MenuTest, EditItemsEnableThemselvesFromTheFieldsState) {
  Ref<EditWnd> window = BuildFocused();
  auto enabled = [&](const char* name) { return Action(window, name)->isEnabled(); };
  window->Field()->Text("abc");
  QGuiApplication::clipboard()->clear();
  EXPECT_FALSE(enabled("EditCopy"));
  EXPECT_FALSE(enabled("EditClear"));
  EXPECT_FALSE(enabled("EditPaste"));
  EXPECT_TRUE(enabled("EditSelectAll"));
  Choose(window, "EditSelectAll");
  EXPECT_TRUE(enabled("EditCopy"));
  EXPECT_TRUE(enabled("EditCut"));
  Choose(window, "EditCopy");
  EXPECT_TRUE(enabled("EditPaste"));

  window->Field()->SetProperty("ReadOnly", true);
  QApplication::focusWidget()->clearFocus();
  window->Field()->SetFocus();
  Choose(window, "EditSelectAll");
  EXPECT_TRUE(enabled("EditCopy"));
  EXPECT_FALSE(enabled("EditCut"));
  EXPECT_FALSE(enabled("EditPaste"));
}

// A shortcut reaches the menu through Qt's shortcut map, without the menu being opened.
TEST_F(MenuTest, OtherItemsCallTheWindowsMenuHandler) {
  Ref<MenuBar> bar = RuntimeNewObject<MenuBar>();
  Ref<MenuItem> greet = RuntimeNewObject<MenuItem>();
  greet->Name("Greet");
  greet->Text("&Greet");
  greet->AutoEnable(true);
  greet->CommandKey("Ctrl+G");
  Ref<MenuItem> other = RuntimeNewObject<MenuItem>();
  other->Name("Unhandled");
  other->Text("&Nothing");
  other->AutoEnable(true);
  Ref<MenuItem> menu = RuntimeNewObject<MenuItem>();
  menu->Name("FileMenu");
  menu->Text("&File");
  menu->AddMenu(greet);
  menu->AddMenu(other);
  bar->AddMenu(menu);

  Ref<EditWnd> window = BuildFocused();
  window->MenuBar(bar);
  EXPECT_TRUE(Action(window, "Greet")->isEnabled());
  EXPECT_FALSE(Action(window, "Unhandled")->isEnabled());
  greetings = 0;
  QTest::keyClick(WidgetOf(window), Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(greetings, 1);
  Choose(window, "Greet");
  EXPECT_EQ(greetings, 2);
}

// The Edit menu as a keyboard user meets it: Alt+E opens it on the field that has the focus, with the same items
// enabled as when it is opened by mouse, and an item's access key, or the arrows and Return, choose an item.
TEST_F(MenuTest, EditMenuWorksFromTheKeyboardOnTheFieldThatHadTheFocus) {
  struct Row {
    const char* name;
    int selectFrom;                          // the selection, from here to the end of "0.01"; -1 none
    std::vector<std::vector<Qt::Key>> uses;  // each: Alt+E, then these keys to the open menu
    const char* expectedText;
    const char* expectedClipboard;
  };
  const Row rows[] = {
      {"access key t cuts the selection", 2, {{Qt::Key_T}}, "0.", "01"},
      {"access key a selects all, then c copies", -1, {{Qt::Key_A}, {Qt::Key_C}}, "0.01", "0.01"},
      {"access key p pastes", -1, {{Qt::Key_P}}, "0.01clip", "clip"},
      {"access key d deletes the selection", 1, {{Qt::Key_D}}, "0", "clip"},
      {"Up from the first item wraps to Select All, Return chooses it, then c copies",
       -1,
       {{Qt::Key_Up, Qt::Key_Return}, {Qt::Key_C}},
       "0.01",
       "0.01"},
  };
  Ref<EditWnd> window = BuildFocused();
  QWidget* top = WidgetOf(window);
  auto* field = static_cast<QPlainTextEdit*>(internal::Native::Widget(*window->Field()));
  QMenuBar* bar = top->findChild<QMenuBar*>();
  QMenu* edit = bar->actions()[0]->menu();
  const auto states = [&] {
    std::vector<bool> enabled;
    for (QAction* action : edit->actions()) {
      if (!action->isSeparator()) enabled.push_back(action->isEnabled());
    }
    return enabled;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    window->Field()->Text("0.01");
    QGuiApplication::clipboard()->setText("clip");
    window->Field()->SelectionStart(row.selectFrom < 0 ? 4 : row.selectFrom);
    window->Field()->SelectionLength(row.selectFrom < 0 ? 0 : 4 - row.selectFrom);

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions()[0]).center());
    ASSERT_TRUE(WaitFor([&] { return QApplication::activePopupWidget() == edit; }));
    const std::vector<bool> byMouse = states();
    EXPECT_EQ(byMouse[5], true) << "Select All";
    QTest::keyClick(edit, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !QApplication::activePopupWidget() && field->hasFocus(); }));

    for (const std::vector<Qt::Key>& keys : row.uses) {
      QTest::keyClick(top, Qt::Key_E, Qt::AltModifier);
      ASSERT_TRUE(WaitFor([&] { return QApplication::activePopupWidget() == edit; }));
      if (&keys == &row.uses.front()) {
        EXPECT_EQ(states(), byMouse);
      }
      for (Qt::Key key : keys) QTest::keyClick(QApplication::activePopupWidget(), key);
      ASSERT_TRUE(WaitFor([&] { return !QApplication::activePopupWidget() && field->hasFocus(); }));
    }
    EXPECT_EQ(window->Field()->Text(), row.expectedText);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), row.expectedClipboard);
  }
}

// Escape closes the menu opened from the keyboard and gives the focus back to the field, which takes keys again.
TEST_F(MenuTest, EscapeFromTheEditMenuGivesTheFocusBackToTheField) {
  Ref<EditWnd> window = BuildFocused();
  QWidget* top = WidgetOf(window);
  auto* field = static_cast<QPlainTextEdit*>(internal::Native::Widget(*window->Field()));
  window->Field()->Text("");
  QTest::keyClick(top, Qt::Key_E, Qt::AltModifier);
  ASSERT_TRUE(WaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  EXPECT_TRUE(WaitFor([&] { return !QApplication::activePopupWidget() && QApplication::focusWidget() == field; }));
  QTest::keyClicks(QApplication::focusWidget(), "0.5");
  EXPECT_EQ(window->Field()->Text(), "0.5");
}

}  // namespace
