// Windows on real Qt widgets: the building order, the live windows, geometry and frame read back from Qt, the
// events a user causes (activate, close, key, click) arriving from real Qt events, the control registry, the tab
// order, the thread guard, and a failed construction leaving nothing live.
#include "framework/window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <limits>
#include <map>
#include <optional>
#include <thread>

#include "framework/controls.h"
#include "framework/menu.h"
#include "framework/property_list.h"
#include "framework/runtime.h"
#include "tests/support/gui_test_support.h"

using testing_support::ContentOf;
using testing_support::WaitFor;
using testing_support::WidgetOf;

namespace {

// What a test window does while it is built, and what its handlers saw.
struct Script {
  PropertyList list;
  std::string failIn;    // the event whose handler raises
  Ref<MenuBar> menuBar;  // installed by Layout before the list, as the calculator window does
  std::vector<std::string> log;
  std::vector<std::string> keys;
  std::vector<QPoint> clicks;
  Ref<Window> menuHandlersFor;
};
Script script;

void Rehearse(PropertyList list, std::string failIn = "", Ref<MenuBar> menuBar = nullptr) {
  script = Script{};
  script.list = std::move(list);
  script.failIn = std::move(failIn);
  script.menuBar = std::move(menuBar);
}

class LogWnd : public Window {
 public:
  static constexpr const char* kFullName = "LogWnd.LogWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout() {
    Note("Layout");
    if (script.menuBar) MenuBar(script.menuBar);
    RuntimeMassPropertySetter(shared_from_this(), script.list.Bytes());
  }
  // Registered out of tab order on purpose.
  void CreateControls() {
    Note("CreateControls");
    Add<Label>("Caption", {{"Left", Integer(10)},
                           {"Top", Integer(10)},
                           {"Width", Integer(80)},
                           {"Height", Integer(20)},
                           {"TabIndex", Integer(2)},
                           {"Value", Text("p values")}});
    Add<TextArea>("Field", {{"Left", Integer(10)},
                            {"Top", Integer(40)},
                            {"Width", Integer(100)},
                            {"Height", Integer(40)},
                            {"TabIndex", Integer(0)}});
    Add<PushButton>("Go", {{"Left", Integer(120)},
                           {"Top", Integer(40)},
                           {"Width", Integer(60)},
                           {"Height", Integer(24)},
                           {"TabIndex", Integer(1)},
                           {"Caption", Text("Go")}});
  }
  void AddMenuHandlers(const Ref<Window>& window) {
    Note("AddMenuHandlers");
    script.menuHandlersFor = window;
  }
  void Event_Open() {
    Note(std::string("Open") + (ControlByName_("Field") ? " with controls" : " without controls") +
         (IsVisible() ? " shown" : " hidden"));
  }
  void Event_Activate() { Note("Activate"); }
  void Event_Close() { Note("Close"); }
  bool Event_KeyDown(const std::string& key) {
    script.keys.push_back(key);
    return false;
  }
  bool Event_MouseDown(int64_t x, int64_t y) {
    script.clicks.emplace_back(static_cast<int>(x), static_cast<int>(y));
    return false;
  }

 private:
  void Note(const std::string& what) {
    script.log.push_back(what);
    if (what == script.failIn) throw OutOfBoundsException("injected in " + what);
  }
  template <class C>
  void Add(const std::string& name, std::initializer_list<PropertyEntry> entries) {
    Ref<Object> control = New_(C::ClassRecord());
    static_cast<Control&>(*control).Constructor();
    AddControl_(name, control);
    RuntimeMassPropertySetter(control, PropertyList(entries).Bytes());
  }
};

const ClassInfo& LogWnd::ClassRecord() {
  static const ClassInfo record{.fullName = kFullName,
                                .base = &Window::ClassRecord(),
                                .factory = [] { return std::make_shared<LogWnd>(); },
                                .events = {
                                    {Window::kActivate, MakeEventEntry(&LogWnd::Event_Activate)},
                                    {Window::kAddMenuHandlers, MakeEventEntry(&LogWnd::AddMenuHandlers)},
                                    {Window::kClose, MakeEventEntry(&LogWnd::Event_Close)},
                                    {Window::kCreateControls, MakeEventEntry(&LogWnd::CreateControls)},
                                    {Window::kKeyDown, MakeEventEntry(&LogWnd::Event_KeyDown)},
                                    {Window::kLayout, MakeEventEntry(&LogWnd::Layout)},
                                    {Window::kMouseDown, MakeEventEntry(&LogWnd::Event_MouseDown)},
                                    {Window::kOpen, MakeEventEntry(&LogWnd::Event_Open)},
                                }};
  return RuntimeRegisterClass(record);
}

