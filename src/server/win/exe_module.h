#pragma once
// The server's module state: the lock count that keeps the process alive and
// the thread whose message loop ends it.

#include <windows.h>

#include "engine/module_lock.h"

namespace kelar {

class CExeModule final : public ModuleLock {
 public:
  // `mainThreadId` is the thread that runs the message loop.
  explicit CExeModule(DWORD mainThreadId) : mainThreadId_(mainThreadId) {}

  CExeModule(const CExeModule&) = delete;
  CExeModule& operator=(const CExeModule&) = delete;

  // One per live engine object and per outstanding LockServer(TRUE).
  long Lock() override;
  // The unlock that reaches 0 suspends the class objects and, when that
  // succeeds, posts WM_QUIT to the main thread at once.
  long Unlock() override;

  long LockCount() const;
  DWORD MainThreadId() const { return mainThreadId_; }

 private:
  mutable volatile LONG lockCount_ = 0;
  const DWORD mainThreadId_;
};

}  // namespace kelar
