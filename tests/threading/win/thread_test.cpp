// The worker-thread object: hook order and apartment, status values, failure
// handling, joint ownership by creator and worker, and refusal of jobs that
// could never be waited for or never become whole.

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/exceptions.h"
#include "threading/win/auto_reset_event.h"
#include "threading/win/ole_call_thread.h"
#include "threading/win/win_test_support.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

// What the probe jobs of one test did; reset for every test.
struct Record {
  std::mutex lock;
  std::vector<std::string> hooks;
  std::atomic<int> live{0};
  std::atomic<int> destroyed{0};
  std::atomic<int> statusInRun{-1};
  std::atomic<int> finalStatus{-1};
  std::atomic<bool> multithreadedApartment{false};
  std::atomic<DWORD> runThread{0};
  std::atomic<DWORD> destroyThread{0};

  void Hook(const char* name) {
    std::lock_guard<std::mutex> guard(lock);
    hooks.emplace_back(name);
  }
  std::vector<std::string> Hooks() {
    std::lock_guard<std::mutex> guard(lock);
    return hooks;
  }
};
Record* record = nullptr;

enum class Fail { kNothing, kStart, kRunWithSystemException, kRunWithOtherException };

class ProbeJob final : public OLECallThread {
 public:
  explicit ProbeJob(std::function<void()> work = {}, Fail fail = Fail::kNothing, DWORD passTimeoutMs = INFINITE)
      : OLECallThread(passTimeoutMs), work_(std::move(work)), fail_(fail) {
    ++record->live;
  }

 protected:
  ~ProbeJob() override {
    record->finalStatus = Status();
    record->destroyThread = GetCurrentThreadId();
    --record->live;
    ++record->destroyed;
  }
  void OnThreadStart() override {
    record->Hook("start");
    OLECallThread::OnThreadStart();
    if (fail_ == Fail::kStart) throw StringException("start");
  }
  void Run() override {
    record->Hook("run");
    record->statusInRun = Status();
    record->runThread = GetCurrentThreadId();
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    record->multithreadedApartment =
        SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && type == APTTYPE_MTA;
    if (work_) work_();
    if (fail_ == Fail::kRunWithSystemException) throw HResultException(E_UNEXPECTED);
    if (fail_ == Fail::kRunWithOtherException) throw std::runtime_error("run");
  }
  void OnThreadEnd() override {
    record->Hook("end");
    OLECallThread::OnThreadEnd();
  }

 private:
  std::function<void()> work_;
  Fail fail_;
};

// A job whose own constructor fails after the worker already exists.
class BrokenJob final : public OLECallThread {
 public:
  BrokenJob() : OLECallThread(INFINITE) { throw StringException("construction"); }

 protected:
  void OnThreadStart() override { record->Hook("start"); }
  void Run() override { record->Hook("run"); }
  void OnThreadEnd() override { record->Hook("end"); }
};

class ThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    record = &record_;
    // GoogleTest gives a thread its own watcher thread the first time it
    // keeps a trace there; let that happen before counting.
    { SCOPED_TRACE("warm-up"); }
    threadsBefore_ = test::ThreadsInProcess();
  }
  void TearDown() override {
    // Workers end on their own after their last release; none may be left.
    EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadsInProcess() <= threadsBefore_; }))
        << test::ThreadsInProcess() << " threads, " << threadsBefore_ << " before the test";
    EXPECT_EQ(record_.live, 0);
    record = nullptr;
  }
  static ComPtr<ProbeJob> Start(ProbeJob* job) {
    ComPtr<ProbeJob> held = job;  // the creator's reference
    held->Resume();
    return held;
  }
  bool AllDestroyed() {
    return test::WaitUntil([&] { return record_.live == 0; });
  }

  Record record_;
  int threadsBefore_ = 0;
};

TEST_F(ThreadTest, RunsTheHooksInOrderOnAWorkerInTheMultithreadedApartment) {
  ComPtr<ProbeJob> job = Start(new ProbeJob());
  job->WaitWhilePumping();
  job.Reset();
  ASSERT_TRUE(AllDestroyed());

  EXPECT_EQ(record_.Hooks(), (std::vector<std::string>{"start", "run", "end"}));
  EXPECT_EQ(record_.statusInRun, kThreadRunning);
  EXPECT_EQ(record_.finalStatus, kThreadFinished);
  EXPECT_TRUE(record_.multithreadedApartment);
  EXPECT_NE(record_.runThread, GetCurrentThreadId());
  EXPECT_EQ(record_.destroyed, 1);
}

