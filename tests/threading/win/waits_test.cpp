// The caller's waits: dispatching its messages while a worker runs, passes
// that time out, alertable waits, and waits that fail outright.

#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "support/exceptions.h"
#include "threading/win/auto_reset_event.h"
#include "threading/win/ole_call_thread.h"
#include "threading/win/waits.h"
#include "threading/win/win_test_support.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

// A job that runs a given piece of work on its worker.
class WorkJob final : public OLECallThread {
 public:
  template <class Work>
  WorkJob(DWORD passTimeoutMs, Work work) : OLECallThread(passTimeoutMs), work_(std::move(work)) {}

 protected:
  void Run() override { work_(); }

 private:
  std::function<void()> work_;
};

ComPtr<WorkJob> Start(WorkJob* job) {
  ComPtr<WorkJob> held = job;
  held->Resume();
  return held;
}

// Counts what WaitWhilePumping asks of the system: its passes, how each
// ended, and the messages it took between passes.
struct PumpLog {
  std::atomic<int> passes{0};
  std::atomic<int> timedOut{0};
  std::atomic<int> peeksThisPass{0};
  std::atomic<int> mostPeeksInOnePass{0};
  std::atomic<int> failuresToGive{0};
  decltype(&MsgWaitForMultipleObjectsEx) realWait = nullptr;
  decltype(&PeekMessageA) realPeek = nullptr;
};
PumpLog* pumpLog = nullptr;

