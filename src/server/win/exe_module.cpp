#include "server/win/exe_module.h"

#include <objbase.h>

namespace kelar {

long CExeModule::Lock() { return InterlockedIncrement(&lockCount_); }

long CExeModule::Unlock() {
  const LONG count = InterlockedDecrement(&lockCount_);
  if (count == 0 && CoSuspendClassObjects() == S_OK) {
    PostThreadMessageA(mainThreadId_, WM_QUIT, 0, 0);
  }
  return count;
}

long CExeModule::LockCount() const { return InterlockedCompareExchange(&lockCount_, 0, 0); }

}  // namespace kelar
