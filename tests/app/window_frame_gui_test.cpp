// The window frame through a small window class of the test's own: the class accessor, the creation steps driven
// by a control table, control accessors, the event query, the window-owned timer's weak owner, a failed build,
// and building and closing a window many times without growth.
#include "app/window_frame.h"
#include "framework/internal/native.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <array>

#include "tests/support/gui_test_support.h"

using testing_support::WidgetOf;

namespace {

std::vector<std::string> trail;
bool failInEntryList = false;
bool closeInOpen = false;
bool buildFromShortTable = false;

class TestWnd;

bool IsRegistered(const char* name) {
  Ref<Window> window = GetImplicitWindow_("TestWnd.TestWnd");
  return window && window->ControlByName_(name);
}

// A text area that reports what happens while its own list is applied.
class ProbeArea : public TextArea {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "TestWnd.ProbeArea", .base = &TextArea::ClassRecord(), .factory = [] {
                                    return std::make_shared<ProbeArea>();
                                  }};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  void Constructor() override {
    trail.push_back(std::string("Entry constructed, registered ") + (IsRegistered("Entry") ? "already" : "not yet"));
  }

 protected:
  void PropertyChanged(const std::string& name) override {
    TextArea::PropertyChanged(name);
    if (name != "Value") return;
    if (failInEntryList) throw UnsupportedFormatException("injected in Entry's list");
    EventArgs args;
    args.key = "k";
    trail.push_back(std::string("Entry KeyDown during its list ") +
                    (FireEvent(kKeyDown, args) ? "handled" : "unhandled"));
  }
};

class TestWnd_wrapper_Tick : public WindowOwnedTimer {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "TestWnd._wrapper_Tick",
                                  .base = &WindowOwnedTimer::ClassRecord(),
                                  .factory = [] { return std::make_shared<TestWnd_wrapper_Tick>(); }};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  void Constructor() override { trail.push_back("Tick constructed"); }
};

Ref<Picture> BoardPicture() {
  Ref<Window> window = GetImplicitWindow_("TestWnd.TestWnd");
  Ref<Object> board = window ? window->ControlByName_("Board") : nullptr;
  trail.push_back(std::string("Board backdrop, list ") + (board && board->GetProperty("Name") ? "applied" : "not yet"));
  return nullptr;
}

const PropertyList kWindowList = {
    {"Width", Integer(240)}, {"Height", Integer(160)},       {"Type", Enumeration(0)},
    {"Title", Text("Test")}, {"Resizeable", Boolean(false)}, {"Visible", Boolean(true)},
};
const PropertyList kCaptionList = {{"Name", Text("Caption")}, {"Left", Integer(10)},   {"Top", Integer(10)},
                                   {"Width", Integer(100)},   {"Height", Integer(20)}, {"Value", Text("Holm")}};
const PropertyList kBoardList = {{"Name", Text("Board")},
                                 {"Left", Integer(120)},
                                 {"Top", Integer(10)},
                                 {"Width", Integer(48)},
                                 {"Height", Integer(48)}};
const PropertyList kEntryList = {{"Name", Text("Entry")}, {"Left", Integer(10)},   {"Top", Integer(70)},
                                 {"Width", Integer(200)}, {"Height", Integer(60)}, {"Value", Text("")}};
const PropertyList kTickList = {{"RunMode", Enumeration(0)}, {"Period", Integer(1000)}};

class TestWnd : public WindowFrame<TestWnd> {
 public:
  static constexpr const char* kFullName = "TestWnd.TestWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout() {
    trail.push_back("Layout");
    SetProperties_(shared_from_this(), kWindowList);
  }
  void CreateControls() {
    trail.push_back("CreateControls");
    CreateControls0_();
  }
  void CreateControls0_();
  void Event_Open() {
    trail.push_back("Open");
    if (closeInOpen) Close();
  }

  Ref<Label> Caption() const { return ControlAs<Label>("Caption"); }
  Ref<Canvas> Board() const { return ControlAs<Canvas>("Board"); }
  Ref<TextArea> Entry() const { return ControlAs<TextArea>("Entry"); }
  Ref<Timer> Tick() const { return ControlAs<Timer>("Tick"); }
  Ref<Label> Missing() const { return ControlAs<Label>("Missing"); }

  // Drops "x", lets every other key through.
  bool Entry_KeyDown(const Ref<TextArea>&, const std::string& key) {
    trail.push_back("Entry_KeyDown " + key);
    return key == "x";
  }
};