DWORD WINAPI LoggingWait(DWORD count, const HANDLE* handles, DWORD timeout, DWORD mask, DWORD flags) {
  ++pumpLog->passes;
  pumpLog->peeksThisPass = 0;
  if (pumpLog->failuresToGive > 0) {
    --pumpLog->failuresToGive;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const DWORD result = pumpLog->realWait(count, handles, timeout, mask, flags);
  if (result == WAIT_TIMEOUT) ++pumpLog->timedOut;
  return result;
}

BOOL WINAPI LoggingPeek(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
  const int peeks = ++pumpLog->peeksThisPass;
  if (peeks > pumpLog->mostPeeksInOnePass) pumpLog->mostPeeksInOnePass = peeks;
  return pumpLog->realPeek(message, window, first, last, remove);
}

class PumpingTest : public testing::Test {
 protected:
  PumpingTest()
      : waitPatch_("MsgWaitForMultipleObjectsEx", reinterpret_cast<const void*>(&LoggingWait)),
        peekPatch_("PeekMessageA", reinterpret_cast<const void*>(&LoggingPeek)) {
    log_.realWait = waitPatch_.Original<decltype(&MsgWaitForMultipleObjectsEx)>();
    log_.realPeek = peekPatch_.Original<decltype(&PeekMessageA)>();
    pumpLog = &log_;
  }
  ~PumpingTest() override { pumpLog = nullptr; }
  void SetUp() override {
    ASSERT_TRUE(waitPatch_.Applied());
    ASSERT_TRUE(peekPatch_.Applied());
  }

  PumpLog log_;
  test::ImportPatch waitPatch_;
  test::ImportPatch peekPatch_;
};

// A window of the waiting thread that counts the messages it is sent.
struct Receiver {
  std::vector<WPARAM> received;
  AutoResetEvent arrived;
};

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    auto* receiver = reinterpret_cast<Receiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    receiver->received.push_back(wParam);
    SetEvent(receiver->arrived.Get());
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(PumpingTest, DispatchesTheWaitingThreadsMessagesOnePerPass) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = ReceiverProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KelarPumpReceiver";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  Receiver receiver;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver));

  // The worker goes on only once each message has been handled on the
  // waiting thread: without dispatching, the job would never end.
  constexpr int kMessages = 5;
  std::atomic<int> handled{0};
  ComPtr<WorkJob> job = Start(new WorkJob(INFINITE, [&] {
    for (int i = 0; i < kMessages; ++i) {
      PostMessageW(window, WM_APP, static_cast<WPARAM>(i), 0);
      if (WaitForSingleObject(receiver.arrived.Get(), 10000) != WAIT_OBJECT_0) return;
      ++handled;
    }
  }));
  job->WaitWhilePumping();

  EXPECT_EQ(handled, kMessages);
  EXPECT_EQ(receiver.received, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
  EXPECT_GE(log_.passes, kMessages + 1);
  EXPECT_EQ(log_.mostPeeksInOnePass, 1);
  DestroyWindow(window);
  UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

TEST_F(PumpingTest, KeepsWaitingThroughAnyNumberOfTimedOutPasses) {
  std::atomic<bool> finished{false};
  ComPtr<WorkJob> job = Start(new WorkJob(2, [&] {
    Sleep(300);
    finished = true;
  }));
  job->WaitWhilePumping();
  EXPECT_TRUE(finished);
  EXPECT_GE(log_.timedOut, 10);
}

TEST_F(PumpingTest, AWaitThatFailsOutrightEndsWithAFailureInsteadOfSpinning) {
  AutoResetEvent gate;
  ComPtr<WorkJob> job = Start(new WorkJob(INFINITE, [&] { WaitForSingleObject(gate.Get(), 10000); }));
  // Had the wait gone round again, it would have come back on the later,
  // successful passes.
  log_.failuresToGive = 50;
  try {
    job->WaitWhilePumping();
    ADD_FAILURE() << "the failed wait was not reported";
  } catch (const SystemErrorException& e) {
    EXPECT_EQ(e.CallName(), "MsgWaitForMultipleObjectsEx");
    EXPECT_EQ(e.ErrorCode(), static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
  }
  EXPECT_EQ(log_.passes, 1);
  // The job is unharmed: it still ends, and its done event still arrives.
  log_.failuresToGive = 0;
  SetEvent(gate.Get());
  EXPECT_EQ(WaitForSingleObject(job->DoneEvent(), 10000), WAIT_OBJECT_0);
}

// Counts the waits WaitAlertable makes; fails a given number of them first.
struct AlertableLog {
  std::atomic<int> waits{0};
  std::atomic<int> failuresToGive{0};
  decltype(&WaitForMultipleObjectsEx) realWait = nullptr;
};
AlertableLog* alertableLog = nullptr;

DWORD WINAPI LoggingAlertableWait(DWORD count, const HANDLE* handles, BOOL all, DWORD timeout, BOOL alertable) {
  ++alertableLog->waits;
  if (alertableLog->failuresToGive > 0) {
    --alertableLog->failuresToGive;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return alertableLog->realWait(count, handles, all, timeout, alertable);
}

std::atomic<int> apcsRun{0};
void CALLBACK CountApc(ULONG_PTR) { ++apcsRun; }

TEST(WaitAlertableTest, ReturnsHowTheWaitEnded) {
  AlertableLog log;
  test::ImportPatch patch("WaitForMultipleObjectsEx", reinterpret_cast<const void*>(&LoggingAlertableWait));
  ASSERT_TRUE(patch.Applied());
  log.realWait = patch.Original<decltype(&WaitForMultipleObjectsEx)>();
  alertableLog = &log;

  AutoResetEvent unsignalled;
  AutoResetEvent signalled;
  // A mutex whose owner ended without releasing it.
  HANDLE abandoned = CreateMutexW(nullptr, FALSE, nullptr);
  HANDLE owner = CreateThread(
      nullptr, 0, [](void* mutex) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(mutex), 0); },
      abandoned, 0, nullptr);
  WaitForSingleObject(owner, INFINITE);
  CloseHandle(owner);

  struct Case {
    const char* name;
    HANDLE handle;
    bool signal;
    int apcs;      // queued to this thread before the wait
    int failures;  // outright failures the system reports first
    DWORD expected;
    int waits;
  };
  const Case cases[] = {
      {"timeout", unsignalled.Get(), false, 0, 0, WAIT_TIMEOUT, 1},
      {"signalled", signalled.Get(), true, 0, 0, WAIT_OBJECT_0, 1},
      {"abandoned", abandoned, false, 0, 0, WAIT_ABANDONED_0, 1},
      {"an APC runs, then the wait goes on", unsignalled.Get(), false, 1, 0, WAIT_TIMEOUT, 2},
      {"the wait fails", unsignalled.Get(), false, 0, 3, WAIT_FAILED, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.waits = 0;
    log.failuresToGive = c.failures;
    apcsRun = 0;
    if (c.signal) SetEvent(c.handle);
    for (int i = 0; i < c.apcs; ++i) QueueUserAPC(CountApc, GetCurrentThread(), 0);
    EXPECT_EQ(WaitAlertable(c.handle, 50), c.expected);
    EXPECT_EQ(log.waits, c.waits);
    EXPECT_EQ(apcsRun, c.apcs);
  }
  alertableLog = nullptr;
  CloseHandle(abandoned);
}

}  // namespace
}  // namespace kelar
