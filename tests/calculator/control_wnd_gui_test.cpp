// The calculator window as a user meets it: real widgets on the offscreen platform, keys and clicks through QTest,
// the Edit menu through the window's own QActions, message boxes and beeps recorded by the framework's test hooks.
#include "calculator/control_wnd.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "calculator/calculate_report.h"
#include "framework/picture.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/table_rows.h"
#include "windows/about_wnd.h"
#include "windows/description_wnd.h"

namespace {

using testing_support::ComposeText;
using testing_support::ContentOf;
using testing_support::SendKeyWithText;
using testing_support::WidgetOf;

std::string Rgb(const QColor& colour) { return colour.name().toStdString(); }

// Pictures of one plain colour each, written once for the whole test binary, so a backdrop can be told from the
// window's white ground by the colour of a grabbed pixel. The picture accessors keep a picture once found for the
// life of the process, so a missing picture is tested in a binary of its own.
class Pictures {
 public:
  static Pictures& Get() {
    static Pictures pictures;
    return pictures;
  }
  static constexpr QRgb kQuestion = 0xff2040c0;
  static constexpr QRgb kBanner = 0xffc02020;

  Ref<Picture> Load(const std::string& name) const {
    return Picture::FromFile(dir_.filePath(QString::fromStdString(name)).toStdString());
  }

 private:
  Pictures() {
    Write("Question48.jpg", 29, 43, kQuestion);
    Write("Pall.png", 435, 54, kBanner);
    Write("PallSmall.png", 265, 45, kBanner);
  }
  void Write(const char* name, int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(dir_.filePath(name), nullptr, 100);
  }
  QTemporaryDir dir_;
};

class ControlWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPictureLoaderForTesting([](const std::string& name) { return Pictures::Get().Load(name); });
    SetMessagePresenterForTesting([this](const std::string& text) {
      ++depth_;
      maxDepth_ = std::max(maxDepth_, depth_);
      messages_.push_back(text);
      if (onMessage_) onMessage_(text);
      --depth_;
    });
  }

  void TearDown() override { testing_support::ResetProgramState(); }

  // The calculator as the splash window's hand-over leaves it: built, shown and active.
  Ref<ControlWnd> OpenCalculator() {
    Ref<ControlWnd> window = ControlWnd::Implicit();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(window)));
    WidgetOf(window)->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(WidgetOf(window)));
    return window;
  }

  // Keys as the keyboard types them: a line break is the Return key.
  static void Type(const Ref<TextArea>& field, const std::string& text) {
    QWidget* widget = WidgetOf(field);
    widget->setFocus();
    for (char c : text) {
      if (c == '\n') {
        QTest::keyClick(widget, Qt::Key_Return);
      } else {
        QTest::keyClicks(widget, QString(QChar(c)));
      }
    }
  }

  static void Click(const Ref<PushButton>& button) { QTest::mouseClick(WidgetOf(button), Qt::LeftButton); }

  // The Edit menu's item of that caption, with the menu that holds it.
  static std::pair<QMenu*, QAction*> EditItem(const Ref<ControlWnd>& window, const QString& caption) {
    for (QMenuBar* bar : WidgetOf(window)->findChildren<QMenuBar*>()) {
      for (QAction* top : bar->actions()) {
        if (!top->menu()) continue;
        for (QAction* item : top->menu()->actions()) {
          if (item->text().remove('&') == caption) return {top->menu(), item};
        }
      }
    }
    return {nullptr, nullptr};
  }
  static QAction* EditAction(const Ref<ControlWnd>& window, const QString& caption) {
    return EditItem(window, caption).second;
  }

  // As a user chooses it: the menu opens (and brings its items' state up to date), then the item is triggered.
  static void TriggerEdit(const Ref<ControlWnd>& window, const QString& caption) {
    auto [menu, action] = EditItem(window, caption);
    ASSERT_NE(action, nullptr) << caption.toStdString();
    emit menu->aboutToShow();
    ASSERT_TRUE(action->isEnabled()) << caption.toStdString();
    action->trigger();
  }

  struct Fields {
    std::string count, rate, pValues;
    bool operator==(const Fields&) const = default;
  };
  static Fields Read(const Ref<ControlWnd>& window) {
    return {window->Nvariables()->Text(), window->ErrorFld()->Text(), window->InputFld1()->Text()};
  }

  std::vector<std::string> messages_;
  std::function<void(const std::string&)> onMessage_;
  int depth_ = 0, maxDepth_ = 0;
};

// The report's last line is the computation's own credit; everything above it is fixed by the procedure.
std::string Credit() {
  std::string report = *CalculateReport("2", ".05", ".01", [](const std::string&) {});
  return report.substr(report.rfind("\r\n") + 2);
}

const std::string kRule = "+++++++++++++++++++++++++++++++++++++++++++++++";

