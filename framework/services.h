// The framework's services: modal message box, system beep and quit. GUI thread only. Qt-free header.
#pragma once

#include <functional>
#include <string>

// A modal message box with the text, one OK button and the program's name as title; returns once dismissed.
void MsgBox(const std::string& text);
void Beep();
// Ends the event loop with that code; returns to the caller.
void Quit(int code);

// Tests replace the presenter: it gets each text and the message box counts as dismissed when it returns.
// An empty function restores the real message box.
void SetMessagePresenterForTesting(std::function<void(const std::string&)> presenter);
// Beeps sounded since the process started.
int64_t BeepCount();
