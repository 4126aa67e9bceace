#include "threading/win/waits.h"

#include "support/exceptions.h"

namespace kelar {

DWORD WaitAlertable(HANDLE handle, DWORD timeoutMs) {
  for (;;) {
    const DWORD result = WaitForMultipleObjectsEx(1, &handle, FALSE, timeoutMs, TRUE);
    if (result != WAIT_IO_COMPLETION) return result;
  }
}

void WaitWhilePumping(HANDLE handle, DWORD passTimeoutMs) {
  for (;;) {
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &handle, passTimeoutMs, QS_ALLINPUT, 0);
    switch (result) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED_0:
        return;
      case WAIT_OBJECT_0 + 1: {
        // One message per pass: the done event is looked at again before
        // the next one, so a busy queue cannot delay the return.
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        break;
      }
      case WAIT_TIMEOUT:
        break;
      default:
        throw SystemErrorException("MsgWaitForMultipleObjectsEx", GetLastError());
    }
  }
}

}  // namespace kelar