std::string Report(const std::vector<std::string>& rows) {
  std::string text = kRule + "\r\n" + "          Sequential                   Simple\r\n" +
                     "Test p    Critical p   Significant   Critical p\r\n" +
                     "++++++    ++++++++++   +++++++++++   ++++++++++\r\n";
  for (const std::string& row : rows) text += row + "\r\n";
  return text + kRule + "\r\n" + Credit();
}

TEST_F(ControlWndTest, WorkedExampleTypedInShowsTheReportThatCopiesAndRecalculates) {
  Ref<ControlWnd> window = OpenCalculator();
  Type(window->Nvariables(), "3");
  Type(window->ErrorFld(), ".05");
  Type(window->InputFld1(), ".04\n.01\n.03");
  ASSERT_EQ(window->InputFld1()->Text(), ".04\r\n.01\r\n.03");

  Click(window->CalculateBtn());

  const std::string report = Report({
      ".0100       .0167          yes         .0167",
      ".0300       .0250           no         .0167",
      ".0400       .0500           no         .0167",
  });
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(window->InputFld1()->Text(), report);
  EXPECT_EQ(window->Nvariables()->Text(), "3");
  EXPECT_EQ(window->ErrorFld()->Text(), ".05");
  // The columns line up only if no report line wraps in the field.
  auto* edit = static_cast<QPlainTextEdit*>(WidgetOf(window->InputFld1()));
  for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
    edit->document()->documentLayout()->blockBoundingRect(b);
    EXPECT_EQ(b.layout()->lineCount(), 1) << "wrapped: " << b.text().toStdString();
  }

  QApplication::clipboard()->clear();
  WidgetOf(window->InputFld1())->setFocus();
  TriggerEdit(window, "Select All");
  TriggerEdit(window, "Copy");
  QString copied = QApplication::clipboard()->text();
  copied.replace("\r\n", "\n");
  EXPECT_EQ(copied.toStdString(), QString::fromStdString(report).replace("\r\n", "\n").toStdString());

  // The report's own first three lines are read as p values: each is a field whose number is 0, and none is a
  // number, so each is warned about and the replaced report does not pass in silence.
  Click(window->CalculateBtn());
  EXPECT_EQ(messages_, std::vector<std::string>(3, "Please check the accuracy of test statistics"));
  EXPECT_EQ(window->InputFld1()->Text(), Report({
                                             ".0000       .0167          yes         .0167",
                                             ".0000       .0250          yes         .0167",
                                             ".0000       .0500          yes         .0167",
                                         }));
}

struct RefusalCase {
  const char* name;
  const char* count;
  const char* rate;
  const char* pValues;
  const char* message;
};

class ControlWndRefusalTest : public ControlWndTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ControlWndRefusalTest, ShowsOneMessageAndLeavesAllThreeFields) {
  const RefusalCase& c = GetParam();
  Ref<ControlWnd> window = OpenCalculator();
  Type(window->Nvariables(), c.count);
  Type(window->ErrorFld(), c.rate);
  Type(window->InputFld1(), c.pValues);
  const Fields before = Read(window);

  Click(window->CalculateBtn());

  EXPECT_EQ(messages_, std::vector<std::string>{c.message});
  EXPECT_TRUE(Read(window) == before);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ControlWndRefusalTest,
    ::testing::Values(RefusalCase{"EmptyCount", "", ".05", ".01", "Tests must range from 2-999"},
                      RefusalCase{"CountOne", "1", ".05", ".01\n.02", "Tests must range from 2-999"},
                      RefusalCase{"CountZeroWithBadRateToo", "0", "1", ".01", "Tests must range from 2-999"},
                      RefusalCase{"EmptyRate", "3", "", ".01", "Error rate must range from .00001 to .9999"},
                      RefusalCase{"RateZero", "3", "0", ".01", "Error rate must range from .00001 to .9999"},
                      RefusalCase{"RateOne", "3", "1", ".01", "Error rate must range from .00001 to .9999"},
                      RefusalCase{"NoData", "3", ".05", "", "No test data."}),
    testing_support::RowName());

TEST_F(ControlWndTest, WarningsComeOneAtATimeInFieldOrderBeforeTheReport) {
  Ref<ControlWnd> window = OpenCalculator();
  Type(window->Nvariables(), "4");
  Type(window->ErrorFld(), ".05");
  // A typed blank line is a field of its own: empty, so warned about and read as 0.
  Type(window->InputFld1(), ".04\n\n-1\n2");
  std::vector<std::string> fieldWhileShown;
  onMessage_ = [&](const std::string&) { fieldWhileShown.push_back(window->InputFld1()->Text()); };

  Click(window->CalculateBtn());

  const std::string warning = "Please check the accuracy of test statistics";
  const std::string typed = ".04\r\n\r\n-1\r\n2";
  EXPECT_EQ(messages_, (std::vector<std::string>{warning, warning, warning}));
  EXPECT_EQ(fieldWhileShown, (std::vector<std::string>{typed, typed, typed}));
  // The warned values are used all the same: -1 sorts first, the blank line's 0 next, 2 last.
  EXPECT_EQ(window->InputFld1()->Text(), Report({
                                             "-1.0000       .0125          yes         .0125",
                                             ".0000       .0167          yes         .0125",
                                             ".0400       .0250           no         .0125",
                                             "2.0000       .0500           no         .0125",
                                         }));
}

