#include "server/win/server_process.h"

#include <objbase.h>
#include <wrl/client.h>

#include "kelar_engine.h"
#include "server/command_line.h"
#include "server/win/class_factory.h"
#include "server/win/exe_module.h"
#include "server/win/registration.h"
#include "threading/win/thread.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

// How long the ending process waits for job workers still winding down.
constexpr DWORD kWorkerGraceMs = 5000;

int CompareWithSystem(const char* left, const char* right) { return lstrcmpiA(left, right); }

// Ends with the quit message (or a failure of GetMessageA, which would
// otherwise spin). A failure escaping a dispatched message ends it too.
void RunMessageLoop() {
  try {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  } catch (...) {
  }
}

void Serve(CExeModule& module) {
  // The quit message can only be posted to a thread that has a message
  // queue; make it before the first client can come and go. Not yielding
  // keeps a starter's WaitForInputIdle waiting until the class object is
  // registered and the loop runs.
  MSG message;
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE | PM_NOYIELD);

  ComPtr<ClassFactory> factory;
  factory.Attach(new ClassFactory(module));
  DWORD cookie = 0;
  const bool registered = SUCCEEDED(CoRegisterClassObject(CLSID_TranslationEngine, factory.Get(), CLSCTX_LOCAL_SERVER,
                                                          REGCLS_MULTIPLEUSE, &cookie));
  RunMessageLoop();
  if (registered) CoRevokeClassObject(cookie);
  // Where suspending the class objects does nothing (Wine), a client may have
  // been handed a new engine between the last release and the revocation.
  // Serve it until the count is back at 0; no new ones can come now.
  while (module.LockCount() > 0) RunMessageLoop();
  // A job's worker may still be releasing the client's source and sink
  // after its caller has returned: give it a moment, so the client's
  // objects are released before the process goes. Bounded, because a dead
  // client can make such a release wait for the RPC layer.
  Thread::WaitForWorkers(kWorkerGraceMs);
}

}  // namespace

int RunServerProcess(HINSTANCE instance) {
  const char* commandLine = GetCommandLineA();
  const HRESULT initialized = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  CExeModule module(GetCurrentThreadId());

  int exitCode = 0;
  switch (ScanCommandLine(commandLine, CompareWithSystem)) {
    case ServerSwitch::RegServer:
      exitCode = RegisterServer(instance);
      break;
    case ServerSwitch::UnregServer:
      exitCode = UnregisterServer(instance);
      break;
    case ServerSwitch::None:
      Serve(module);
      break;
  }
  if (SUCCEEDED(initialized)) CoUninitialize();
  return exitCode;
}

}  // namespace kelar
