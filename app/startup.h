// The process's start-up in its fixed order: the run-time is initialised with the entry arguments, every class
// is registered, the application object is made, the splash window opens and the event loop runs until the
// program quits; the finalisers and the exit code follow however the start-up ended.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "framework/runtime.h"

// The entry: instance handle, previous instance (none), the command line after the program's name, show mode.
#ifdef _WIN32
// Windows' C run-time calls it: C linkage, WINAPI and the very types of the declaration in <winbase.h>, which
// makes an instance handle a pointer to struct HINSTANCE__ (STRICT) and the command line writable.
struct HINSTANCE__;
extern "C" int32_t __stdcall wWinMain(HINSTANCE__* instance, HINSTANCE__* previousInstance, wchar_t* commandLine,
                                      int showMode);
#else
int32_t wWinMain(void* instance, void* previousInstance, const wchar_t* commandLine, int showMode);
#endif

void Main_();
void EarlyStartup_();
void NewAppInstance_();
void LateStartup_();
void MakeDefaultView_();
// The program declares no document file types and installs no application-wide menu handlers: one empty
// operation under both names.
void InitFileTypes_();
inline void ApplicationAddMenuHandlers_() { InitFileTypes_(); }

// The program's class list, framework classes first, the program's own last.
std::span<const ClassInitializer> ProgramClassList();

// The credit line of the version data.
extern const char* const kLongVersion;

// Tests watch the start-up: the observer is told the name of each step as it begins, and may raise an exception
// to make that step fail.
void SetStartupObserverForTesting(std::function<void(std::string_view step)> observer);