TEST_F(ControlWndTest, CountOf999WithOneValueWarns998TimesThenReports999Rows) {
  Ref<ControlWnd> window = OpenCalculator();
  Type(window->Nvariables(), "999");
  Type(window->ErrorFld(), ".05");
  Type(window->InputFld1(), ".01");
  int shownBeforeReport = 0;
  onMessage_ = [&](const std::string&) { shownBeforeReport += window->InputFld1()->Text() == ".01"; };

  Click(window->CalculateBtn());

  EXPECT_EQ(messages_.size(), 998u);
  EXPECT_EQ(std::set<std::string>(messages_.begin(), messages_.end()),
            std::set<std::string>{"Please check the accuracy of test statistics"});
  EXPECT_EQ(shownBeforeReport, 998);
  EXPECT_EQ(maxDepth_, 1) << "a message was shown while another was still up";
  const std::string report = window->InputFld1()->Text();
  size_t lines = 1;
  for (size_t at = report.find("\r\n"); at != std::string::npos; at = report.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 4 + 999 + 2u);
}

struct KeyCase {
  const char* name;
  Qt::Key key;
  bool home;                  // the cursor goes to the start first (for DEL, which deletes forwards)
  const char* countAfter;     // Nvariables holding "12", nullptr where the field's own handling decides
  const char* rateAfter;      // ErrorFld holding "12", likewise
  int countBeeps, rateBeeps;  // beeps the filters sound
};

// The two filtered number fields, each with what a row expects of it after the keys: its text and its beeps.
struct FilteredField {
  Ref<TextArea> field;
  const char* after;
  int beeps;
};

template <class Case>
std::array<FilteredField, 2> FilteredFields(const Ref<ControlWnd>& window, const Case& c) {
  return {FilteredField{window->Nvariables(), c.countAfter, c.countBeeps},
          FilteredField{window->ErrorFld(), c.rateAfter, c.rateBeeps}};
}

