#include "threading/win/thread.h"

#include <process.h>

#include <memory>

#include "support/exceptions.h"

namespace kelar {
namespace {

// Workers resumed and not yet ended.
std::atomic<long> g_liveWorkers{0};

}  // namespace

bool Thread::WaitForWorkers(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (g_liveWorkers.load() > 0) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

// The entry routine's own view of its object. The worker reads it before it
// touches the object: when the object never became whole, the creator sets
// `cancelled`, resumes the worker and waits for it, and the worker leaves
// without looking at the object, which is being torn down.
struct Thread::StartBlock {
  Thread* object = nullptr;
  std::atomic<bool> cancelled{false};
};

Thread::Thread() {
  auto block = std::make_unique<StartBlock>();
  block->object = this;
  const uintptr_t handle =
      _beginthreadex(nullptr, 0, &Thread::ThreadEntry, block.get(), CREATE_SUSPENDED, nullptr);
  if (handle == 0) throw HResultException(E_FAIL);
  handle_.Reset(reinterpret_cast<HANDLE>(handle));
  start_ = block.release();
}

Thread::~Thread() {
  if (start_ == nullptr) return;  // the worker ran; it owned its block
  // Never resumed: the object died in construction. Let the worker go and
  // wait for it, so that no suspended thread is left behind.
  start_->cancelled.store(true);
  bool ended = ResumeThread(handle_.Get()) != static_cast<DWORD>(-1) &&
               WaitForSingleObject(handle_.Get(), INFINITE) == WAIT_OBJECT_0;
  if (!ended) {
    // It has not run a line of ours yet, so stopping it cannot leave
    // anything half done.
    ended = TerminateThread(handle_.Get(), 0) &&
            WaitForSingleObject(handle_.Get(), INFINITE) == WAIT_OBJECT_0;
  }
  // A worker that may still read the block keeps it: a leak beats a crash.
  if (ended) delete start_;
  start_ = nullptr;
}

long Thread::AddRef() { return InterlockedIncrement(&references_); }

long Thread::Release() {
  const long left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return left;
}

void Thread::Resume() {
  if (start_ == nullptr) return;
  // From here the block belongs to the worker, which frees it.
  StartBlock* block = start_;
  start_ = nullptr;
  ++g_liveWorkers;
  if (ResumeThread(handle_.Get()) == static_cast<DWORD>(-1)) {
    const DWORD error = GetLastError();
    --g_liveWorkers;
    start_ = block;  // still ours: the destructor ends the worker
    Release();       // the reference the worker will never drop
    throw SystemErrorException("ResumeThread", error);
  }
}

void Thread::Abort() {
  SetStatus(kThreadFailed);
  OnAbort();
}

void Thread::OnThreadEnd() {
  if (Status() != kThreadFailed) SetStatus(kThreadFinished);
}

unsigned __stdcall Thread::ThreadEntry(void* argument) {
  Thread* self;
  {
    std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(argument));
    if (block->cancelled.load()) {
      (void)block.release();  // the creator frees it after waiting for us
      return 0;
    }
    self = block->object;
  }
  try {
    self->OnThreadStart();
    self->SetStatus(kThreadRunning);
    self->Run();
  } catch (...) {
    // The failure stops here: a job reports it through its own channel.
    self->SetStatus(kThreadFailed);
  }
  try {
    self->OnThreadEnd();
  } catch (...) {
    self->SetStatus(kThreadFailed);
  }
  self->Release();
  --g_liveWorkers;
  _endthreadex(0);
  return 0;
}

}  // namespace kelar
