// The splash window on real widgets: its timer's hand-over measured on the clock, the early hand-over by a real key
// press or click, and its locked label and picture following a resize.
#include "windows/about_wnd.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/credit_line.h"
#include "calculator/control_wnd.h"
#include "framework/internal/native.h"
#include "framework/picture.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/table_rows.h"
#include "windows/description_wnd.h"

namespace {

using testing_support::ContentOf;
using testing_support::WidgetOf;

std::string Geometry(QWidget* widget) {
  const QRect r = widget->geometry();
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}

class AboutWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No picture files here: the splash window must work without its picture.
    SetPictureLoaderForTesting([](const std::string&) { return Ref<Picture>(); });
    SetMessagePresenterForTesting([this](const std::string& text) { messages_.push_back(text); });
  }

  void TearDown() override { testing_support::ResetProgramState(); }

  // The splash window as the late start-up leaves it: built and shown.
  Ref<AboutWnd> OpenSplash() {
    Ref<AboutWnd> splash = AboutWnd::Implicit();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(splash)));
    return splash;
  }

  static Ref<Window> Calculator() { return GetImplicitWindow_(ControlWnd::kFullName); }

  std::vector<std::string> messages_;
};

// How long a busy machine may keep a due timer waiting; no bound on the behaviour.
constexpr int kPatienceMs = 60000;

// Notes each firing of a timer as it arrives, before the timer's own handler runs.
class FiringWatch : public QObject {
 public:
  FiringWatch(QTimer* timer, std::function<void()> onFiring) : onFiring_(std::move(onFiring)) {
    timer->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) onFiring_();
    return false;
  }

 private:
  std::function<void()> onFiring_;
};

// The timer starts while the window is built: the clock, started before, gives the hand-over a lower bound, and the
// time the timer has left once the window is up gives its deadline an upper one that no delay can break. That the
// hand-over runs inside the timer's firing, and only then, takes the place of an upper bound on the clock.
TEST_F(AboutWndTest, LeftAloneHandsOverWhenTheTimerFiresAt4000Ms) {
  QElapsedTimer clock;
  clock.start();
  Ref<AboutWnd> splash = OpenSplash();
  const qint64 built = clock.elapsed();
  ASSERT_EQ(Calculator(), nullptr);
  ASSERT_TRUE(splash->Timer1()->IsRunning());
  QTimer* timer = internal::Native::Timer(*splash->Timer1());
  ASSERT_NE(timer, nullptr);
  int left = timer->remainingTime();
  EXPECT_LE(left, 4000) << "due later than 4000 ms after the window was built";

  struct {
    qint64 firedAt = -1;
    bool splashShownThen = false, handedOver = false, done = false, movedOn = false;
  } seen;
  FiringWatch watch(timer, [&] {
    if (seen.firedAt >= 0) return;
    seen.firedAt = clock.elapsed();
    seen.splashShownThen = splash->IsVisible();
  });
  // Connected after the window's own handler, so it runs right after it.
  QObject::connect(timer, &QTimer::timeout, &watch, [&] {
    seen.handedOver = !splash->IsVisible() && Calculator() && Calculator()->IsVisible();
    seen.done = true;
  });
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        // Started again, the timer would have more time left than before.
        if (seen.firedAt < 0 && timer->isActive()) {
          const int now = timer->remainingTime();
          seen.movedOn |= now > left;
          left = now;
        }
        return seen.done;
      },
      kPatienceMs));
  std::cout << "window built in " << built << " ms, timer fired after " << seen.firedAt << " ms\n";
  EXPECT_GE(seen.firedAt, 4000);
  EXPECT_TRUE(seen.splashShownThen) << "handed over before the timer fired";
  EXPECT_TRUE(seen.handedOver) << "the timer's firing did not hand over";
  EXPECT_FALSE(seen.movedOn) << "the timer was started again";
  EXPECT_FALSE(splash->Timer1()->IsRunning());
  EXPECT_TRUE(messages_.empty());
}

struct EarlyCase {
  const char* name;
  void (*act)(const Ref<AboutWnd>& splash);
};

class AboutWndEarlyTest : public AboutWndTest, public ::testing::WithParamInterface<EarlyCase> {};

