// The description window on real widgets: its text and bold title as Qt's document holds them, its read-only
// fields under real typing, and building and closing it again and again without leaving anything behind.
#include "windows/description_wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <string>
#include <vector>

#include "framework/internal/qt_printing.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "tests/support/gui_test_support.h"
#include "windows/description_text.h"

namespace {

using testing_support::ContentOf;
using testing_support::WidgetOf;

QTextDocument* DocumentOf(const Ref<TextArea>& field) {
  auto* edit = qobject_cast<QPlainTextEdit*>(WidgetOf(field));
  return edit ? edit->document() : nullptr;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  lines.push_back(text.substr(from));
  return lines;
}

// Positions of the bold characters of the document, as Qt holds them.
std::vector<int> BoldPositions(QTextDocument* document) {
  std::vector<int> bold;
  QTextCursor cursor(document);
  const int end = document->characterCount() - 1;
  for (int i = 0; i < end; ++i) {
    cursor.setPosition(i);
    cursor.setPosition(i + 1, QTextCursor::KeepAnchor);
    if (cursor.charFormat().fontWeight() >= QFont::Bold) bold.push_back(i);
  }
  return bold;
}

class DescriptionWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessagePresenterForTesting([this](const std::string& text) { messages_.push_back(text); });
  }
  void TearDown() override { testing_support::ResetProgramState(); }

  static Ref<DescriptionWnd> Open() {
    Ref<DescriptionWnd> window = DescriptionWnd::Implicit();
    window->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(window)));
    return window;
  }

  // What a fresh window shows: the text, the bold title and the selection over it.
  static void ExpectAsOpened(const Ref<DescriptionWnd>& window) {
    Ref<TextArea> field = window->DescribeFld2();
    EXPECT_EQ(field->Text(), DescriptionText());
    QTextDocument* document = DocumentOf(field);
    ASSERT_NE(document, nullptr);
    const std::vector<int> bold = BoldPositions(document);
    EXPECT_EQ(bold, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(field->SelectionStart(), 0);
    EXPECT_EQ(field->SelectionLength(), 13);
    const QTextCursor cursor = qobject_cast<QPlainTextEdit*>(WidgetOf(field))->textCursor();
    EXPECT_EQ(cursor.selectionStart(), 0);
    EXPECT_EQ(cursor.selectionEnd(), 13);
  }

  std::vector<std::string> messages_;
};

TEST_F(DescriptionWndTest, OpensWithExactlyTheTitleBoldAndSelected) {
  Ref<DescriptionWnd> window = Open();
  ExpectAsOpened(window);
  Ref<TextArea> field = window->DescribeFld2();
  EXPECT_TRUE(field->SelBold());
  field->SelectionStart(12);
  field->SelectionLength(6);
  EXPECT_FALSE(field->SelBold()) << "the title's last letter through the next line's first";
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DescriptionWndTest, TextHasThirtyLinesJoinedByCrLfWithTheFixedLines) {
  const std::string text = Open()->DescribeFld2()->Text();
  size_t crlf = 0, lone = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") == 0) {
      ++crlf;
      ++i;
    } else if (text[i] == '\r' || text[i] == '\n') {
      ++lone;
    } else {
      EXPECT_TRUE(text[i] >= 0x20 && text[i] < 0x7F) << "not plain ASCII at " << i;
    }
  }
  EXPECT_EQ(crlf, 29u);
  EXPECT_EQ(lone, 0u);
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines[0], "Pallastrovane");
  EXPECT_EQ(lines[8], "Date Entry");
  EXPECT_EQ(lines[12], "References");
  EXPECT_EQ(lines[23], std::string(53, '*'));
  EXPECT_EQ(lines[26], "Reference as:");
  for (int empty : {2, 4, 7, 8, 11, 12, 15, 17, 19, 21, 23, 26, 29}) EXPECT_TRUE(lines[empty - 1].empty()) << empty;
  for (int full : {3, 5, 6, 10, 14, 16, 18, 20, 22, 25, 28, 30}) EXPECT_FALSE(lines[full - 1].empty()) << full;
  EXPECT_EQ(lines[17].rfind("Holm, S. (1979). ", 0), 0u);
}

TEST_F(DescriptionWndTest, LooksAsItsListsSay) {
  Ref<DescriptionWnd> window = Open();
  EXPECT_EQ(ContentOf(window)->size(), QSize(427, 491));
  EXPECT_EQ(WidgetOf(window)->windowTitle().toStdString(), "Description");
  EXPECT_EQ(WidgetOf(window->DescribeFld())->geometry(), QRect(-1, -1, 427, 478));
  EXPECT_EQ(WidgetOf(window->DescribeFld2())->geometry(), QRect(-1, -1, 429, 476));
  EXPECT_EQ(window->DescribeFld()->Text(), "\r\n");
  EXPECT_EQ(window->MenuBar(), nullptr);
  WidgetOf(window->DescribeFld())->setFocus();
  QTest::keyClick(WidgetOf(window->DescribeFld()), Qt::Key_Tab);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->DescribeFld2()->HasFocus(); })) << "tab order";

  WidgetOf(window)->resize(WidgetOf(window)->size() + QSize(73, 9));
  EXPECT_TRUE(QTest::qWaitFor([&] { return WidgetOf(window->DescribeFld2())->geometry() == QRect(-1, -1, 502, 485); }));
  EXPECT_EQ(WidgetOf(window->DescribeFld())->geometry(), QRect(-1, -1, 500, 487));
}