PropertyList WindowList(int64_t width, int64_t height, std::initializer_list<PropertyEntry> more = {}) {
  std::string bytes = PropertyList{{"Width", Integer(width)}, {"Height", Integer(height)}}.Bytes();
  return PropertyList(bytes + PropertyList(more).Bytes());
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Rehearse(WindowList(320, 200, {{"Visible", Boolean(true)}})); }
  void TearDown() override {
    testing_support::CloseAllWindows();
    script = Script{};
    EXPECT_TRUE(recorder_.Messages().empty()) << "a handler failed: " << recorder_.Messages().front();
  }

  static Ref<LogWnd> Build() {
    Ref<LogWnd> window = RuntimeNewObject<LogWnd>();
    window->Constructor();
    return window;
  }
  static Ref<LogWnd> BuildActive() {
    Ref<LogWnd> window = Build();
    EXPECT_TRUE(QTest::qWaitForWindowActive(WidgetOf(window)));
    return window;
  }
  static QWidget* ControlWidget(const Ref<Window>& window, const std::string& name) {
    return WidgetOf(std::static_pointer_cast<Control>(window->ControlByName_(name)));
  }

  testing_support::MessageRecorder recorder_;
};

TEST_F(WindowTest, BuildsLayoutFirstThenControlsHandlersOpenAndShowsWhenVisible) {
  for (bool visible : {true, false}) {
    SCOPED_TRACE(visible ? "Visible true" : "Visible false");
    Rehearse(WindowList(320, 200, {{"Visible", Boolean(visible)}}));
    Ref<LogWnd> window = Build();
    EXPECT_EQ(script.log,
              (std::vector<std::string>{"Layout", "CreateControls", "AddMenuHandlers", "Open with controls hidden"}));
    EXPECT_EQ(script.menuHandlersFor, window);
    EXPECT_EQ(window->IsVisible(), visible);
    EXPECT_TRUE(window->IsLive());
    EXPECT_EQ(GetImplicitWindow_(LogWnd::kFullName), window);
    EXPECT_EQ(window->ControlNames(), (std::vector<std::string>{"Caption", "Field", "Go"}));
    window->Close();
  }
}

TEST_F(WindowTest, HiddenWindowStaysLiveAndShowsAgain) {
  Ref<LogWnd> window = Build();
  window->Hide();
  EXPECT_FALSE(window->IsVisible());
  EXPECT_EQ(GetImplicitWindow_(LogWnd::kFullName), window);
  window->Show();
  EXPECT_TRUE(window->IsVisible());
  EXPECT_EQ(RuntimeLiveWindows(), (std::vector<Ref<Window>>{window}));
}

TEST_F(WindowTest, GeometryTitleAndFrameReadBackFromQt) {
  struct Row {
    const char* name;
    std::initializer_list<PropertyEntry> entries;
    bool withMenuBar;
    Qt::WindowType type;
    bool fixed, close, minimize, maximize;
  };
  const Row rows[] = {
      {"fixed document window without minimize and maximize buttons",
       {{"Type", Enumeration(0)},
        {"Title", Text("Holm's procedure")},
        {"HasCloseButton", Boolean(true)},
        {"HasMinimizeButton", Boolean(false)},
        {"HasMaximizeButton", Boolean(false)},
        {"Resizeable", Boolean(false)}},
       false,
       Qt::Window,
       true,
       true,
       false,
       false},
      {"resizeable dialog-style frame with every button",
       {{"Type", Enumeration(2)},
        {"Title", Text("")},
        {"MinimumWidth", Integer(64)},
        {"MinimumHeight", Integer(64)},
        {"MaximumWidth", Integer(32000)},
        {"MaximumHeight", Integer(32000)},
        {"HasCloseButton", Boolean(true)},
        {"HasMinimizeButton", Boolean(true)},
        {"HasMaximizeButton", Boolean(true)},
        {"Resizeable", Boolean(true)}},
       false,
       Qt::Dialog,
       false,
       true,
       true,
       true},
      {"fixed window with a menu bar above its content",
       {{"Type", Enumeration(0)}, {"Title", Text("Menus")}, {"Resizeable", Boolean(false)}},
       true,
       Qt::Window,
       true,
       true,
       true,
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Ref<MenuBar> bar;
    if (row.withMenuBar) {
      bar = RuntimeNewObject<MenuBar>();
      auto edit = RuntimeNewObject<MenuItem>();
      edit->Name("EditMenu");
      edit->Text("&Edit");
      auto item = RuntimeNewObject<MenuItem>();
      item->Name("EditCopy");
      item->Text("&Copy");
      edit->AddMenu(item);
      bar->AddMenu(edit);
    }
    Rehearse(WindowList(300, 150, row.entries), "", bar);
    Ref<LogWnd> window = Build();
    QWidget* top = WidgetOf(window);
    QWidget* content = ContentOf(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    auto* menuBar = top->findChild<QMenuBar*>();
    const int barHeight = row.withMenuBar ? menuBar->height() : 0;
    EXPECT_EQ(menuBar != nullptr, row.withMenuBar);
    if (row.withMenuBar) {
      EXPECT_GT(barHeight, 0);
    }
    EXPECT_EQ(content->size(), QSize(300, 150));
    EXPECT_EQ(content->y(), barHeight);
    EXPECT_EQ(top->size(), QSize(300, 150 + barHeight));
    // An empty title goes to Qt as one space, which the frame shows as nothing (Qt would show the program's name).
    EXPECT_EQ(top->windowTitle().toStdString(),
              window->TextProperty("Title").empty() ? " " : window->TextProperty("Title"));
    const Qt::WindowFlags flags = top->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, row.type);
    EXPECT_EQ(top->minimumSize() == top->maximumSize(), row.fixed);
    if (!row.fixed) {
      EXPECT_EQ(top->minimumSize(), QSize(64, 64));
    }
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), row.close);
    EXPECT_EQ(flags.testFlag(Qt::WindowMinimizeButtonHint), row.minimize);
    EXPECT_EQ(flags.testFlag(Qt::WindowMaximizeButtonHint), row.maximize);
    if (row.withMenuBar) {
      window->SetProperty("MenuBarVisible", false);
      EXPECT_TRUE(menuBar->isHidden());
      EXPECT_TRUE(WaitFor([&] { return content->geometry() == QRect(0, 0, 300, 150); })) << content->y();
    }
    window->Close();
  }
}

