// Releasing Qt objects at hostile moments: a window closed by a timer while its own handler's message box runs a
// nested event loop, and the last reference to a running timer or a window dropped on another thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <string>
#include <thread>
#include <vector>

#include "framework/controls.h"
#include "framework/property_list.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "framework/window.h"
#include "tests/support/gui_test_support.h"

using testing_support::WaitFor;
using testing_support::WidgetOf;

namespace {

enum class Doing { kMessage, kFail };

// The event whose handler acts, what it does, and what came of it.
struct BoxScript {
  std::string event;  // "Activate", "Deactivate", "KeyDown", "Go Action"
  Doing doing = Doing::kMessage;
  bool armed = false;
  bool acted = false;
  bool closedByTimer = false;
  std::vector<std::string> boxes;
};
BoxScript box;

// A window whose acting handler starts its timer and then shows a message box (or fails, so that the default
// handling shows one); the timer closes the window while that box is still up.
class BoxWnd : public Window {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout() {
    RuntimeMassPropertySetter(
        shared_from_this(),
        PropertyList{{"Width", Integer(240)}, {"Height", Integer(120)}, {"Visible", Boolean(true)}}.Bytes());
  }
  void CreateControls() {
    Ref<BoxWnd> self = std::static_pointer_cast<BoxWnd>(shared_from_this());
    Add("Go", PushButton::ClassRecord(),
        {{"Left", Integer(10)}, {"Top", Integer(10)}, {"Width", Integer(60)}, {"Height", Integer(30)}},
        PushButton::kAction, RuntimeCreateDelegate(&BoxWnd::Go_Action, self, "( PushButton )", 1));
    Add("Tick", Timer::ClassRecord(), {{"Period", Integer(1)}, {"RunMode", Enumeration(0)}}, Timer::kAction,
        RuntimeCreateDelegate(&BoxWnd::Tick_Action, self, "( Timer )", 1));
  }
  void Go_Action(const Ref<PushButton>&) { Act("Go Action"); }
  void Tick_Action(const Ref<Timer>&) {
    box.closedByTimer = true;
    Close();
  }
  void Event_Activate() { Act("Activate"); }
  void Event_Deactivate() { Act("Deactivate"); }
  bool Event_KeyDown(const std::string&) {
    Act("KeyDown");
    return false;
  }

 private:
  void Add(const std::string& name, const ClassInfo& cls, std::initializer_list<PropertyEntry> entries, int event,
           const Ref<Delegate>& handler) {
    Ref<Object> control = New_(cls);
    AddControl_(name, control);
    RuntimeMassPropertySetter(control, PropertyList(entries).Bytes());
    RuntimeAddEventHandler(control, event, handler);
  }
  void Act(const std::string& event) {
    if (!box.armed || event != box.event || box.acted) return;
    box.acted = true;
    ControlByName_("Tick")->SetProperty("RunMode", int64_t{1});
    if (box.doing == Doing::kFail) throw OutOfBoundsException("injected in " + event);
    MsgBox("box of " + event);
  }
};

const ClassInfo& BoxWnd::ClassRecord() {
  static const ClassInfo record{.fullName = "BoxWnd.BoxWnd",
                                .base = &Window::ClassRecord(),
                                .factory = [] { return std::make_shared<BoxWnd>(); },
                                .events = {
                                    {Window::kActivate, MakeEventEntry(&BoxWnd::Event_Activate)},
                                    {Window::kCreateControls, MakeEventEntry(&BoxWnd::CreateControls)},
                                    {Window::kDeactivate, MakeEventEntry(&BoxWnd::Event_Deactivate)},
                                    {Window::kKeyDown, MakeEventEntry(&BoxWnd::Event_KeyDown)},
                                    {Window::kLayout, MakeEventEntry(&BoxWnd::Layout)},
                                }};
  return RuntimeRegisterClass(record);
}

void SendToWindow(QWidget* widget, QEvent::Type type) {
  QEvent event(type);
  QApplication::sendEvent(widget, &event);
}

// A message box as the real one behaves for what matters here: a nested event loop that runs until the box is
// dismissed, here once the timer has closed the window and the loop has handled what was posted until then (or
// a guard gives up).
void PresentInNestedLoop(const std::string& text) {
  box.boxes.push_back(text);
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!box.closedByTimer) return;
    poll.stop();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  poll.start(1);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
}

