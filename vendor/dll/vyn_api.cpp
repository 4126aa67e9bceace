// The four entry points of Vyn.dll. C names, C calling convention; no
// exception ever leaves them.

#include <windows.h>

#include <cstdint>

#include "engine.h"
#include "vyn_request.h"

namespace {

// The engine's system key. Its "ppfs" subkey tells the server that the
// engine has been set up on this machine; without it the server loads the
// library a second time after the first initialisation. Best effort: a
// missing key costs only that reload.
void MarkSystemKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_USERS, ".DEFAULT\\Software\\Kelar\\Vyn\\Systems\\ppfs", 0, nullptr, 0, KEY_WRITE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegCloseKey(key);
  }
}

template <class Call>
std::int32_t Guarded(Call call) {
  try {
    return call();
  } catch (...) {
    return vyn::kInternalError;
  }
}

}  // namespace

extern "C" {

std::int32_t __cdecl VynAPI_Init(const char* /*argument*/) {
  return Guarded([] {
    MarkSystemKey();
    return vyn::TheEngine().Init();
  });
}

std::int32_t __cdecl VynAPI_RegisterDictionary(const char* path, const char* /*language*/, std::int32_t /*n*/) {
  return Guarded([path] { return vyn::TheEngine().RegisterDictionary(path); });
}

// Every file the server names carries its full path, so the folder is not
// needed; the call is accepted for the server's sake.
std::int32_t __cdecl VynAPI_SetWorkingFolder(const char* /*folder*/) { return vyn::kOk; }

std::int32_t __cdecl VynAPI_TranslateFile2(void* request) {
  return Guarded([request] { return vyn::TheEngine().TranslateFile(request); });
}

}  // extern "C"
