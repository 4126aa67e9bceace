#pragma once
// What "/RegServer" and "/UnregServer" do: the registration script, the
// component categories of the engine class and the engine's type library.

#include <windows.h>

namespace kelar {

// Applies the script (its result does not count), records the two
// implemented categories and registers TYPELIB 1 of `module`, also under the
// neutral locale. Returns the first failure of the last two steps.
HRESULT RegisterServer(HMODULE module);

// The same steps in reverse mode and in the same order. Whatever is already
// gone counts as removed, so unregistering twice succeeds.
HRESULT UnregisterServer(HMODULE module);

}  // namespace kelar