TEST_F(ThreadTest, AFailureOnTheWorkerMarksItFailedAndStillWakesTheCaller) {
  struct Case {
    const char* name;
    Fail fail;
    std::vector<std::string> hooks;
  };
  const Case cases[] = {
      {"OnThreadStart fails", Fail::kStart, {"start", "end"}},
      {"Run raises a system exception", Fail::kRunWithSystemException, {"start", "run", "end"}},
      {"Run raises another exception", Fail::kRunWithOtherException, {"start", "run", "end"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record_.hooks.clear();
    record_.destroyed = 0;
    ComPtr<ProbeJob> job = Start(new ProbeJob({}, c.fail));
    job->WaitWhilePumping();
    // Failed is recorded before the done event, so the waiter can rely on it.
    EXPECT_EQ(job->Status(), kThreadFailed);
    job.Reset();
    ASSERT_TRUE(AllDestroyed());
    EXPECT_EQ(record_.Hooks(), c.hooks);
    EXPECT_EQ(record_.finalStatus, kThreadFailed);
    EXPECT_EQ(record_.destroyed, 1);
  }
}

TEST_F(ThreadTest, WhicheverReleaseComesLastDestroysTheObjectOnce) {
  // The creator lets go while the worker still runs: the worker destroys it.
  {
    AutoResetEvent gate;
    ProbeJob* job = new ProbeJob([&] { WaitForSingleObject(gate.Get(), 10000); });
    job->AddRef();
    job->Resume();
    EXPECT_EQ(job->Release(), 1);
    EXPECT_EQ(record_.live, 1);
    SetEvent(gate.Get());
    ASSERT_TRUE(AllDestroyed());
    EXPECT_EQ(record_.destroyed, 1);
    EXPECT_EQ(record_.destroyThread, record_.runThread);
  }
  // The worker lets go first: the creator's release destroys it, at once.
  {
    record_.destroyed = 0;
    ProbeJob* job = new ProbeJob();
    job->AddRef();
    job->Resume();
    job->WaitWhilePumping();
    // The worker signals before its release; wait until only ours is left.
    ASSERT_TRUE(test::WaitUntil([&] {
      const long references = job->AddRef();
      job->Release();
      return references == 2;
    }));
    EXPECT_EQ(record_.live, 1);
    EXPECT_EQ(job->Release(), 0);
    EXPECT_EQ(record_.live, 0);
    EXPECT_EQ(record_.destroyed, 1);
    EXPECT_EQ(record_.destroyThread, GetCurrentThreadId());
  }
}

// The ending server waits for workers that are still winding down.
TEST_F(ThreadTest, WaitForWorkersReturnsOnceTheLastWorkerHasEnded) {
  AutoResetEvent gate;
  ProbeJob* job = new ProbeJob([&] { WaitForSingleObject(gate.Get(), 10000); });
  job->AddRef();
  job->Resume();
  job->Release();
  EXPECT_FALSE(Thread::WaitForWorkers(50));
  SetEvent(gate.Get());
  EXPECT_TRUE(Thread::WaitForWorkers(10000));
  EXPECT_EQ(record_.destroyed, 1);  // its object went with it
}

TEST_F(ThreadTest, AJobWhoseConstructorFailsLeavesNoSuspendedWorkerBehind) {
  for (int i = 0; i < 10; ++i) {
    EXPECT_THROW((void)new BrokenJob(), StringException);
  }
  // The base let each worker go and waited for it, so they are gone already.
  EXPECT_LE(test::ThreadsInProcess(), threadsBefore_);
  // No worker looked at its half-built object.
  EXPECT_TRUE(record_.Hooks().empty());
}

TEST_F(ThreadTest, AJobIsRefusedWhenItsWorkerOrItsDoneEventCannotBeMade) {
  static const auto failingBeginThread = +[](void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned,
                                             unsigned*) -> uintptr_t { return 0; };
  static const auto failingCreateEvent = +[](LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCWSTR) -> HANDLE {
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return nullptr;
  };
  const DWORD handlesBefore = test::EventAndThreadHandles();
  {
    test::ImportPatch patch("_beginthreadex", reinterpret_cast<const void*>(failingBeginThread));
    ASSERT_TRUE(patch.Applied());
    try {
      (void)new ProbeJob();
      ADD_FAILURE() << "a job without a worker was built";
    } catch (const HResultException& e) {
      EXPECT_EQ(e.HResult(), E_FAIL);
    }
  }
  {
    // Nobody could ever learn that such a job has ended.
    test::ImportPatch patch("CreateEventW", reinterpret_cast<const void*>(failingCreateEvent));
    ASSERT_TRUE(patch.Applied());
    try {
      (void)new ProbeJob();
      ADD_FAILURE() << "a job without a done event was built";
    } catch (const SystemErrorException& e) {
      EXPECT_EQ(e.CallName(), "CreateEvent");
      EXPECT_EQ(e.ErrorCode(), static_cast<std::uint32_t>(ERROR_NO_SYSTEM_RESOURCES));
    }
  }
  EXPECT_LE(test::ThreadsInProcess(), threadsBefore_);
  EXPECT_EQ(test::EventAndThreadHandles(), handlesBefore);
  EXPECT_TRUE(record_.Hooks().empty());
}

TEST_F(ThreadTest, EveryJobGivesBackItsThreadAndHandles) {
  const DWORD handlesBefore = test::EventAndThreadHandles();
  {
    AutoResetEvent event;  // the count does see our handles
    ASSERT_EQ(test::EventAndThreadHandles(), handlesBefore + 1);
  }
  for (int i = 0; i < 20; ++i) {
    ComPtr<ProbeJob> job = Start(new ProbeJob({}, i % 2 ? Fail::kRunWithSystemException : Fail::kNothing));
    job->WaitWhilePumping();
  }
  ASSERT_TRUE(AllDestroyed());
  EXPECT_EQ(record_.destroyed, 20);
  EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadsInProcess() <= threadsBefore_; }));
  EXPECT_TRUE(test::WaitUntil([&] { return test::EventAndThreadHandles() <= handlesBefore; }))
      << test::EventAndThreadHandles() << " handles, " << handlesBefore << " before";
}

TEST(AutoResetEventTest, StartsUnsignalledAndResetsAfterOneWait) {
  AutoResetEvent event;
  EXPECT_EQ(WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(event.Get());
  EXPECT_EQ(WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
}  // namespace kelar
