#include "tests/support/gui_test_support.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>

#include "framework/internal/native.h"
#include "framework/picture.h"
#include "framework/runtime.h"
#include "framework/services.h"

namespace testing_support {

void ExpectRefusedAtRegistration(const ClassInfo& record, const std::string& mentions) {
  try {
    RuntimeRegisterClass(record);
    ADD_FAILURE() << "registered";
  } catch (const OutOfBoundsException& e) {
    EXPECT_NE(std::string(e.what()).find(record.fullName), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(mentions), std::string::npos) << e.what();
  }
  EXPECT_FALSE(RuntimeIsClassRegistered(record));
}

QWidget* WidgetOf(const Ref<Window>& window) { return window ? (internal::Native::WindowWidget(*window)) : nullptr; }

QWidget* ContentOf(const Ref<Window>& window) { return window ? (internal::Native::Content(*window)) : nullptr; }

QWidget* WidgetOf(const Ref<Control>& control) { return control ? (internal::Native::Widget(*control)) : nullptr; }

void SendKeyWithText(QWidget* widget, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(widget, &press);
  QCoreApplication::sendEvent(widget, &release);
}

void ComposeText(QWidget* widget, const QString& preedit, const QString& commit) {
  QInputMethodEvent composing(preedit, {});
  QCoreApplication::sendEvent(widget, &composing);
  QInputMethodEvent committed;
  committed.setCommitString(commit);
  QCoreApplication::sendEvent(widget, &committed);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) { return QTest::qWaitFor(condition, timeoutMs); }

void FlushDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void CloseAllWindows() {
  for (const Ref<Window>& window : RuntimeLiveWindows()) window->Close();
  FlushDeferredDeletes();
}

void ResetProgramState() {
  CloseAllWindows();
  QCoreApplication::processEvents();
  SetMessagePresenterForTesting({});
  SetPictureLoaderForTesting({});
  RuntimeResetForTesting();
}

MessageRecorder::MessageRecorder() {
  SetMessagePresenterForTesting([this](const std::string& text) { messages_.push_back(text); });
}

MessageRecorder::~MessageRecorder() { SetMessagePresenterForTesting({}); }

}  // namespace testing_support