// The menu bar's height is added to the list's limits; the largest limit a list can hold must not wrap around.
TEST_F(WindowTest, LimitsBeyondQtsLargestSizeStayTheLargestSizeBelowAMenuBar) {
  auto bar = RuntimeNewObject<MenuBar>();
  auto edit = RuntimeNewObject<MenuItem>();
  edit->Name("EditMenu");
  edit->Text("&Edit");
  bar->AddMenu(edit);
  constexpr int64_t kLargest = std::numeric_limits<int64_t>::max();
  Rehearse(
      WindowList(
          300, 150,
          {{"Resizeable", Boolean(true)}, {"MaximumWidth", Integer(kLargest)}, {"MaximumHeight", Integer(kLargest)}}),
      "", bar);
  Ref<LogWnd> window = Build();
  QWidget* top = WidgetOf(window);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
  EXPECT_EQ(top->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  EXPECT_EQ(ContentOf(window)->size(), QSize(300, 150));
}

TEST_F(WindowTest, BackgroundColourIsPaintedBehindTheControls) {
  for (bool painted : {true, false}) {
    SCOPED_TRACE(painted ? "HasBackgroundColor true" : "HasBackgroundColor false");
    script.list =
        WindowList(320, 200, {{"HasBackgroundColor", Boolean(painted)}, {"BackgroundColor", Colour(0x187534)}});
    Ref<LogWnd> window = Build();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(window)));
    const QImage picture = ContentOf(window)->grab().toImage();
    EXPECT_EQ(picture.pixelColor(300, 190) == QColor(0x18, 0x75, 0x34), painted);
    window->Close();
  }
}

TEST_F(WindowTest, ActivateArrivesWhenTheWindowBecomesActive) {
  Ref<LogWnd> window = BuildActive();
  EXPECT_TRUE(WaitFor([] { return script.log.back() == "Activate"; }));
}

TEST_F(WindowTest, KeysTheWindowReceivesReachKeyDownAsTexts) {
  struct Row {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"printable character", Qt::Key_A, Qt::NoModifier, "a"},
      {"escape as character 27", Qt::Key_Escape, Qt::NoModifier, "\x1b"},
      {"down arrow as character 31", Qt::Key_Down, Qt::NoModifier, "\x1f"},
      {"function key raises nothing", Qt::Key_F2, Qt::NoModifier, std::nullopt},
      {"control combination raises nothing", Qt::Key_K, Qt::ControlModifier, std::nullopt},
  };
  Ref<LogWnd> window = BuildActive();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    script.keys.clear();
    // The label takes no keys, so they go on to the window.
    QTest::keyClick(ControlWidget(window, "Caption"), row.key, row.modifiers);
    EXPECT_EQ(script.keys, row.expected ? std::vector<std::string>{*row.expected} : std::vector<std::string>{});
  }
}

