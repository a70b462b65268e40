// Internal to the framework. The one Qt application, the program's identity it shows and the end of its event loop.
// It knows nothing of the run-time's objects: the run-time hands it the identity and reads the quit state back.
#pragma once

#include "framework/internal/internal_only.h"

#include <cstdint>
#include <string>
#include <vector>

namespace internal {

// What windows, message boxes and task bars show of the program: the application object's name and version and
// the program's themed icon and desktop entry (see ProgramFiles in runtime.h).
struct ProgramIdentity {
  std::string name;
  std::string version;
  std::vector<std::string> iconFolders;
  std::string iconName;
  std::string desktopFileName;
};

// Kept for EnsureQtApplication and ApplyProgramIdentity; applies nothing by itself.
void SetProgramIdentity(ProgramIdentity identity);

// Makes the Qt application when none exists yet and applies the identity to it; true when it made it now. The
// application is never deleted: windows may outlive the run-time's finalisers, and a widget destroyed after its
// QApplication crashes.
bool EnsureQtApplication();
// Applies the identity to the Qt application that exists now (a name without one being left as it is).
void ApplyProgramIdentity();

// Runs the event loop of the Qt application that exists now until RequestQuit ends it.
void RunEventLoop();
// Sets the exit code and ends the event loop when it runs.
void RequestQuit(int code);
bool QuitRequested();
int32_t RequestedExitCode();
// Forgets a requested quit and its code; a loop that runs now goes on running.
void ResetQuitState();

}  // namespace internal
