#pragma once
// Waits of a thread that must stay responsive while it waits.

#include <windows.h>

namespace kelar {

// Waits for `handle` in an alertable state, so completion routines and APCs
// queued to this thread run meanwhile; after one has run the wait starts
// again with the full timeout. Returns WAIT_OBJECT_0, WAIT_ABANDONED_0 or
// WAIT_TIMEOUT, or WAIT_FAILED (GetLastError tells why) when the wait
// itself fails, which is never retried.
DWORD WaitAlertable(HANDLE handle, DWORD timeoutMs);

// Waits until `handle` is signalled (or abandoned) while dispatching the
// calling thread's messages, one per wake-up. `passTimeoutMs` bounds each
// pass, not the whole wait. Raises SystemErrorException naming
// MsgWaitForMultipleObjectsEx when the wait fails outright rather than
// trying again forever.
void WaitWhilePumping(HANDLE handle, DWORD passTimeoutMs);

}  // namespace kelar