TEST_F(WindowTest, PressesOnTheContentOrOnControlsThatIgnoreThemReachMouseDown) {
  Ref<LogWnd> window = BuildActive();
  QTest::mouseClick(ContentOf(window), Qt::LeftButton, {}, QPoint(250, 150));
  QTest::mouseClick(ControlWidget(window, "Caption"), Qt::LeftButton, {}, QPoint(3, 4));
  QTest::mouseClick(ControlWidget(window, "Go"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(script.clicks, (std::vector<QPoint>{{250, 150}, {13, 14}}));
}

TEST_F(WindowTest, ClosingByTheCloseButtonRunsCloseAndReleasesTheWindow) {
  Ref<LogWnd> window = BuildActive();
  QPointer<QWidget> top = WidgetOf(window);
  Ref<Object> field = window->ControlByName_("Field");
  std::weak_ptr<Object> fieldGone = field;
  field.reset();
  ASSERT_TRUE(top->close());
  EXPECT_EQ(script.log.back(), "Close");
  EXPECT_FALSE(window->IsLive());
  EXPECT_EQ(GetImplicitWindow_(LogWnd::kFullName), nullptr);
  EXPECT_EQ(window->ControlByName_("Field"), nullptr);
  EXPECT_TRUE(fieldGone.expired());
  EXPECT_TRUE(WaitFor([&] { return top.isNull(); }));
  // A second close and a destroyed widget are both harmless.
  window->Close();
  EXPECT_EQ(std::count(script.log.begin(), script.log.end(), "Close"), 1);
  window.reset();
}

TEST_F(WindowTest, DestroyingAWindowDeletesItsWidgetWhetherBuiltOrNot) {
  Ref<LogWnd> unbuilt = RuntimeNewObject<LogWnd>();
  EXPECT_EQ(WidgetOf(unbuilt), nullptr) << "asking for the widget makes none";
  // A setting applied before the window is built makes its Qt side.
  unbuilt->SetProperty("Title", std::string("Unbuilt"));
  QPointer<QWidget> widget = WidgetOf(unbuilt);
  ASSERT_FALSE(widget.isNull());
  unbuilt.reset();
  EXPECT_TRUE(widget.isNull());
}

TEST_F(WindowTest, ControlRegistryRefusesWhatItCannotHold) {
  Ref<LogWnd> window = Build();
  EXPECT_THROW(window->New_(MenuItem::ClassRecord()), IllegalCastException);
  EXPECT_THROW(window->AddControl_("Field", window->New_(Label::ClassRecord())), OutOfBoundsException);
  EXPECT_EQ(window->ControlByName_("Missing"), nullptr);
  EXPECT_EQ(std::static_pointer_cast<Control>(window->ControlByName_("Go"))->OwnerWindow(), window);
}

// The label takes no focus and so has no place in the order.
TEST_F(WindowTest, TabMovesTheFocusByTabIndexNotByRegistration) {
  struct Step {
    Qt::Key key;
    const char* focused;
  };
  const Step steps[] = {
      {Qt::Key_Tab, "Field"}, {Qt::Key_Tab, "Go"}, {Qt::Key_Backtab, "Field"}, {Qt::Key_Backtab, "Go"}};
  Ref<LogWnd> window = BuildActive();
  ControlWidget(window, "Go")->setFocus();
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.key == Qt::Key_Tab ? "Tab to " : "Backtab to ") + step.focused);
    QTest::keyClick(QApplication::focusWidget(), step.key);
    EXPECT_EQ(QApplication::focusWidget(), ControlWidget(window, step.focused));
  }
}

TEST_F(WindowTest, OperationsFromAnotherThreadRaiseThreadAccessingUIException) {
  Ref<LogWnd> window = Build();
  const std::pair<const char*, std::function<void()>> operations[] = {
      {"Show", [&] { window->Show(); }},
      {"Hide", [&] { window->Hide(); }},
      {"Close", [&] { window->Close(); }},
      {"ControlByName", [&] { window->ControlByName_("Field"); }},
      {"New", [&] { window->New_(Label::ClassRecord()); }},
      {"GetImplicitWindow", [] { GetImplicitWindow_(LogWnd::kFullName); }},
      {"Constructor", [] { RuntimeNewObject<LogWnd>()->Constructor(); }},
  };
  // Rows by name, not by structured binding: clang before 16 cannot capture a binding in a lambda.
  for (const auto& row : operations) {
    SCOPED_TRACE(row.first);
    bool refused = false;
    std::thread([&] {
      try {
        row.second();
      } catch (const ThreadAccessingUIException&) {
        refused = true;
      }
    }).join();
    EXPECT_TRUE(refused);
  }
  EXPECT_TRUE(window->IsLive());
}

TEST_F(WindowTest, FailedConstructionLeavesNoLiveWindowAndPassesOut) {
  for (const char* failIn : {"Layout", "CreateControls", "AddMenuHandlers", "Open with controls hidden"}) {
    SCOPED_TRACE(failIn);
    Rehearse(WindowList(320, 200, {{"Visible", Boolean(true)}}), failIn);
    const int64_t before = LiveObjectCount();
    Ref<LogWnd> window = RuntimeNewObject<LogWnd>();
    QPointer<QWidget> widget = WidgetOf(window);
    EXPECT_THROW(window->Constructor(), OutOfBoundsException);
    EXPECT_EQ(script.log.back(), failIn);
    EXPECT_FALSE(window->IsLive());
    EXPECT_EQ(GetImplicitWindow_(LogWnd::kFullName), nullptr);
    EXPECT_TRUE(RuntimeLiveWindows().empty());
    EXPECT_EQ(window->ControlByName_("Caption"), nullptr);
    EXPECT_TRUE(widget.isNull());
    window.reset();
    script.menuHandlersFor.reset();
    EXPECT_EQ(LiveObjectCount(), before);
  }
}

}  // namespace

