#include "framework/runtime.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/services.h"
#include "tests/support/gui_test_support.h"

namespace {

class Runtime : public ::testing::Test {
 protected:
  void SetUp() override {
    RuntimeResetForTesting();
    SetMessagePresenterForTesting([this](const std::string& text) { messages.push_back(text); });
  }
  void TearDown() override {
    SetMessagePresenterForTesting({});
    RuntimeResetForTesting();
  }

  // Runs the event loop with the handler queued on it, as a control's event would arrive. Gives false when the loop
  // had to be ended by the guard instead of by the run-time.
  bool RunLoopWith(std::function<bool()> handler) {
    QTimer::singleShot(0, [handler] { internal::RuntimeRunHandler(handler); });
    QTimer guard;
    guard.setSingleShot(true);
    bool guardFired = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
      guardFired = true;
      QCoreApplication::exit(99);
    });
    guard.start(10000);
    EXPECT_NO_THROW(RuntimeRun_());
    return !guardFired;
  }

  std::vector<std::string> messages;
};

void ThrowNilObject(void*) { throw NilObjectException("Nvariables is nil"); }

TEST_F(Runtime, HandlerFailureEndsTheLoopThroughTheDefaultHandling) {
  struct {
    const char* name;
    bool throughHelper;
    std::function<bool()> handler;
    std::string message;
  } const cases[] = {
      {"framework exception", true,
       [] {
         ThrowNilObject(nullptr);
         return true;
       },
       "Unhandled NilObjectException: Nvariables is nil"},
      {"framework exception without a helper", false,
       [] {
         ThrowNilObject(nullptr);
         return true;
       },
       "Unhandled NilObjectException: Nvariables is nil"},
      {"std::exception", true, []() -> bool { throw std::out_of_range("index 7"); },
       "Unhandled RuntimeException: C++ exception std::out_of_range: index 7"},
      {"exception of no known type", true, []() -> bool { throw 42; },
       "Unhandled RuntimeException: C++ exception of unknown type"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RuntimeResetForTesting();
    messages.clear();
    if (c.throughHelper) {
      RuntimeSetExceptionHelper_(
          RuntimeCreateDelegate(&CallFunctionWithExceptionHandling_, nullptr, "( Ptr, Ptr ) as Object", 0));
    }
    testing::internal::CaptureStderr();
    const bool endedByRuntime = RunLoopWith(c.handler);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(endedByRuntime);
    EXPECT_EQ(messages, std::vector<std::string>{c.message});
    EXPECT_NE(err.find(c.message + "\n"), std::string::npos) << err;
    EXPECT_EQ(RuntimeExit(), 1);
  }
}

TEST_F(Runtime, QuitEndsTheLoopWithItsCode) {
  for (int code : {0, 7}) {
    SCOPED_TRACE(code);
    RuntimeResetForTesting();
    EXPECT_TRUE(RunLoopWith([code] {
      Quit(code);
      return false;
    }));
    EXPECT_EQ(RuntimeExit(), code);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(Runtime, LoopEndedBeforeItStartsReturnsAtOnce) {
  Quit(4);
  EXPECT_NO_THROW(RuntimeRun_());
  EXPECT_EQ(RuntimeExit(), 4);

  RuntimeResetForTesting();
  testing::internal::CaptureStderr();
  UnhandledException_(OutOfBoundsException("row 3"));
  testing::internal::GetCapturedStderr();
  EXPECT_NO_THROW(RuntimeRun_());
  EXPECT_EQ(RuntimeExit(), 1);
  EXPECT_EQ(messages, std::vector<std::string>{"Unhandled OutOfBoundsException: row 3"});
}

TEST_F(Runtime, ExceptionHelperMustHaveTheHelperSignature) {
  EXPECT_THROW(RuntimeSetExceptionHelper_(
                   RuntimeCreateDelegate(&CallFunctionWithExceptionHandling_, nullptr, "( Ptr ) as Object", 0)),
               TypeMismatchException);
  EXPECT_EQ(CallFunctionWithExceptionHandling_(&ThrowNilObject, nullptr)->GetClass().fullName, "NilObjectException");
  EXPECT_EQ(CallFunctionWithExceptionHandling_([](void*) {}, nullptr), nullptr);
}

TEST_F(Runtime, ApplicationKeepsItsVersionData) {
  Ref<Application> app = RuntimeCheckCast<Application>(RuntimeNewObject(Application::ClassRecord()));
  app->Constructor();
  app->x_SetVersionData_(2, 0, 1, 4, 3,
                         "Made by A. Author, 2019\xE2\x80\x93"
                         "2023",
                         "2.0", "Pallastrovane");
  RuntimeRegisterAppObject_(app);
  std::weak_ptr<Application> watch = app;
  app.reset();
  ASSERT_FALSE(watch.expired());

  const Ref<Application> held = RuntimeAppObject();
  EXPECT_EQ(held->MajorVersion(), 2);
  EXPECT_EQ(held->MinorVersion(), 0);
  EXPECT_EQ(held->BugVersion(), 1);
  EXPECT_EQ(held->NonReleaseVersion(), 4);
  EXPECT_EQ(held->StageCode(), 3);
  EXPECT_EQ(held->LongVersion(),
            "Made by A. Author, 2019\xE2\x80\x93"
            "2023");
  EXPECT_EQ(held->ShortVersion(), "2.0");
  EXPECT_EQ(held->PackageInfo(), "Pallastrovane");

  for (const std::string& event : Application::ClassRecord().eventNames) {
    SCOPED_TRACE(event);
    EXPECT_FALSE(held->IsEventImplemented(event));
  }
  EXPECT_EQ(Application::ClassRecord().eventNames.size(), 11u);
  EXPECT_EQ(Application::ClassRecord().eventNames.back(), "UnhandledException");
}

// The framework raises no application event, so a handler in any entry of an application class would never run.
TEST(ApplicationClasses, AnEntryForAnEventNeverRaisedIsRefusedAtRegistration) {
  struct Row {
    const char* name;
    const ClassInfo& (*record)();
    const char* mentions;
  };
  const Row rows[] = {
      {"Open",
       []() -> const ClassInfo& {
         static const ClassInfo record{.fullName = "OpeningApp",
                                       .base = &Application::ClassRecord(),
                                       .factory = [] { return std::make_shared<Application>(); },
                                       .events = {{8, [](Object&, EventArgs&) { return false; }}}};
         return record;
       },
       "Open"},
      {"UnhandledException beside Activate",
       []() -> const ClassInfo& {
         static const ClassInfo record{.fullName = "CatchingApp",
                                       .base = &Application::ClassRecord(),
                                       .events = {{0, [](Object&, EventArgs&) { return false; }},
                                                  {10, [](Object&, EventArgs&) { return false; }}}};
         return record;
       },
       "Activate"},
      {"a number past the event table",
       []() -> const ClassInfo& {
         static const ClassInfo record{.fullName = "PastApp",
                                       .base = &Application::ClassRecord(),
                                       .events = {{40, [](Object&, EventArgs&) { return false; }}}};
         return record;
       },
       "(40)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ClassInfo& record = row.record();
    testing_support::ExpectRefusedAtRegistration(record, row.mentions);
    EXPECT_THROW(RuntimeNewObject(record), OutOfBoundsException);
  }
}

int lateStartups = 0;
void LateStartup() { ++lateStartups; }
void FailingLateStartup() { throw NilObjectException("AboutWnd is nil"); }

TEST_F(Runtime, FrameworkInitialisationRunsTheLateStartupOnce) {
  lateStartups = 0;
  QCoreApplication* before = QCoreApplication::instance();
  RunFrameworkInitialization_(RuntimeCreateDelegate(&LateStartup, nullptr, "(  )", 0));
  EXPECT_EQ(lateStartups, 1);
  EXPECT_EQ(QCoreApplication::instance(), before);

  EXPECT_THROW(RunFrameworkInitialization_(RuntimeCreateDelegate(&FailingLateStartup, nullptr, "(  )", 0)),
               NilObjectException);
  EXPECT_THROW(RunFrameworkInitialization_(RuntimeCreateDelegate(&LateStartup, nullptr, "( )", 0)),
               TypeMismatchException);
  EXPECT_EQ(lateStartups, 1);
}

// The framework names no program: whatever program runs on it, its application object gives the name and the
// start-up its icon and desktop entry.
TEST_F(Runtime, FrameworkInitialisationGivesTheApplicationTheProgramsIdentity) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const std::vector<int> sizes = {16, 24, 64, 128};
  for (int size : sizes) {
    const QString folder = root.filePath(QString("icons/hicolor/%1x%1/apps").arg(size));
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(folder + "/tallyho.png"));
  }
  // Another program's icon in the same tree is not taken.
  ASSERT_TRUE(QDir().mkpath(root.filePath("icons/hicolor/32x32/apps")));
  QImage other(32, 32, QImage::Format_ARGB32);
  other.fill(Qt::red);
  ASSERT_TRUE(other.save(root.filePath("icons/hicolor/32x32/apps/other.png")));

  auto app = RuntimeNewObject<Application>();
  app->x_SetVersionData_(1, 2, 0, 0, 3, "", "1.2", "Tallyho");
  RuntimeRegisterAppObject_(app);
  RuntimeSetProgramFiles({.pictureFolder = "../share/tallyho",
                          .iconFolders = {root.filePath("missing").toStdString(), root.filePath("icons").toStdString()},
                          .iconName = "tallyho",
                          .desktopFileName = "org.example.tallyho"});
  RunFrameworkInitialization_(RuntimeCreateDelegate(&LateStartup, nullptr, "(  )", 0));

  EXPECT_EQ(QCoreApplication::applicationName(), "Tallyho");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Tallyho");
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.example.tallyho");
  const auto squareSides = [](const QIcon& icon) {
    std::vector<int> found;
    for (const QSize& size : icon.availableSizes()) {
      EXPECT_EQ(size.width(), size.height());
      found.push_back(size.width());
    }
    std::sort(found.begin(), found.end());
    return found;
  };
  // Before any window is drawn, the sizes of title bars and task bars; the larger ones once one has been.
  EXPECT_EQ(squareSides(QGuiApplication::windowIcon()), (std::vector<int>{16, 24}));
  QWidget window;
  window.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return squareSides(QGuiApplication::windowIcon()) == sizes; }));
  EXPECT_EQ(squareSides(window.windowIcon()), sizes);
}

TEST_F(Runtime, FinalisersRunOnceInReverseOrder) {
  std::string order;
  for (char c : std::string("abc")) RuntimeAddFinalizer([&order, c] { order += c; });
  RuntimePerformFinalizers();
  RuntimePerformFinalizers();
  EXPECT_EQ(order, "cba");
}

TEST_F(Runtime, BeepsAreCounted) {
  const int64_t before = BeepCount();
  Beep();
  Beep();
  EXPECT_EQ(BeepCount(), before + 2);
}

TEST_F(Runtime, EntryArgumentsAreKeptUnchanged) {
  int instance = 0;
  RuntimeInit(&instance, nullptr, L"--geometry 10x10 \"a b\"", 5);
  const EntryArguments& entry = RuntimeEntryArguments();
  EXPECT_EQ(entry.instance, &instance);
  EXPECT_EQ(entry.previousInstance, nullptr);
  EXPECT_EQ(entry.commandLine, L"--geometry 10x10 \"a b\"");
  EXPECT_EQ(entry.showMode, 5);
}

}  // namespace