const std::array<ControlSpec<TestWnd>, 4> kControls = {{
    {"Caption", &Label::ClassRecord, &kCaptionList, nullptr, {}},
    {"Board", &Canvas::ClassRecord, &kBoardList, &BoardPicture, {}},
    {"Entry", &ProbeArea::ClassRecord, &kEntryList, nullptr,
     Bind(TextArea::kKeyDown, "( TextArea, String ) as Boolean", &TestWnd::Entry_KeyDown), &TextArea::ClassRecord},
    {"Tick", &TestWnd_wrapper_Tick::ClassRecord, &kTickList, nullptr, {}, &Timer::ClassRecord},
}};

// Declared with one row more than it was given, as a window whose table lost a row would be.
const std::array<ControlSpec<TestWnd>, 2> kShortControls = {{
    {"Caption", &Label::ClassRecord, &kCaptionList, nullptr, {}},
}};

void TestWnd::CreateControls0_() {
  if (buildFromShortTable) {
    BuildControls(kShortControls);
  } else {
    BuildControls(kControls);
  }
}

const ClassInfo& TestWnd::ClassRecord() {
  static const ClassInfo record{.fullName = kFullName,
                                .base = &Window::ClassRecord(),
                                .factory = [] { return std::make_shared<TestWnd>(); },
                                .events = {
                                    {Window::kCreateControls, MakeEventEntry(&TestWnd::CreateControls)},
                                    {Window::kLayout, MakeEventEntry(&TestWnd::Layout)},
                                    {Window::kOpen, MakeEventEntry(&TestWnd::Event_Open)},
                                }};
  return RuntimeRegisterClass(record);
}

Ref<WindowOwnedTimer> OwnedTimer(const Ref<Timer>& timer) { return std::dynamic_pointer_cast<WindowOwnedTimer>(timer); }

class WindowFrameTest : public ::testing::Test {
 protected:
  void SetUp() override { trail.clear(); }
  void TearDown() override {
    testing_support::CloseAllWindows();
    failInEntryList = false;
    closeInOpen = false;
    buildFromShortTable = false;
    EXPECT_TRUE(recorder_.Messages().empty()) << "a handler failed: " << recorder_.Messages().front();
  }
  static int64_t Count(const std::string& entry) { return std::count(trail.begin(), trail.end(), entry); }

  testing_support::MessageRecorder recorder_;
};

TEST_F(WindowFrameTest, ImplicitBuildsOnceAndFindsTheWindowAgainHiddenOrShown) {
  Ref<TestWnd> window = TestWnd::Implicit();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->IsVisible());
  EXPECT_EQ(TestWnd::Implicit(), window);
  window->Hide();
  EXPECT_EQ(TestWnd::Implicit(), window);
  EXPECT_FALSE(window->IsVisible());
  window->Show();
  EXPECT_EQ(TestWnd::Implicit(), window);
  EXPECT_EQ(Count("Layout"), 1);
}

TEST_F(WindowFrameTest, ClosedWindowIsRebuiltWithFreshControls) {
  Ref<TestWnd> first = TestWnd::Implicit();
  const std::weak_ptr<TextArea> firstEntry = first->Entry();
  ASSERT_TRUE(WidgetOf(first)->close());  // the user's close button
  EXPECT_EQ(first->Entry(), nullptr);
  EXPECT_EQ(first->Tick(), nullptr);
  EXPECT_TRUE(firstEntry.expired());

  Ref<TestWnd> second = TestWnd::Implicit();
  EXPECT_NE(second, first);
  ASSERT_TRUE(second->Entry());
  EXPECT_EQ(second->Entry()->OwnerWindow(), second);
  EXPECT_EQ(Count("Open"), 2);
  EXPECT_EQ(first->Entry(), nullptr);
}

TEST_F(WindowFrameTest, ControlsAreCreatedInTableOrderBackdropBeforeListBeforeBinding) {
  Ref<TestWnd> window = TestWnd::Implicit();
  EXPECT_EQ(trail, (std::vector<std::string>{"Layout", "CreateControls", "Board backdrop, list not yet",
                                             "Entry constructed, registered not yet",
                                             "Entry KeyDown during its list unhandled", "Tick constructed", "Open"}));
  EXPECT_EQ(window->ControlNames(), (std::vector<std::string>{"Caption", "Board", "Entry", "Tick"}));

  // Bound once the list is applied: a real key reaches the handler, and a dropped key never reaches the field.
  trail.clear();
  ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(window)));
  window->Entry()->SetFocus();
  QTest::keyClicks((internal::Native::Widget(*window->Entry())), "yxz");
  EXPECT_EQ(trail, (std::vector<std::string>{"Entry_KeyDown y", "Entry_KeyDown x", "Entry_KeyDown z"}));
  EXPECT_EQ(window->Entry()->Text(), "yz");
}

