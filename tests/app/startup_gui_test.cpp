// The start-up run in-process as the executable runs it: wWinMain with the four entry arguments, the splash window
// first, the hand-over, and the calculator's close ending the event loop with the run-time's exit code.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/startup.h"
#include "calculator/control_wnd.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "framework/window.h"
#include "tests/support/gui_test_support.h"
#include "windows/about_wnd.h"

namespace {

using testing_support::WidgetOf;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RuntimeResetForTesting();
    SetMessagePresenterForTesting([this](const std::string& text) { messages.push_back(text); });
    SetStartupObserverForTesting([this](std::string_view step) {
      steps.emplace_back(step);
      if (step == failAt) throw NilObjectException("made to fail at " + failAt);
    });
    RuntimeAddFinalizer([this] { ++finalizersRun; });
  }
  void TearDown() override {
    SetStartupObserverForTesting(nullptr);
    testing_support::ResetProgramState();
  }

  // Runs the start-up; while the loop runs, a key in the splash window hands over and the calculator is closed.
  int RunAndCloseCalculator(const wchar_t* commandLine) {
    QTimer::singleShot(0, [this] {
      Ref<Window> splash = GetImplicitWindow_("AboutWnd.AboutWnd");
      splashShownFirst = splash && splash->IsVisible() && !GetImplicitWindow_("ControlWnd.ControlWnd");
      if (splash) QTest::keyClick(WidgetOf(splash), Qt::Key_A);
      Ref<Window> calculator = GetImplicitWindow_("ControlWnd.ControlWnd");
      calculatorAfterKey = calculator && calculator->IsVisible() && !splash->IsVisible();
      if (calculator) WidgetOf(calculator)->close();
    });
    int moduleInstance = 0;
    return wWinMain(&moduleInstance, nullptr, commandLine, 1);
  }

  std::vector<std::string> steps;
  std::vector<std::string> messages;
  std::string failAt;
  int finalizersRun = 0;
  bool splashShownFirst = false;
  bool calculatorAfterKey = false;
};

