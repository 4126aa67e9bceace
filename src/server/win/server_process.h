#pragma once
// The server process from start to end.

#include <windows.h>

namespace kelar {

// Registers or unregisters when the command line ends with the switch and
// returns that result; otherwise serves TranslationEngine objects until the
// last one is gone and returns 0.
int RunServerProcess(HINSTANCE instance);

}  // namespace kelar