namespace {

// What a handler of DeedWnd does when the event it is set for arrives.
enum class Deed { kNothing, kClose, kHide, kRelease };

// The controls are registered, except for kRelease, where the test holds them instead and the handler drops that
// last reference; the window itself is held only by the framework.
struct DeedScript {
  std::string event;  // "Field KeyDown", "Go Action", or a window event's name
  Deed deed = Deed::kClose;
  bool armed = false;  // events while the window is built and shown are not the ones under test
  int fired = 0;
  std::map<std::string, Ref<Object>> held;
  std::vector<std::string> log;  // every window event that arrived once armed, with its arguments
  bool keepOpen = false;         // CancelClose's answer
};
DeedScript deeds;

class DeedWnd : public Window {
 public:
  static constexpr const char* kFullName = "DeedWnd.DeedWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout() { RuntimeMassPropertySetter(shared_from_this(), WindowList(320, 200).Bytes()); }
  void CreateControls() {
    Ref<DeedWnd> self = std::static_pointer_cast<DeedWnd>(shared_from_this());
    const auto box = [](int64_t left) {
      return PropertyList{
          {"Left", Integer(left)}, {"Top", Integer(10)}, {"Width", Integer(60)}, {"Height", Integer(30)}};
    };
    Add("Field", TextArea::ClassRecord(), box(10), TextArea::kKeyDown,
        RuntimeCreateDelegate(&DeedWnd::Field_KeyDown, self, "( TextArea, String ) as Boolean", 1));
    Add("Pad", Canvas::ClassRecord(), box(80), Canvas::kMouseDown,
        RuntimeCreateDelegate(&DeedWnd::Pad_MouseDown, self, "( Canvas, Integer, Integer ) as Boolean", 1));
    Add("Go", PushButton::ClassRecord(), box(150), PushButton::kAction,
        RuntimeCreateDelegate(&DeedWnd::Go_Action, self, "( PushButton )", 1));
    const bool ticking = deeds.event == "Tick Action";
    Add("Tick", Timer::ClassRecord(), PropertyList{{"Period", Integer(1)}, {"RunMode", Enumeration(ticking ? 2 : 0)}},
        Timer::kAction, RuntimeCreateDelegate(&DeedWnd::Tick_Action, self, "( Timer )", 1));
  }
  // The handlers let the key or press go on, so that Qt goes on with the object whose event it is.
  bool Field_KeyDown(const Ref<TextArea>&, const std::string&) { return Act("Field KeyDown", "Field"); }
  bool Pad_MouseDown(const Ref<Canvas>&, int64_t, int64_t) { return Act("Pad MouseDown", "Pad"); }
  void Go_Action(const Ref<PushButton>&) { Act("Go Action", "Go"); }
  void Tick_Action(const Ref<Timer>&) { Act("Tick Action", "Tick"); }
  void Event_Activate() { Act("Activate"); }
  void Event_Deactivate() { Act("Deactivate"); }
  bool Event_KeyDown(const std::string& key) { return Act("KeyDown", "", " " + key); }
  bool Event_KeyUp(const std::string& key) { return Act("KeyUp", "", " " + key); }
  bool Event_MouseDown(int64_t x, int64_t y) { return Act("MouseDown", "", At(x, y)); }
  bool Event_MouseUp(int64_t x, int64_t y) { return Act("MouseUp", "", At(x, y)); }
  void Event_Moved() { Act("Moved"); }
  void Event_Resized() { Act("Resized"); }
  void Event_Minimize() { Act("Minimize"); }
  void Event_Maximize() { Act("Maximize"); }
  void Event_Restore() { Act("Restore"); }
  bool Event_CancelClose() {
    Act("CancelClose");
    return deeds.keepOpen;
  }
  void Event_Close() { Act("Close"); }

