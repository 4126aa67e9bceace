#pragma once
// A worker that joins the multithreaded apartment, so that interface
// pointers its creator received can be called on it directly, and signals a
// done event when it ends, for the creator's WaitWhilePumping.

#include <windows.h>

#include "threading/win/auto_reset_event.h"
#include "threading/win/thread.h"

namespace kelar {

class OLECallThread : public Thread {
 public:
  // Called by the creator, holding its own reference, after Resume: returns
  // once the worker has signalled its end, dispatching the calling thread's
  // messages meanwhile. The worker may still hold its reference then.
  // Raises SystemErrorException when the wait itself fails; the worker may
  // then still be running, so keep everything it uses alive.
  void WaitWhilePumping();

  // Signalled once, by the worker, as it ends. Owned by this object.
  HANDLE DoneEvent() const { return done_.Get(); }

 protected:
  // `passTimeoutMs` bounds each pass of WaitWhilePumping. Raises
  // SystemErrorException("CreateEvent", ...) when the done event cannot be
  // created: nobody could ever learn that such a job has ended.
  explicit OLECallThread(DWORD passTimeoutMs);
  ~OLECallThread() override = default;

  void OnThreadStart() override;
  void OnThreadEnd() override;

 private:
  AutoResetEvent done_;
  DWORD passTimeoutMs_;
  bool comInitialized_ = false;  // worker only
};

}  // namespace kelar