class NestedLoop : public ::testing::Test {
 protected:
  void SetUp() override { SetMessagePresenterForTesting(&PresentInNestedLoop); }
  void TearDown() override {
    testing_support::CloseAllWindows();
    SetMessagePresenterForTesting({});
    RuntimeResetForTesting();
    box = BoxScript{};
  }
};

// Qt runs a deferred delete posted inside a nested loop as soon as that loop gets control back, so the window's
// widget would go while the handler that showed the box (and Qt's code around it) is still on the stack:
// AddressSanitizer reports the use after free.
TEST_F(NestedLoop, ATimerMayCloseTheWindowWhileItsHandlersMessageBoxIsUp) {
  using Cause = void (*)(const Ref<Window>&);
  const std::pair<const char*, Cause> events[] = {
      {"Activate", [](const Ref<Window>& w) { SendToWindow(WidgetOf(w), QEvent::WindowActivate); }},
      {"Deactivate", [](const Ref<Window>& w) { SendToWindow(WidgetOf(w), QEvent::WindowDeactivate); }},
      {"KeyDown", [](const Ref<Window>& w) { QTest::keyClick(WidgetOf(w), Qt::Key_B); }},
      {"Go Action",
       [](const Ref<Window>& w) {
         QTest::mouseClick(WidgetOf(std::static_pointer_cast<Control>(w->ControlByName_("Go"))), Qt::LeftButton);
       }},
  };
  const std::pair<Doing, const char*> doings[] = {{Doing::kMessage, "shows a message box"}, {Doing::kFail, "fails"}};
  for (const auto& [event, cause] : events) {
    for (const auto& [doing, what] : doings) {
      SCOPED_TRACE(std::string(event) + " handler " + what);
      box = BoxScript{};
      box.event = event;
      box.doing = doing;
      std::weak_ptr<Window> window;
      QPointer<QWidget> top;
      {
        Ref<BoxWnd> built = RuntimeNewObject<BoxWnd>();
        built->Constructor();
        ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(built)));
        window = built;
        top = WidgetOf(built);
        box.armed = true;
        cause(built);
      }
      EXPECT_TRUE(box.acted);
      EXPECT_TRUE(box.closedByTimer);
      ASSERT_EQ(box.boxes.size(), 1u);
      EXPECT_NE(box.boxes[0].find(doing == Doing::kFail ? "OutOfBoundsException" : "box of"), std::string::npos)
          << box.boxes[0];
      EXPECT_TRUE(WaitFor([&] { return top.isNull() && window.expired(); }));
      EXPECT_TRUE(RuntimeLiveWindows().empty());
      RuntimeResetForTesting();
    }
  }
}

// A window's widgets are made as soon as a property is set; dropping the last reference to such a window on
// another thread hands their deletion to the GUI thread, where Qt lets them go.
TEST(ReleaseOnAnotherThread, AWindowsWidgetsAreDeletedOnTheGuiThread) {
  static std::vector<std::string> warnings;
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& m) { warnings.push_back(m.toStdString()); });
  Ref<Window> window = RuntimeNewObject<Window>();
  window->SetProperty("Width", int64_t{200});
  window->SetProperty("Visible", true);
  QPointer<QWidget> top = WidgetOf(window);
  ASSERT_FALSE(top.isNull());
  const QThread* destroyedOn = nullptr;
  QObject::connect(top, &QObject::destroyed, [&destroyedOn] { destroyedOn = QThread::currentThread(); });
  std::thread([held = std::move(window)]() mutable { held.reset(); }).join();
  EXPECT_TRUE(WaitFor([&] { return top.isNull(); }));
  EXPECT_EQ(destroyedOn, qApp->thread());
  qInstallMessageHandler(previous);
  EXPECT_EQ(warnings, std::vector<std::string>{});
}

}  // namespace