 private:
  void Add(const std::string& name, const ClassInfo& cls, const PropertyList& list, int event,
           const Ref<Delegate>& handler) {
    Ref<Object> control = New_(cls);
    if (deeds.deed == Deed::kRelease) {
      deeds.held[name] = control;
    } else {
      AddControl_(name, control);
    }
    RuntimeMassPropertySetter(control, list.Bytes());
    RuntimeAddEventHandler(control, event, handler);
  }
  static std::string At(int64_t x, int64_t y) { return " " + std::to_string(x) + "," + std::to_string(y); }
  // Only the first arrival of the chosen event acts; a repeating timer may come again after a hide.
  bool Act(const std::string& event, const std::string& control = "", const std::string& arguments = "") {
    if (deeds.armed && control.empty()) deeds.log.push_back(event + arguments);
    if (!deeds.armed || event != deeds.event || deeds.fired++ > 0) return false;
    switch (deeds.deed) {
      case Deed::kNothing:
        break;
      case Deed::kClose:
        Close();
        break;
      case Deed::kHide:
        Hide();
        break;
      case Deed::kRelease:
        deeds.held.erase(control);
        break;
    }
    return false;
  }
};

const ClassInfo& DeedWnd::ClassRecord() {
  static const ClassInfo record{.fullName = kFullName,
                                .base = &Window::ClassRecord(),
                                .factory = [] { return std::make_shared<DeedWnd>(); },
                                .events = {
                                    {Window::kActivate, MakeEventEntry(&DeedWnd::Event_Activate)},
                                    {Window::kCancelClose, MakeEventEntry(&DeedWnd::Event_CancelClose)},
                                    {Window::kClose, MakeEventEntry(&DeedWnd::Event_Close)},
                                    {Window::kCreateControls, MakeEventEntry(&DeedWnd::CreateControls)},
                                    {Window::kDeactivate, MakeEventEntry(&DeedWnd::Event_Deactivate)},
                                    {Window::kKeyDown, MakeEventEntry(&DeedWnd::Event_KeyDown)},
                                    {Window::kKeyUp, MakeEventEntry(&DeedWnd::Event_KeyUp)},
                                    {Window::kLayout, MakeEventEntry(&DeedWnd::Layout)},
                                    {Window::kMaximize, MakeEventEntry(&DeedWnd::Event_Maximize)},
                                    {Window::kMinimize, MakeEventEntry(&DeedWnd::Event_Minimize)},
                                    {Window::kMouseDown, MakeEventEntry(&DeedWnd::Event_MouseDown)},
                                    {Window::kMouseUp, MakeEventEntry(&DeedWnd::Event_MouseUp)},
                                    {Window::kMoved, MakeEventEntry(&DeedWnd::Event_Moved)},
                                    {Window::kResized, MakeEventEntry(&DeedWnd::Event_Resized)},
                                    {Window::kRestore, MakeEventEntry(&DeedWnd::Event_Restore)},
                                }};
  return RuntimeRegisterClass(record);
}

QWidget* DeedControl(const Ref<Window>& window, const std::string& name) {
  Ref<Object> control = deeds.held.count(name) ? deeds.held[name] : window->ControlByName_(name);
  return WidgetOf(std::static_pointer_cast<Control>(control));
}

void SendToWindow(const Ref<Window>& window, QEvent::Type type) {
  QEvent event(type);
  QApplication::sendEvent(WidgetOf(window), &event);
}

// How a user (or the window system) causes each window event that Qt delivers. The window states are set as the
// window system sets them, without the show that QWidget::showMinimized adds.
const std::map<std::string, std::function<void(const Ref<Window>&)>> kWindowEventCauses = {
    {"Activate", [](const Ref<Window>& w) { SendToWindow(w, QEvent::WindowActivate); }},
    {"Deactivate", [](const Ref<Window>& w) { SendToWindow(w, QEvent::WindowDeactivate); }},
    {"KeyDown", [](const Ref<Window>& w) { QTest::keyClick(WidgetOf(w), Qt::Key_B); }},
    {"KeyUp", [](const Ref<Window>& w) { QTest::keyClick(WidgetOf(w), Qt::Key_B); }},
    {"MouseDown", [](const Ref<Window>& w) { QTest::mouseClick(ContentOf(w), Qt::LeftButton, {}, QPoint(250, 150)); }},
    {"MouseUp", [](const Ref<Window>& w) { QTest::mouseClick(ContentOf(w), Qt::LeftButton, {}, QPoint(250, 150)); }},
    {"Resized", [](const Ref<Window>& w) { WidgetOf(w)->resize(WidgetOf(w)->size() + QSize(40, 30)); }},
    {"Moved", [](const Ref<Window>& w) { WidgetOf(w)->move(WidgetOf(w)->pos() + QPoint(25, 15)); }},
    {"Minimize", [](const Ref<Window>& w) { WidgetOf(w)->setWindowState(Qt::WindowMinimized); }},
    {"Maximize", [](const Ref<Window>& w) { WidgetOf(w)->setWindowState(Qt::WindowMaximized); }},
    {"Restore",
     [](const Ref<Window>& w) {
       WidgetOf(w)->setWindowState(Qt::WindowMinimized);
       WidgetOf(w)->setWindowState(Qt::WindowNoState);
     }},
};

// A DeedWnd built for one event and deed, held only by the framework.
std::weak_ptr<Window> BuildDeedWnd(const std::string& event, Deed deed) {
  deeds = DeedScript{};
  deeds.event = event;
  deeds.deed = deed;
  Ref<DeedWnd> built = RuntimeNewObject<DeedWnd>();
  built->Constructor();
  EXPECT_TRUE(QTest::qWaitForWindowActive(WidgetOf(built)));
  return built;
}

// Every event the framework raises from Qt, crossed with what its handler may do to the window or the control
// whose event it is: nothing may be deleted before Qt has left that object's code (AddressSanitizer would see it).
TEST_F(WindowTest, AHandlerMayCloseOrHideItsWindowOrReleaseItsControl) {
  using Cause = std::function<void(const Ref<Window>&)>;
  std::vector<std::pair<std::string, Cause>> controlEvents = {
      {"Field KeyDown", [](const Ref<Window>& w) { QTest::keyClick(DeedControl(w, "Field"), Qt::Key_A); }},
      {"Pad MouseDown",
       [](const Ref<Window>& w) { QTest::mouseClick(DeedControl(w, "Pad"), Qt::LeftButton, {}, QPoint(3, 3)); }},
      {"Go Action", [](const Ref<Window>& w) { QTest::mouseClick(DeedControl(w, "Go"), Qt::LeftButton); }},
      {"Tick Action", [](const Ref<Window>&) {}},
  };
  const std::pair<Deed, const char*> doings[] = {
      {Deed::kClose, "closes the window"}, {Deed::kHide, "hides the window"}, {Deed::kRelease, "releases the control"}};
  auto events = controlEvents;
  events.insert(events.end(), kWindowEventCauses.begin(), kWindowEventCauses.end());
  for (const auto& [event, cause] : events) {
    const bool ofControl = event.find(' ') != std::string::npos;
    for (const auto& [deed, doing] : doings) {
      if (deed == Deed::kRelease && !ofControl) continue;
      SCOPED_TRACE(event + " " + doing);
      const std::weak_ptr<Window> window = BuildDeedWnd(event, deed);
      QPointer<QWidget> top = WidgetOf(window.lock());
      const std::string controlName = ofControl ? event.substr(0, event.find(' ')) : "";
      QPointer<QWidget> controlWidget =
          ofControl && controlName != "Tick" ? DeedControl(window.lock(), controlName) : nullptr;
      std::weak_ptr<Object> control = !ofControl               ? nullptr
                                      : deed == Deed::kRelease ? deeds.held[controlName]
                                                               : window.lock()->ControlByName_(controlName);
      deeds.armed = true;
      cause(window.lock());
      EXPECT_TRUE(WaitFor([] { return deeds.fired > 0; }));
      switch (deed) {
        case Deed::kClose:
          EXPECT_TRUE(WaitFor([&] { return top.isNull() && window.expired(); }));
          EXPECT_EQ(GetImplicitWindow_(DeedWnd::kFullName), nullptr);
          break;
        case Deed::kHide:
          ASSERT_FALSE(window.expired());
          EXPECT_TRUE(window.lock()->IsLive());
          EXPECT_FALSE(top->isVisible());
          break;
        case Deed::kRelease:
          EXPECT_TRUE(WaitFor([&] { return control.expired() && controlWidget.isNull(); }));
          EXPECT_TRUE(top->isVisible());
          break;
        case Deed::kNothing:
          break;
      }
      testing_support::CloseAllWindows();
      deeds = DeedScript{};
    }
  }
}

// The events raised besides those of building, activating, closing, a key press and a press, each from what Qt
// delivers for it; a key release and a mouse release come only for a press the window itself got.
TEST_F(WindowTest, EventsQtDeliversReachTheirEntries) {
  const std::pair<const char*, const char*> rows[] = {
      {"Deactivate", "Deactivate"}, {"KeyUp", "KeyUp b"},     {"MouseUp", "MouseUp 250,150"}, {"Resized", "Resized"},
      {"Moved", "Moved"},           {"Minimize", "Minimize"}, {"Maximize", "Maximize"},       {"Restore", "Restore"},
  };
  for (const auto& row : rows) {
    // Named copies, since clang 14 does not capture structured bindings in a lambda.
    const char* event = row.first;
    const std::string expected = row.second;
    SCOPED_TRACE(event);
    const std::weak_ptr<Window> window = BuildDeedWnd(event, Deed::kNothing);
    deeds.armed = true;
    kWindowEventCauses.at(event)(window.lock());
    EXPECT_TRUE(WaitFor([&] { return std::count(deeds.log.begin(), deeds.log.end(), expected) == 1; }))
        << testing::PrintToString(deeds.log);
    testing_support::CloseAllWindows();
  }

  // A release whose press went to a control is not the window's.
  const std::weak_ptr<Window> window = BuildDeedWnd("", Deed::kNothing);
  deeds.armed = true;
  QTest::keyClick(DeedControl(window.lock(), "Field"), Qt::Key_C);
  QTest::mouseClick(DeedControl(window.lock(), "Go"), Qt::LeftButton);
  EXPECT_EQ(deeds.log, std::vector<std::string>{});
}

TEST_F(WindowTest, CancelCloseTrueKeepsTheWindowOpen) {
  const std::weak_ptr<Window> window = BuildDeedWnd("", Deed::kNothing);
  QPointer<QWidget> top = WidgetOf(window.lock());
  deeds.armed = true;
  deeds.keepOpen = true;
  EXPECT_FALSE(top->close()) << "the close button";
  window.lock()->Close();
  EXPECT_EQ(deeds.log, (std::vector<std::string>{"CancelClose", "CancelClose"}));
  ASSERT_FALSE(window.expired());
  EXPECT_TRUE(window.lock()->IsLive());
  EXPECT_TRUE(top->isVisible());
  EXPECT_EQ(GetImplicitWindow_(DeedWnd::kFullName), window.lock());

  deeds.keepOpen = false;
  EXPECT_TRUE(top->close());
  EXPECT_EQ(deeds.log, (std::vector<std::string>{"CancelClose", "CancelClose", "CancelClose", "Close"}));
  EXPECT_EQ(GetImplicitWindow_(DeedWnd::kFullName), nullptr);
}

// A handler in an entry the framework never raises would silently never run.
TEST(WindowClasses, AnEntryForAnEventNeverRaisedIsRefusedAtRegistration) {
  struct Row {
    const char* name;
    const ClassInfo& (*record)();
    const char* mentions;
  };
  const Row rows[] = {
      {"Paint on a window class",
       []() -> const ClassInfo& {
         static const ClassInfo record{.fullName = "PaintWnd.PaintWnd",
                                       .base = &Window::ClassRecord(),
                                       .events = {{Window::kOpen, [](Object&, EventArgs&) { return false; }},
                                                  {Window::kPaint, [](Object&, EventArgs&) { return false; }}}};
         return record;
       },
       "Paint"},
      {"Resizing on a class derived from a window class",
       []() -> const ClassInfo& {
         static const ClassInfo record{.fullName = "ResizingWnd.ResizingWnd",
                                       .base = &DeedWnd::ClassRecord(),
                                       .events = {{Window::kResizing, [](Object&, EventArgs&) { return false; }}}};
         return record;
       },
       "Resizing"},
      {"a number past the event table",
       []() -> const ClassInfo& {
         static const ClassInfo record{.fullName = "PastWnd.PastWnd",
                                       .base = &Window::ClassRecord(),
                                       .events = {{40, [](Object&, EventArgs&) { return false; }}}};
         return record;
       },
       "(40)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ClassInfo& record = row.record();
    for (int attempt = 0; attempt < 2; ++attempt) testing_support::ExpectRefusedAtRegistration(record, row.mentions);
    EXPECT_EQ(RuntimeFindClass(record.fullName), nullptr);
  }
}

}  // namespace

namespace {

// Every Moved and Resized a PlaceWnd gets, from the moment it is built.
struct Placements {
  PropertyList list;
  Ref<MenuBar> menuBar;
  std::vector<std::string> log;
};
Placements placements;

class PlaceWnd : public Window {
 public:
  static constexpr const char* kFullName = "PlaceWnd.PlaceWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout() {
    if (placements.menuBar) MenuBar(placements.menuBar);
    RuntimeMassPropertySetter(shared_from_this(), placements.list.Bytes());
  }
  void Event_Moved() { placements.log.push_back("Moved"); }
  void Event_Resized() { placements.log.push_back("Resized"); }
};

const ClassInfo& PlaceWnd::ClassRecord() {
  static const ClassInfo record{.fullName = kFullName,
                                .base = &Window::ClassRecord(),
                                .factory = [] { return std::make_shared<PlaceWnd>(); },
                                .events = {
                                    {Window::kLayout, MakeEventEntry(&PlaceWnd::Layout)},
                                    {Window::kMoved, MakeEventEntry(&PlaceWnd::Event_Moved)},
                                    {Window::kResized, MakeEventEntry(&PlaceWnd::Event_Resized)},
                                }};
  return RuntimeRegisterClass(record);
}

// Qt hands a window its first position and size as a move and a resize while it is shown; neither is the user's.
// Only what comes after them is raised, once each.
TEST(WindowPlacement, MovedAndResizedComeOnlyAfterTheFirstPositionAndSize) {
  struct Row {
    const char* name;
    bool visible;  // shown while it is built; otherwise by Show afterwards
    bool withMenuBar;
    bool resizeable;
  };
  const Row rows[] = {
      {"shown while it is built", true, false, true},
      {"shown after it is built", false, false, true},
      {"with a menu bar, whose height is only final once shown", true, true, true},
      {"of a fixed size", true, false, false},
  };
  testing_support::MessageRecorder recorder;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    placements = Placements{};
    placements.list =
        WindowList(320, 200, {{"Visible", Boolean(row.visible)}, {"Resizeable", Boolean(row.resizeable)}});
    if (row.withMenuBar) {
      placements.menuBar = RuntimeNewObject<MenuBar>();
      auto file = RuntimeNewObject<MenuItem>();
      file->Name("FileMenu");
      file->Text("&File");
      placements.menuBar->AddMenu(file);
    }
    Ref<PlaceWnd> window = RuntimeNewObject<PlaceWnd>();
    window->Constructor();
    if (!row.visible) window->Show();
    QWidget* top = WidgetOf(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
    // Shown again where it was, it has not moved either.
    window->Hide();
    window->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));

    // Qt delivers in order: once the move and the resize below have arrived, so has whatever came before them.
    top->move(top->pos() + QPoint(25, 15));
    EXPECT_TRUE(WaitFor([] { return !placements.log.empty(); }));
    if (row.resizeable) {
      top->resize(top->size() + QSize(40, 30));
      EXPECT_TRUE(WaitFor([] { return placements.log.size() > 1; }));
    }
    const std::vector<std::string> after =
        row.resizeable ? std::vector<std::string>{"Moved", "Resized"} : std::vector<std::string>{"Moved"};
    EXPECT_EQ(placements.log, after);
    window->Close();
  }
  placements = Placements{};
  testing_support::FlushDeferredDeletes();
  EXPECT_EQ(recorder.Messages(), std::vector<std::string>{});
}

}  // namespace
