// Small helpers the GUI tests share: the Qt side of framework objects, waiting on conditions, clean-up of windows
// between tests and a recorder that takes the place of the message box.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/window.h"

namespace testing_support {

QWidget* WidgetOf(const Ref<Window>& window);   // the top-level widget
QWidget* ContentOf(const Ref<Window>& window);  // the area below the menu bar
QWidget* WidgetOf(const Ref<Control>& control);

// Text arriving other than as one plain key: a press and release whose event carries `text` (several characters,
// as some platforms send them), and an input method's pre-edit followed by its commit (a dead key, then a letter).
void SendKeyWithText(QWidget* widget, int key, const QString& text);
void ComposeText(QWidget* widget, const QString& preedit, const QString& commit);

// Registering the record fails with OutOfBoundsException naming the class and `mentions` (the refused event), and
// leaves the class unregistered.
void ExpectRefusedAtRegistration(const ClassInfo& record, const std::string& mentions);

// Runs the event loop until the condition holds or the time is up; gives the condition's last answer.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);
// Deletes the Qt objects whose deletion was deferred until the event loop got back.
void FlushDeferredDeletes();
// Closes every live window (running its Close handler) and deletes what that released.
void CloseAllWindows();
// What a test of the program's windows leaves behind, undone: every window closed, the real message box and
// resource manager back, and the run-time's start-up state (exit code, quit request) forgotten.
void ResetProgramState();

// Records every message box text instead of showing it, for its lifetime.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::vector<std::string> messages_;
};

}  // namespace testing_support