class ControlWndKeyFilterTest : public ControlWndTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ControlWndKeyFilterTest, PassesDigitsAndControlKeysAndBeepsAtTheRest) {
  const KeyCase& c = GetParam();
  Ref<ControlWnd> window = OpenCalculator();
  for (const FilteredField& t : FilteredFields(window, c)) {
    SCOPED_TRACE(t.field->Name());
    Type(t.field, "12");
    ASSERT_EQ(t.field->Text(), "12");
    QWidget* widget = WidgetOf(t.field);
    if (c.home) QTest::keyClick(widget, Qt::Key_Home);
    const int64_t beeps = BeepCount();
    QTest::keyClick(widget, c.key);
    EXPECT_EQ(BeepCount() - beeps, t.beeps);
    if (t.after) {
      EXPECT_EQ(t.field->Text(), t.after);
    }
  }
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(Keys, ControlWndKeyFilterTest,
                         ::testing::Values(KeyCase{"Digit", Qt::Key_5, false, "125", "125", 0, 0},
                                           KeyCase{"Point", Qt::Key_Period, false, "12", "12.", 1, 0},
                                           KeyCase{"Minus", Qt::Key_Minus, false, "12", "12", 1, 1},
                                           KeyCase{"Blank", Qt::Key_Space, false, "12", "12", 1, 1},
                                           KeyCase{"LetterE", Qt::Key_E, false, "12", "12", 1, 1},
                                           KeyCase{"LetterZ", Qt::Key_Z, false, "12", "12", 1, 1},
                                           KeyCase{"Backspace", Qt::Key_Backspace, false, "1", "1", 0, 0},
                                           KeyCase{"Tab", Qt::Key_Tab, false, "12", "12", 0, 0},
                                           KeyCase{"Return", Qt::Key_Return, false, nullptr, nullptr, 0, 0},
                                           KeyCase{"Escape", Qt::Key_Escape, false, "12", "12", 0, 0},
                                           KeyCase{"Del", Qt::Key_Delete, true, "2", "2", 0, 0}),
                         testing_support::RowName());

// Text that reaches a number field other than as one plain key: with Alt or Meta held, several characters in one
// key event, an input method's commit (a dead acute, then e). Each character meets the filter on its own.
struct TypingCase {
  const char* name;
  std::function<void(QWidget*)> type;
  const char* countAfter;  // Nvariables, empty before
  const char* rateAfter;   // ErrorFld, empty before
  int countBeeps, rateBeeps;
};
void PrintTo(const TypingCase& c, std::ostream* out) { *out << c.name; }

class ControlWndTypingTest : public ControlWndTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(ControlWndTypingTest, EveryTypedCharacterMeetsTheFilter) {
  const TypingCase& c = GetParam();
  Ref<ControlWnd> window = OpenCalculator();
  QApplication::clipboard()->setText("-e.");
  for (const FilteredField& t : FilteredFields(window, c)) {
    SCOPED_TRACE(t.field->Name());
    QWidget* widget = WidgetOf(t.field);
    widget->setFocus();
    const int64_t beeps = BeepCount();
    c.type(widget);
    EXPECT_EQ(t.field->Text(), t.after);
    EXPECT_EQ(BeepCount() - beeps, t.beeps);
  }
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ControlWndTypingTest,
    ::testing::Values(
        TypingCase{"AltLetter", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Z, Qt::AltModifier); }, "", "", 1, 1},
        TypingCase{"MetaLetter", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Z, Qt::MetaModifier); }, "", "", 1, 1},
        TypingCase{"AltPoint", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Period, Qt::AltModifier); }, "", ".", 1, 0},
        TypingCase{"MetaDigit", [](QWidget* w) { QTest::keyClick(w, Qt::Key_7, Qt::MetaModifier); }, "7", "7", 0, 0},
        TypingCase{"SeveralCharactersInOneKeyEvent", [](QWidget* w) { SendKeyWithText(w, Qt::Key_A, "a1.b2"); }, "12",
                   "1.2", 3, 2},
        TypingCase{"DeadAcuteThenE", [](QWidget* w) { ComposeText(w, QString(QChar(0xb4)), "\u00e9"); }, "", "", 1, 1},
        TypingCase{"InputMethodCommitsSeveral", [](QWidget* w) { ComposeText(w, "4", "4x.5"); }, "45", "4.5", 2, 1},
        TypingCase{"CtrlVPastesWhole", [](QWidget* w) { QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier); }, "-e.",
                   "-e.", 0, 0}),
    testing_support::RowName());

TEST_F(ControlWndTest, FieldLimitStopsTheFourthDigitWithoutABeep) {
  Ref<ControlWnd> window = OpenCalculator();
  const int64_t beeps = BeepCount();
  Type(window->Nvariables(), "1234");
  Type(window->ErrorFld(), ".0501");
  EXPECT_EQ(window->Nvariables()->Text(), "123");
  EXPECT_EQ(window->ErrorFld()->Text(), ".050");
  EXPECT_EQ(BeepCount(), beeps);
}

TEST_F(ControlWndTest, PastingThroughTheEditMenuBypassesTheFilters) {
  Ref<ControlWnd> window = OpenCalculator();
  const int64_t beeps = BeepCount();
  QApplication::clipboard()->setText("-e.");
  WidgetOf(window->Nvariables())->setFocus();
  TriggerEdit(window, "Paste");
  QApplication::clipboard()->setText("a b");
  WidgetOf(window->ErrorFld())->setFocus();
  TriggerEdit(window, "Paste");
  EXPECT_EQ(window->Nvariables()->Text(), "-e.");
  EXPECT_EQ(window->ErrorFld()->Text(), "a b");
  EXPECT_EQ(BeepCount(), beeps);
}

struct OverlongPasteCase {
  const char* name;
  Ref<TextArea> (ControlWnd::*field)() const;
  const char* pasted;
};

class ControlWndOverlongPasteTest : public ControlWndTest, public ::testing::WithParamInterface<OverlongPasteCase> {};

// The character limit holds for typed keys only: a paste longer than the limit goes in whole, so that ".00001" can
// reach the four-character rate field. Once over the limit, a typed digit is still refused, without a beep.
TEST_P(ControlWndOverlongPasteTest, CtrlVPutsInTheWholeTextAndTypingStaysLimited) {
  const OverlongPasteCase& c = GetParam();
  Ref<ControlWnd> window = OpenCalculator();
  Ref<TextArea> field = ((*window).*c.field)();
  QWidget* widget = WidgetOf(field);
  widget->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; }));
  QApplication::clipboard()->setText(c.pasted);
  const int64_t beeps = BeepCount();

  QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->Text(), c.pasted);

  QTest::keyClick(widget, Qt::Key_7);
  EXPECT_EQ(field->Text(), c.pasted);
  EXPECT_EQ(BeepCount(), beeps);
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pastes, ControlWndOverlongPasteTest,
    ::testing::Values(OverlongPasteCase{"FiveDigitsIntoTheThreeDigitCount", &ControlWnd::Nvariables, "12345"},
                      OverlongPasteCase{"SmallestRateIntoTheFourCharacterRate", &ControlWnd::ErrorFld, ".00001"}),
    testing_support::RowName());