TEST_F(DescriptionWndTest, TypingIntoEitherFieldChangesNothing) {
  Ref<DescriptionWnd> window = Open();
  for (const Ref<TextArea>& field : {window->DescribeFld(), window->DescribeFld2()}) {
    SCOPED_TRACE(field->Name());
    const std::string before = field->Text();
    QWidget* widget = WidgetOf(field);
    widget->setFocus();
    QTest::keyClicks(widget, "typed");
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClick(widget, Qt::Key_Backspace);
    QTest::keyClick(widget, Qt::Key_Delete);
    EXPECT_EQ(field->Text(), before);
  }
  ExpectAsOpened(window);
}

TEST_F(DescriptionWndTest, SecondOpenBuildsNothingAndCloseThenOpenBuildsAFreshWindow) {
  Ref<DescriptionWnd> first = Open();
  const int64_t live = LiveObjectCount();
  EXPECT_EQ(DescriptionWnd::Implicit(), first);
  EXPECT_EQ(LiveObjectCount(), live);

  // The user moves the selection away; a fresh window starts from its lists again.
  first->DescribeFld2()->SelectionStart(40);
  first->DescribeFld2()->SelectionLength(0);
  WidgetOf(first)->close();
  EXPECT_FALSE(first->IsLive());
  EXPECT_EQ(GetImplicitWindow_(DescriptionWnd::kFullName), nullptr);
  const std::weak_ptr<DescriptionWnd> gone = first;
  first.reset();
  QTest::qWait(0);
  EXPECT_TRUE(gone.expired());

  Ref<DescriptionWnd> second = Open();
  ExpectAsOpened(second);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DescriptionWndTest, BuildingAndClosingAThousandTimesLeavesNoObjectBehind) {
  DescriptionWnd::Implicit()->Close();
  QTest::qWait(0);
  const int64_t baseline = LiveObjectCount();
  for (int i = 0; i < 1000; ++i) {
    Ref<DescriptionWnd> window = DescriptionWnd::Implicit();
    window->Close();
    if (i % 100 == 0) QTest::qWait(0);
  }
  QTest::qWait(0);
  EXPECT_EQ(LiveObjectCount(), baseline);
  EXPECT_TRUE(RuntimeLiveWindows().empty());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DescriptionWndTest, PrintHandlerReturnsFalseWhenThePrintDialogIsCancelled) {
  Ref<DescriptionWnd> window = Open();
  Ref<Delegate> print = window->MenuHandler("Print");
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->Signature(), "(  ) as Boolean");
  bool sawDialog = false;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      sawDialog = true;
      dialog->reject();
    }
  });
  EXPECT_FALSE(print->Call<bool>());
  EXPECT_TRUE(sawDialog);
  EXPECT_NE(window->MenuHandler("ControlMenuItem"), nullptr);
  EXPECT_NE(window->MenuHandler("AboutMenuItem"), nullptr);
}

}  // namespace

namespace {

// The printed block keeps the text's size in points: drawn at four device units to a point, a line of the
// description is about four times as high as on screen, and the block ends at its width and height.
TEST_F(DescriptionWndTest, PrintedBlockKeepsTheTextsSizeInPoints) {
  Ref<DescriptionWnd> window = DescriptionWnd::Implicit();
  constexpr double kUnitsPerPoint = 4;
  constexpr int kBlock = 540;
  QImage page(kBlock * 5, kBlock * 5, QImage::Format_RGB32);
  page.fill(Qt::white);
  // Like a printer, the page has the resolution of its units: 288 dots an inch.
  page.setDotsPerMeterX(static_cast<int>(72 * kUnitsPerPoint / 0.0254));
  page.setDotsPerMeterY(static_cast<int>(72 * kUnitsPerPoint / 0.0254));
  ASSERT_TRUE(internal::DrawTextAreaBlock(window->DescribeFld2(), &page, kUnitsPerPoint, kBlock, kBlock));

  // The title line's ink: from the first inked row down to the first blank row after it.
  auto rowHasInk = [&](int y) {
    for (int x = 0; x < page.width(); ++x)
      if (page.pixel(x, y) != qRgb(255, 255, 255)) return true;
    return false;
  };
  int top = 0;
  while (top < page.height() && !rowHasInk(top)) ++top;
  int bottom = top;
  while (bottom < page.height() && rowHasInk(bottom)) ++bottom;
  const int titleHeight = bottom - top;
  // The field's font is 11 units: its capitals are about 8 units high on screen, so about 32 device units here.
  EXPECT_GT(titleHeight, 20);
  EXPECT_LT(titleHeight, 80);

  int lastInk = page.height() - 1;
  while (lastInk > 0 && !rowHasInk(lastInk)) --lastInk;
  EXPECT_LE(lastInk, kBlock * kUnitsPerPoint) << "nothing is drawn below the block";
}

}  // namespace