TEST_F(StartupTest, RunsItsStepsInOrderAndEndsWithTheCloseOfTheCalculator) {
  const wchar_t* commandLines[] = {L"", L"--reverse -platform xcb data.txt", L"\u00e9t\u00e9 \"two words\""};
  for (const wchar_t* commandLine : commandLines) {
    SCOPED_TRACE(std::wstring(commandLine).size());
    steps.clear();
    finalizersRun = 0;
    RuntimeResetForTesting();
    RuntimeAddFinalizer([this] { ++finalizersRun; });

    EXPECT_EQ(RunAndCloseCalculator(commandLine), 0);

    EXPECT_EQ(steps, (std::vector<std::string>{"Main_", "EarlyStartup_", "NewAppInstance_", "LateStartup_",
                                               "MakeDefaultView_", "RuntimeRun_"}));
    EXPECT_TRUE(splashShownFirst);
    EXPECT_TRUE(calculatorAfterKey);
    EXPECT_EQ(finalizersRun, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(RuntimeEntryArguments().commandLine, commandLine);
    EXPECT_EQ(RuntimeEntryArguments().previousInstance, nullptr);
    EXPECT_EQ(RuntimeEntryArguments().showMode, 1);
    // The framework's finaliser released the windows left (the hidden splash window).
    EXPECT_TRUE(RuntimeLiveWindows().empty());
    testing_support::CloseAllWindows();
  }
}

TEST_F(StartupTest, GivesTheApplicationItsNameAndDesktopEntry) {
  EXPECT_EQ(RunAndCloseCalculator(L""), 0);
  EXPECT_EQ(QCoreApplication::applicationName(), "Pallastrovane");
  EXPECT_EQ(QGuiApplication::desktopFileName(), "pallastrovane");
  EXPECT_EQ(RuntimeProgramFiles().pictureFolder, "../share/pallastrovane");
  EXPECT_EQ(RuntimeProgramFiles().iconName, "pallastrovane");
}

TEST_F(StartupTest, ApplicationObjectCarriesTheVersionData) {
  EXPECT_EQ(RunAndCloseCalculator(L""), 0);
  Ref<Application> app = RuntimeAppObject();
  ASSERT_TRUE(app);
  EXPECT_EQ(app->GetClass().fullName, "Pallastrovane");
  EXPECT_EQ(app->MajorVersion(), 2);
  EXPECT_EQ(app->MinorVersion(), 0);
  EXPECT_EQ(app->BugVersion(), 0);
  EXPECT_EQ(app->NonReleaseVersion(), 0);
  EXPECT_EQ(app->StageCode(), 3);
  EXPECT_EQ(app->ShortVersion(), "2.0");
  EXPECT_EQ(app->PackageInfo(), "Pallastrovane");
  EXPECT_NE(app->LongVersion().find("the Pallastrovane authors"), std::string::npos);
  for (const char* event : {"Activate", "Open", "Close", "UnhandledException"}) {
    EXPECT_FALSE(app->IsEventImplemented(event)) << event;
  }
  EXPECT_TRUE(Application::SupportsHiDPI());
}

TEST_F(StartupTest, RegistersTheProgramsClassesInListOrder) {
  EXPECT_EQ(RunAndCloseCalculator(L""), 0);
  std::vector<std::string> names = RuntimeRegisteredClassNames();
  std::vector<std::string> program;
  for (const std::string& name : names) {
    if (name == "Pallastrovane" || name == "MenuBar1.MenuBar1" || name == "AboutWnd._wrapper_Timer1" ||
        name == "AboutWnd.AboutWnd" || name == "ControlWnd.ControlWnd" || name == "DescriptionWnd.DescriptionWnd")
      program.push_back(name);
  }
  EXPECT_EQ(program,
            (std::vector<std::string>{"Pallastrovane", "MenuBar1.MenuBar1", "AboutWnd._wrapper_Timer1",
                                      "AboutWnd.AboutWnd", "ControlWnd.ControlWnd", "DescriptionWnd.DescriptionWnd"}));
  // Framework classes come first.
  auto position = [&](const std::string& name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  EXPECT_LT(position("Window"), position("Pallastrovane"));
}

TEST_F(StartupTest, FailureWhileTheApplicationObjectIsMadeShowsNoWindowAndStillExits) {
  failAt = "NewAppInstance_";
  int moduleInstance = 0;
  int code = wWinMain(&moduleInstance, nullptr, L"", 1);

  EXPECT_EQ(code, 1);
  EXPECT_EQ(steps, (std::vector<std::string>{"Main_", "EarlyStartup_", "NewAppInstance_"}));
  EXPECT_TRUE(RuntimeLiveWindows().empty());
  EXPECT_FALSE(RuntimeAppObject());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("NilObjectException"), std::string::npos);
  EXPECT_NE(messages[0].find("made to fail at NewAppInstance_"), std::string::npos);
  EXPECT_EQ(finalizersRun, 1);
}

// Whatever a step throws, the framework's exception or not, gets the default handling, and the finalisers and the
// exit code follow.
TEST_F(StartupTest, AnythingThrownGetsTheDefaultHandling) {
  struct Case {
    const char* name;
    const char* step;
    std::function<void()> raise;
    const char* named;  // what the message names
  };
  const Case cases[] = {
      {"framework exception", "EarlyStartup_", [] { throw OutOfBoundsException("step 9"); }, "OutOfBoundsException"},
      {"standard exception", "NewAppInstance_", [] { throw std::length_error("too long"); }, "too long"},
      {"no exception class at all", "LateStartup_", [] { throw 42; }, "unknown type"},
      {"thrown in the event loop's step", "RuntimeRun_", [] { throw std::string("text"); }, "unknown type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RuntimeResetForTesting();
    messages.clear();
    finalizersRun = 0;
    RuntimeAddFinalizer([this] { ++finalizersRun; });
    SetStartupObserverForTesting([&c](std::string_view step) {
      if (step == c.step) c.raise();
    });
    int moduleInstance = 0;
    EXPECT_EQ(wWinMain(&moduleInstance, nullptr, L"", 1), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(c.named), std::string::npos) << messages[0];
    EXPECT_EQ(finalizersRun, 1);
    EXPECT_TRUE(RuntimeLiveWindows().empty());
  }
}

TEST_F(StartupTest, FailureInTheLateStartupSkipsTheEventLoop) {
  failAt = "MakeDefaultView_";
  int moduleInstance = 0;
  EXPECT_EQ(wWinMain(&moduleInstance, nullptr, L"", 1), 1);
  EXPECT_EQ(steps.back(), "MakeDefaultView_");
  EXPECT_TRUE(RuntimeAppObject());
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(finalizersRun, 1);
}

}  // namespace