// Real Tab and Shift+Tab presses on whatever has the focus: each passes the number fields' key filters, the fields
// turn it into a focus move instead of typing it (AllowTabs false), and the window resolves the move by TabIndex.
// The canvases and labels take no focus; the walk wraps at both ends.
TEST_F(ControlWndTest, TabAndShiftTabWalkTheWholeFocusChainBothWays) {
  Ref<ControlWnd> window = OpenCalculator();
  const std::vector<std::pair<QWidget*, std::string>> chain = {{WidgetOf(window->Nvariables()), "Nvariables"},
                                                               {WidgetOf(window->ErrorFld()), "ErrorFld"},
                                                               {WidgetOf(window->InputFld1()), "InputFld1"},
                                                               {WidgetOf(window->ClearBtn()), "ClearBtn"},
                                                               {WidgetOf(window->CalculateBtn()), "CalculateBtn"}};
  auto focused = [&]() -> std::string {
    QWidget* focus = QApplication::focusWidget();
    for (const auto& [widget, name] : chain) {
      if (widget == focus) return name;
    }
    return focus ? focus->metaObject()->className() : "nothing";
  };
  QTest::mouseClick(WidgetOf(window->Nvariables()), Qt::LeftButton);
  ASSERT_EQ(focused(), "Nvariables");
  const int64_t beeps = BeepCount();
  const size_t n = chain.size();

  for (size_t step = 1; step <= n; ++step) {
    SCOPED_TRACE("Tab " + std::to_string(step));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focused(), chain[step % n].second);
  }
  // Shift+Tab arrives as Backtab with Shift held, as the X11 keyboard sends it.
  for (size_t step = 1; step <= n; ++step) {
    SCOPED_TRACE("Shift+Tab " + std::to_string(step));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), chain[(n - step) % n].second);
  }

  EXPECT_TRUE(Read(window) == (Fields{"", "", ""})) << "a Tab was typed into a field";
  EXPECT_EQ(BeepCount(), beeps);
}

TEST_F(ControlWndTest, ClearEmptiesAllThreeFieldsAndFocusesTheCount) {
  Ref<ControlWnd> window = OpenCalculator();
  Type(window->Nvariables(), "2");
  Type(window->ErrorFld(), ".05");
  Type(window->InputFld1(), ".01\n.02");
  Click(window->CalculateBtn());
  ASSERT_NE(window->InputFld1()->Text().find(kRule), std::string::npos);

  Click(window->ClearBtn());

  EXPECT_TRUE(Read(window) == (Fields{"", "", ""}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->Nvariables()->HasFocus(); }));
  EXPECT_EQ(QApplication::focusWidget(), WidgetOf(window->Nvariables()));

  // Clear on empty fields is no error either.
  Click(window->ClearBtn());
  EXPECT_TRUE(Read(window) == (Fields{"", "", ""}));
  EXPECT_TRUE(messages_.empty());
}

