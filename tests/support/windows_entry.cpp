// Compiled for Windows only (make test-mingw): the start-up's entry must agree with the declaration that the
// Windows headers give it, or the C run-time's start-up would not find it.
#include <windows.h>

#include "app/startup.h"
