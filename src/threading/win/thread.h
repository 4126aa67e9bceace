#pragma once
// A reference-counted object that owns one worker thread and runs a fixed
// sequence of hooks on it: OnThreadStart, Run, OnThreadEnd, then the worker
// drops its reference and ends.
//
// The worker is created suspended together with the object and holds the
// object's first reference. The creator takes a reference of its own and
// resumes the worker once the complete object (derived constructors included)
// exists:
//
//   Microsoft::WRL::ComPtr<MyJob> job = new MyJob(...);  // the creator's reference
//   job->Resume();
//
// Whichever of the two references goes last destroys the object.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "support/win/handle.h"

namespace kelar {

enum ThreadStatus : std::int32_t {
  kThreadCreated = 0,
  kThreadRunning = 1,
  kThreadFinished = 2,
  kThreadFailed = 3,
};

class Thread {
 public:
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Interlocked; both return the count after the change. The release that
  // reaches 0 destroys the object, on whichever thread makes it.
  long AddRef();
  long Release();

  // Lets the worker run. Call once, after construction, holding a reference
  // of your own. If the system refuses, the worker's reference is dropped
  // (the worker never runs) and SystemErrorException("ResumeThread", error)
  // is raised; the caller's own reference still has to be released.
  void Resume();

  // 0 created, 1 running, 2 finished, 3 failed (see ThreadStatus). Written
  // by the worker: a waiter that wants the final value must let the worker
  // finish first.
  std::int32_t Status() const { return status_.load(); }

  // Waits until every worker that was resumed has ended (its last line
  // included: releasing what its object held), or `timeoutMs` has passed.
  // True when none is left. For the end of a process, so that objects of
  // other processes held by a job are released before the process goes.
  static bool WaitForWorkers(DWORD timeoutMs);

 protected:
  // Creates the worker, suspended. Raises HResultException(E_FAIL) when the
  // runtime cannot create it; then no worker exists.
  Thread();
  virtual ~Thread();

 public:
  // Marks the thread failed and calls OnAbort.
  virtual void Abort();

 protected:
  virtual void Run() = 0;
  virtual void OnAbort() {}
  // Runs first on the worker; a failure here skips Run and marks the thread failed.
  virtual void OnThreadStart() {}
  // Runs last on the worker, after a failed Run too.
  virtual void OnThreadEnd();

  void SetStatus(std::int32_t status) { status_.store(status); }

 private:
  struct StartBlock;
  static unsigned __stdcall ThreadEntry(void* argument);

  UniqueHandle handle_;
  volatile LONG references_ = 1;  // the worker's
  std::atomic<std::int32_t> status_{kThreadCreated};
  // Until Resume hands it to the worker: lets a destructor that runs before
  // then (a derived constructor failed) end the worker without it touching us.
  StartBlock* start_ = nullptr;
};

}  // namespace kelar