// The texts the program sets into a field after the window is built (the report, the emptied fields) replace the
// old text as one step of that field's undo history: a report or a Clear never destroys what was typed beyond
// recovery. Texts given while the window is built are no steps: a new field has nothing to undo.
TEST_F(ControlWndTest, UndoBringsBackWhatTheReportOrClearReplaced) {
  Ref<ControlWnd> window = OpenCalculator();
  const auto undoEnabledIn = [&](const Ref<TextArea>& field) {
    WidgetOf(field)->setFocus();
    auto [menu, undo] = EditItem(window, "Undo");
    emit menu->aboutToShow();
    return undo->isEnabled();
  };
  for (const Ref<TextArea>& field : {window->Nvariables(), window->ErrorFld(), window->InputFld1()}) {
    EXPECT_FALSE(undoEnabledIn(field)) << field->Name();
  }

  Type(window->Nvariables(), "3");
  Type(window->ErrorFld(), ".05");
  Type(window->InputFld1(), ".04\n.01\n.03");
  const Fields typed = Read(window);
  Click(window->CalculateBtn());
  const std::string report = window->InputFld1()->Text();
  ASSERT_NE(report.find(kRule), std::string::npos);

  // Ctrl+Z as the keyboard sends it, the field's own context menu, then the Edit menu: each gives back what the
  // report replaced.
  QWidget* pValues = WidgetOf(window->InputFld1());
  pValues->setFocus();
  QTest::keyClick(pValues, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(window->InputFld1()->Text(), typed.pValues);
  Click(window->CalculateBtn());
  ASSERT_EQ(window->InputFld1()->Text(), report);
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), pValues->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(pValues, &menuKey);
  QMenu* contextMenu = pValues->findChild<QMenu*>();
  ASSERT_NE(contextMenu, nullptr);
  QAction* contextUndo = contextMenu->findChild<QAction*>("edit-undo");
  ASSERT_NE(contextUndo, nullptr);
  ASSERT_TRUE(contextUndo->isEnabled());
  contextUndo->trigger();
  contextMenu->close();
  EXPECT_EQ(window->InputFld1()->Text(), typed.pValues);
  Click(window->CalculateBtn());
  ASSERT_EQ(window->InputFld1()->Text(), report);
  pValues->setFocus();
  TriggerEdit(window, "Undo");
  EXPECT_EQ(window->InputFld1()->Text(), typed.pValues);
  // A second Undo goes on into what the user typed.
  TriggerEdit(window, "Undo");
  const std::string earlier = window->InputFld1()->Text();
  EXPECT_LT(earlier.size(), typed.pValues.size());
  EXPECT_EQ(typed.pValues.substr(0, earlier.size()), earlier);

  // Clear, then Undo in each field gives back its own text.
  QTest::keyClick(pValues, Qt::Key_A, Qt::ControlModifier);
  Type(window->InputFld1(), ".04\n.01\n.03");
  Click(window->CalculateBtn());
  ASSERT_EQ(window->InputFld1()->Text(), report);
  Click(window->ClearBtn());
  ASSERT_TRUE(Read(window) == (Fields{"", "", ""}));
  for (const Ref<TextArea>& field : {window->Nvariables(), window->ErrorFld(), window->InputFld1()}) {
    WidgetOf(field)->setFocus();
    QTest::keyClick(WidgetOf(field), Qt::Key_Z, Qt::ControlModifier);
  }
  EXPECT_TRUE(Read(window) == (Fields{typed.count, typed.rate, report}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ControlWndTest, QuestionMarkOpensOneDescriptionWindowHoweverOftenClicked) {
  Ref<ControlWnd> window = OpenCalculator();
  ASSERT_EQ(GetImplicitWindow_(DescriptionWnd::kFullName), nullptr);
  QWidget* canvas = WidgetOf(window->QCanvas());

  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(3, 3));
  Ref<Window> first = GetImplicitWindow_(DescriptionWnd::kFullName);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return first->IsVisible(); }));
  first->Hide();
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(25, 40));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(14, 20));

  EXPECT_EQ(GetImplicitWindow_(DescriptionWnd::kFullName), first);
  EXPECT_TRUE(first->IsVisible());
  int descriptions = 0;
  for (const Ref<Window>& live : RuntimeLiveWindows())
    descriptions += live->GetClass().fullName == "DescriptionWnd.DescriptionWnd";
  EXPECT_EQ(descriptions, 1);
}

TEST_F(ControlWndTest, ActivatingWithNoSplashWindowBuildsOneAndHidesIt) {
  ASSERT_EQ(GetImplicitWindow_(AboutWnd::kFullName), nullptr);
  OpenCalculator();
  Ref<Window> splash = GetImplicitWindow_(AboutWnd::kFullName);
  ASSERT_NE(splash, nullptr);
  EXPECT_FALSE(splash->IsVisible());
  EXPECT_FALSE(WidgetOf(splash)->isVisible());
}

// A splash window that is visible when the calculator becomes active is hidden, at the first activation and at
// every later one, and stays the same live window.
TEST_F(ControlWndTest, ActivatingHidesAVisibleSplashWindowEveryTime) {
  Ref<AboutWnd> splash = AboutWnd::Implicit();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(splash)));
  // Only the calculator's activation may hide it here, not the splash window's own hand-over.
  splash->Timer1()->SetProperty("RunMode", int64_t{0});
  ASSERT_FALSE(splash->Timer1()->IsRunning());
  ASSERT_TRUE(splash->IsVisible());

  Ref<ControlWnd> window = OpenCalculator();
  EXPECT_FALSE(splash->IsVisible());

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE("shown again, round " + std::to_string(round));
    splash->Show();
    WidgetOf(splash)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(splash)));
    ASSERT_TRUE(splash->IsVisible());

    WidgetOf(window)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(window)));
    EXPECT_FALSE(splash->IsVisible());
    EXPECT_FALSE(WidgetOf(splash)->isVisible());
  }
  EXPECT_EQ(GetImplicitWindow_(AboutWnd::kFullName), splash) << "hidden, never closed";
  EXPECT_TRUE(splash->IsLive());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ControlWndTest, ClosingTheCalculatorQuitsWithCodeZero) {
  Ref<ControlWnd> window = OpenCalculator();
  ASSERT_FALSE(RuntimeQuitRequested());
  WidgetOf(window)->close();
  EXPECT_TRUE(RuntimeQuitRequested());
  EXPECT_EQ(RuntimeExit(), 0);
  EXPECT_FALSE(window->IsLive());
}

