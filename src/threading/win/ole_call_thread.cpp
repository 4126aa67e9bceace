#include "threading/win/ole_call_thread.h"

#include <objbase.h>

#include "threading/win/waits.h"

namespace kelar {

OLECallThread::OLECallThread(DWORD passTimeoutMs) : passTimeoutMs_(passTimeoutMs) {}

void OLECallThread::WaitWhilePumping() { kelar::WaitWhilePumping(done_.Get(), passTimeoutMs_); }

void OLECallThread::OnThreadStart() {
  // A failure is not fatal: the process's multithreaded apartment, which the
  // server's own threads keep alive, still serves this thread implicitly.
  comInitialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  Thread::OnThreadStart();
}

void OLECallThread::OnThreadEnd() {
  // Only a successful CoInitializeEx is balanced: an extra CoUninitialize
  // would take apart an apartment this thread never joined.
  if (comInitialized_) CoUninitialize();
  comInitialized_ = false;
  SetEvent(done_.Get());
  Thread::OnThreadEnd();
}

}  // namespace kelar
