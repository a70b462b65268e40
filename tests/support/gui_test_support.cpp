#include "tests/support/gui_test_support.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

#include "framework/picture.h"
#include "framework/runtime.h"
#include "framework/services.h"

namespace testing_support {

QWidget* WidgetOf(const Ref<Window>& window) {
  return window ? static_cast<QWidget*>(window->NativeWindow()) : nullptr;
}

QWidget* ContentOf(const Ref<Window>& window) {
  return window ? static_cast<QWidget*>(window->NativeContent()) : nullptr;
}

QWidget* WidgetOf(const Ref<Control>& control) {
  return control ? static_cast<QWidget*>(control->NativeWidget()) : nullptr;
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