struct LookCase {
  const char* name;
  std::function<std::string(const Ref<ControlWnd>&)> read;
  std::string expected;
};

std::string Geometry(QWidget* widget) {
  const QRect r = widget->geometry();
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}

template <class C>
std::function<std::string(const Ref<ControlWnd>&)> GeometryOf(Ref<C> (ControlWnd::*accessor)() const) {
  return [accessor](const Ref<ControlWnd>& w) { return Geometry(WidgetOf(((*w).*accessor)())); };
}

std::string FontOf(QWidget* widget) {
  const QFontInfo info(widget->font());
  std::string text = std::to_string(widget->font().pixelSize()) + "pt";
  if (info.fixedPitch()) text += " fixed";
  if (widget->font().styleHint() == QFont::Serif) text += " serif";
  if (info.bold()) text += " bold";
  return text;
}

std::string TextColourOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return Rgb(label->palette().color(QPalette::WindowText));
  return Rgb(widget->palette().color(QPalette::Text));
}

std::string AlignmentOf(QWidget* widget) {
  Qt::Alignment alignment;
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    alignment = label->alignment();
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    alignment = edit->document()->defaultTextOption().alignment();
  }
  if (alignment & Qt::AlignHCenter) return "centre";
  if (alignment & Qt::AlignRight) return "right";
  return "left";
}

std::string ScrollBarsOf(QWidget* widget) {
  auto* area = qobject_cast<QAbstractScrollArea*>(widget);
  if (!area) return "none";
  return std::string(area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? "-h" : "+h") +
         (area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? " -v" : " +v");
}

std::string PixelOf(QWidget* widget, QPoint at) { return Rgb(widget->grab().toImage().pixelColor(at)); }

std::string TabChain(const Ref<ControlWnd>& w) {
  std::vector<std::pair<QWidget*, std::string>> named = {{WidgetOf(w->Nvariables()), "Nvariables"},
                                                         {WidgetOf(w->ErrorFld()), "ErrorFld"},
                                                         {WidgetOf(w->InputFld1()), "InputFld1"},
                                                         {WidgetOf(w->ClearBtn()), "ClearBtn"},
                                                         {WidgetOf(w->CalculateBtn()), "CalculateBtn"}};
  std::string chain;
  QWidget* at = named.front().first;
  for (size_t step = 0; step < named.size(); ++step) {
    for (const auto& [widget, name] : named) {
      if (widget == at) chain += (chain.empty() ? "" : " ") + name;
    }
    do {
      at = at->nextInFocusChain();
    } while (at != named.front().first &&
             std::none_of(named.begin(), named.end(), [at](const auto& entry) { return entry.first == at; }));
  }
  return chain;
}