TEST_F(WindowFrameTest, AccessorsGiveTheRegisteredControlAndNoneForAMissingName) {
  Ref<TestWnd> window = TestWnd::Implicit();
  EXPECT_EQ(window->Caption(), window->ControlByName_("Caption"));
  EXPECT_EQ(window->Board()->Backdrop(), nullptr);
  EXPECT_EQ(window->Tick()->GetClass().fullName, "TestWnd._wrapper_Tick");
  EXPECT_EQ(window->Missing(), nullptr);
}

TEST_F(WindowFrameTest, IsEventImplementedAnswersForTheFilledEntriesOnly) {
  const std::pair<const char*, bool> rows[] = {
      {"Layout", true},   {"CreateControls", true}, {"Open", true},
      {"KeyDown", false}, {"Paint", false},         {"NoSuch", false},
  };
  Ref<TestWnd> window = TestWnd::Implicit();
  for (const auto& [event, implemented] : rows) {
    SCOPED_TRACE(event);
    EXPECT_EQ(window->IsEventImplemented(event), implemented);
  }
}

TEST_F(WindowFrameTest, TimerHoldsItsWindowWeakly) {
  Ref<TestWnd> window = TestWnd::Implicit();
  Ref<WindowOwnedTimer> registered = OwnedTimer(window->Tick());
  ASSERT_TRUE(registered);
  EXPECT_EQ(registered->Window(), window);

  Ref<WindowOwnedTimer> loose = RuntimeNewObject<TestWnd_wrapper_Tick>();
  EXPECT_EQ(loose->Window(), nullptr);
  loose->SetWindow_(window);
  EXPECT_EQ(loose->Window(), window);
  loose->SetWindow_(nullptr);
  EXPECT_EQ(loose->Window(), nullptr);
  loose->SetWindow_(window);

  window->Close();
  window.reset();
  EXPECT_EQ(registered->Window(), nullptr);
  EXPECT_EQ(loose->Window(), nullptr);
}

TEST_F(WindowFrameTest, FailedBuildLeavesNoLiveWindowAndPassesOut) {
  const int64_t before = LiveObjectCount();
  failInEntryList = true;
  EXPECT_THROW(TestWnd::Implicit(), UnsupportedFormatException);
  EXPECT_EQ(GetImplicitWindow_(TestWnd::kFullName), nullptr);
  EXPECT_EQ(Count("Tick constructed"), 0);
  EXPECT_EQ(Count("Open"), 0);
  EXPECT_EQ(LiveObjectCount(), before);

  failInEntryList = false;
  ASSERT_TRUE(TestWnd::Implicit());
  EXPECT_EQ(Count("Open"), 1);
}

TEST_F(WindowFrameTest, AnEmptyRowInTheControlTableFailsTheBuildWithItsWindowsName) {
  buildFromShortTable = true;
  try {
    TestWnd::Implicit();
    ADD_FAILURE() << "built";
  } catch (const NilObjectException& e) {
    EXPECT_NE(std::string(e.what()).find(TestWnd::kFullName), std::string::npos) << e.what();
  }
  EXPECT_EQ(GetImplicitWindow_(TestWnd::kFullName), nullptr);
}

TEST_F(WindowFrameTest, AWindowThatItsOwnOpenClosesIsNeverHandedOut) {
  closeInOpen = true;
  EXPECT_EQ(TestWnd::Implicit(), nullptr);
  EXPECT_EQ(GetImplicitWindow_(TestWnd::kFullName), nullptr);
  EXPECT_EQ(Count("Open"), 1);

  closeInOpen = false;
  Ref<TestWnd> window = TestWnd::Implicit();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->IsLive());
  EXPECT_TRUE(window->IsVisible());
  EXPECT_EQ(Count("Open"), 2);
}

TEST_F(WindowFrameTest, BuildingAndClosingAThousandTimesLeavesNoGrowth) {
  TestWnd::Implicit()->Close();  // classes and Qt's first-use caches settle here
  testing_support::FlushDeferredDeletes();
  const int64_t objects = LiveObjectCount();
  const qsizetype widgets = QApplication::allWidgets().size();
  for (int i = 0; i < 1000; ++i) {
    Ref<TestWnd> window = TestWnd::Implicit();
    if (i % 2) {
      window->Close();
    } else {
      WidgetOf(window)->close();
    }
    testing_support::FlushDeferredDeletes();
  }
  EXPECT_EQ(LiveObjectCount(), objects);
  EXPECT_EQ(QApplication::allWidgets().size(), widgets);
}

}  // namespace