TEST_P(AboutWndEarlyTest, HandsOverAtOnceAndTheTimerLaterOnlyShowsTheCalculatorAgain) {
  Ref<AboutWnd> splash = OpenSplash();
  QTimer* timer = internal::Native::Timer(*splash->Timer1());
  ASSERT_NE(timer, nullptr);
  Ref<Window> calculator;
  int firings = 0;
  bool shownWhenFired = true, shownAfterwards = false;
  FiringWatch watch(timer, [&] {
    ++firings;
    shownWhenFired = calculator && calculator->IsVisible();
  });
  QObject::connect(timer, &QTimer::timeout, &watch, [&] { shownAfterwards = calculator && calculator->IsVisible(); });

  GetParam().act(splash);

  EXPECT_FALSE(splash->IsVisible());
  calculator = Calculator();
  ASSERT_NE(calculator, nullptr);
  EXPECT_TRUE(calculator->IsVisible());
  EXPECT_EQ(firings, 0) << "the timer handed over, not the key or the click";
  EXPECT_TRUE(splash->Timer1()->IsRunning()) << "an early hand-over must leave the timer running";

  // Hidden again, the calculator shows up once more only when the timer's own hand-over runs.
  calculator->Hide();
  ASSERT_TRUE(QTest::qWaitFor([&] { return firings > 0; }, kPatienceMs));
  EXPECT_FALSE(shownWhenFired) << "shown again before the timer fired";
  EXPECT_TRUE(shownAfterwards);
  EXPECT_TRUE(calculator->IsVisible());
  EXPECT_EQ(Calculator(), calculator) << "the calculator was built a second time";
  EXPECT_FALSE(splash->IsVisible());
  EXPECT_EQ(splash->Timer1()->IsRunning(), false);
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Early, AboutWndEarlyTest,
    ::testing::Values(
        EarlyCase{"KeyPress", [](const Ref<AboutWnd>& s) { QTest::keyClick(WidgetOf(s), Qt::Key_A); }},
        EarlyCase{"ReturnKey", [](const Ref<AboutWnd>& s) { QTest::keyClick(WidgetOf(s), Qt::Key_Return); }},
        EarlyCase{"ClickOnGround",
                  [](const Ref<AboutWnd>& s) { QTest::mouseClick(ContentOf(s), Qt::LeftButton, {}, QPoint(5, 5)); }},
        EarlyCase{
            "ClickNearCorner",
            [](const Ref<AboutWnd>& s) { QTest::mouseClick(ContentOf(s), Qt::LeftButton, {}, QPoint(295, 145)); }}),
    testing_support::RowName());

TEST_F(AboutWndTest, LooksAsItsListSaysAndItsLockedControlsFollowAResize) {
  Ref<AboutWnd> splash = OpenSplash();
  QWidget* content = ContentOf(splash);
  EXPECT_EQ(content->size(), QSize(300, 150));
  // Qt puts the application's name in a frame whose title is empty: the title it sends must be blank instead.
  ASSERT_NE(WidgetOf(splash)->windowHandle(), nullptr);
  const QString sent = WidgetOf(splash)->windowHandle()->title();
  EXPECT_FALSE(sent.isEmpty());
  EXPECT_TRUE(sent.trimmed().isEmpty()) << sent.toStdString();
  EXPECT_EQ(splash->TextProperty("Title"), "");
  EXPECT_EQ(Geometry(WidgetOf(splash->StaticText5())), "20,76 260x16");
  EXPECT_EQ(Geometry(WidgetOf(splash->Canvas1())), "20,34 265x45");
  auto* label = qobject_cast<QLabel*>(WidgetOf(splash->StaticText5()));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text().toStdString(), kCreditLine);
  EXPECT_EQ(label->palette().color(QPalette::WindowText).name().toStdString(), "#058207");
  EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
  EXPECT_EQ(splash->Canvas1()->Backdrop(), nullptr);

  WidgetOf(splash)->resize(WidgetOf(splash)->size() + QSize(100, 60));
  ASSERT_TRUE(QTest::qWaitFor([&] { return content->size() == QSize(400, 210); }));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Geometry(WidgetOf(splash->StaticText5())) == "20,76 360x76"; }))
      << Geometry(WidgetOf(splash->StaticText5()));
  EXPECT_EQ(Geometry(WidgetOf(splash->Canvas1())), "20,34 365x105");

  WidgetOf(splash)->resize(WidgetOf(splash)->size() - QSize(100, 60));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Geometry(WidgetOf(splash->Canvas1())) == "20,34 265x45"; }))
      << Geometry(WidgetOf(splash->Canvas1()));
  EXPECT_EQ(Geometry(WidgetOf(splash->StaticText5())), "20,76 260x16");
  EXPECT_TRUE(messages_.empty());
}

}  // namespace

namespace {

// Each window class answers the event query from the entries it fills, and from nothing else.
TEST_F(AboutWndTest, EachWindowClassReportsExactlyTheEventsItHandles) {
  Ref<AboutWnd> splash = OpenSplash();
  Ref<ControlWnd> calculator = ControlWnd::Implicit();
  Ref<DescriptionWnd> description = DescriptionWnd::Implicit();
  struct Row {
    const char* event;
    bool splash, calculator, description;
  };
  const Row rows[] = {
      {"CreateControls", true, true, true},   {"Layout", true, true, true},         {"KeyDown", true, false, false},
      {"MouseDown", true, false, false},      {"Activate", false, true, false},     {"Close", false, true, false},
      {"AddMenuHandlers", false, true, true}, {"Open", false, false, true},         {"Paint", false, false, false},
      {"CancelClose", false, false, false},   {"NoSuchEvent", false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.event);
    EXPECT_EQ(splash->IsEventImplemented(row.event), row.splash);
    EXPECT_EQ(calculator->IsEventImplemented(row.event), row.calculator);
    EXPECT_EQ(description->IsEventImplemented(row.event), row.description);
  }
}

}  // namespace