TEST_F(ControlWndTest, LooksAsItsListsSay) {
  Ref<ControlWnd> window = OpenCalculator();
  QWidget* top = WidgetOf(window);
  const std::string white = "#ffffff";
  const std::string green = "#187534";
  const std::vector<LookCase> cases = {
      {"ContentSize",
       [](auto& w) { return std::to_string(ContentOf(w)->width()) + "x" + std::to_string(ContentOf(w)->height()); },
       "470x460"},
      {"Title", [](auto& w) { return WidgetOf(w)->windowTitle().toStdString(); }, "Control"},
      {"FixedSize", [](auto& w) { return std::to_string(WidgetOf(w)->minimumSize() == WidgetOf(w)->maximumSize()); },
       "1"},
      {"FrameButtons",
       [](auto& w) {
         const Qt::WindowFlags f = WidgetOf(w)->windowFlags();
         return std::string(f & Qt::WindowCloseButtonHint ? "close" : "") +
                (f & Qt::WindowMinimizeButtonHint ? " min" : "") + (f & Qt::WindowMaximizeButtonHint ? " max" : "") +
                (f & Qt::WindowFullscreenButtonHint ? " full" : "");
       },
       "close min"},
      {"HasMenuBar", [](auto& w) { return std::to_string(EditAction(w, "Select All") != nullptr); }, "1"},
      {"Ground", [](auto& w) { return PixelOf(ContentOf(w), QPoint(5, 460 - 5)); }, white},
      {"QCanvasGeometry", GeometryOf(&ControlWnd::QCanvas), "318,123 29x43"},
      {"NvariablesGeometry", GeometryOf(&ControlWnd::Nvariables), "266,123 40x19"},
      {"ErrorFldGeometry", GeometryOf(&ControlWnd::ErrorFld), "266,147 40x19"},
      {"InputFld1Geometry", GeometryOf(&ControlWnd::InputFld1), "34,210 315x220"},
      {"ClearBtnGeometry", GeometryOf(&ControlWnd::ClearBtn), "368,400 80x30"},
      {"CalculateBtnGeometry", GeometryOf(&ControlWnd::CalculateBtn), "368,358 80x30"},
      {"StaticText1Geometry", GeometryOf(&ControlWnd::StaticText1), "34,123 214x19"},
      {"StaticText3Geometry", GeometryOf(&ControlWnd::StaticText3), "35,192 133x19"},
      {"TitlePictGeometry", GeometryOf(&ControlWnd::TitlePict), "20,-1 435x54"},
      {"StaticText2Geometry", GeometryOf(&ControlWnd::StaticText2), "34,148 214x19"},
      {"CopytextGeometry", GeometryOf(&ControlWnd::copytext), "136,48 200x22"},
      {"NvariablesFont", [](auto& w) { return FontOf(WidgetOf(w->Nvariables())); }, "12pt"},
      {"InputFld1Font", [](auto& w) { return FontOf(WidgetOf(w->InputFld1())); }, "10pt fixed"},
      {"ButtonFont", [](auto& w) { return FontOf(WidgetOf(w->CalculateBtn())); }, "12pt"},
      {"StaticText1Font", [](auto& w) { return FontOf(WidgetOf(w->StaticText1())); }, "14pt"},
      {"StaticText3Font", [](auto& w) { return FontOf(WidgetOf(w->StaticText3())); }, "12pt"},
      {"CopytextFont", [](auto& w) { return FontOf(WidgetOf(w->copytext())); }, "10pt serif"},
      {"StaticText1Colour", [](auto& w) { return TextColourOf(WidgetOf(w->StaticText1())); }, green},
      {"StaticText2Colour", [](auto& w) { return TextColourOf(WidgetOf(w->StaticText2())); }, green},
      {"StaticText3Colour", [](auto& w) { return TextColourOf(WidgetOf(w->StaticText3())); }, green},
      {"CopytextColour", [](auto& w) { return TextColourOf(WidgetOf(w->copytext())); }, "#5da31e"},
      {"InputFld1TextColour", [](auto& w) { return TextColourOf(WidgetOf(w->InputFld1())); }, "#000000"},
      {"CopytextShowsCredit",
       [](auto& w) { return qobject_cast<QLabel*>(WidgetOf(w->copytext()))->text().toStdString(); },
       "\u00A9 2026 the Pallastrovane authors"},
      {"CaptionClear",
       [](auto& w) { return qobject_cast<QPushButton*>(WidgetOf(w->ClearBtn()))->text().toStdString(); }, "Clear"},
      {"CaptionCalculate",
       [](auto& w) { return qobject_cast<QPushButton*>(WidgetOf(w->CalculateBtn()))->text().toStdString(); },
       "Calculate"},
      {"NvariablesAlignment", [](auto& w) { return AlignmentOf(WidgetOf(w->Nvariables())); }, "centre"},
      {"ErrorFldAlignment", [](auto& w) { return AlignmentOf(WidgetOf(w->ErrorFld())); }, "centre"},
      {"InputFld1Alignment", [](auto& w) { return AlignmentOf(WidgetOf(w->InputFld1())); }, "left"},
      {"CopytextAlignment", [](auto& w) { return AlignmentOf(WidgetOf(w->copytext())); }, "centre"},
      {"InputFld1ScrollBars", [](auto& w) { return ScrollBarsOf(WidgetOf(w->InputFld1())); }, "-h +v"},
      {"NvariablesScrollBars", [](auto& w) { return ScrollBarsOf(WidgetOf(w->Nvariables())); }, "-h -v"},
      {"QCanvasTooltip", [](auto& w) { return WidgetOf(w->QCanvas())->toolTip().toStdString(); },
       "Description of Pallastrovane"},
      {"QCanvasBackdrop", [](auto& w) { return PixelOf(WidgetOf(w->QCanvas()), QPoint(14, 21)); },
       Rgb(QColor(Pictures::kQuestion))},
      {"TitlePictBackdrop", [](auto& w) { return PixelOf(WidgetOf(w->TitlePict()), QPoint(200, 20)); },
       Rgb(QColor(Pictures::kBanner))},
      {"TabOrder", TabChain, "Nvariables ErrorFld InputFld1 ClearBtn CalculateBtn"},
  };
  ASSERT_NE(top, nullptr);
  for (const LookCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) == "QCanvasBackdrop") {
      // JPEG keeps a plain colour only approximately.
      const QColor seen(QString::fromStdString(c.read(window)));
      const QColor want(Pictures::kQuestion);
      EXPECT_LE(std::abs(seen.red() - want.red()) + std::abs(seen.green() - want.green()) +
                    std::abs(seen.blue() - want.blue()),
                24)
          << c.read(window);
      continue;
    }
    EXPECT_EQ(c.read(window), c.expected);
  }
}

}  // namespace
