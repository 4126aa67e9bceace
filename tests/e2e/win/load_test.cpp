// Many client processes using one server at the same time: every job gets
// its own fragments, in order, and its own end; nothing deadlocks; and the
// server still ends when the last engine goes.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "installation.h"

namespace kelar::test::e2e {
namespace {

constexpr int kClients = 8;
constexpr int kJobs = 20;
constexpr int kPieces = 10;
constexpr wchar_t kClientVariable[] = L"KELAR_E2E_LOAD_CLIENT";
constexpr wchar_t kStartEvent[] = L"Local\\kelar-e2e-load-start";
constexpr wchar_t kReadySemaphore[] = L"Local\\kelar-e2e-load-ready";

std::wstring SelfPath() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return std::wstring(path, n);
}

// One client process: waits for the start signal, then runs its jobs one
// after another, each piece marked with the client, job and piece number.
void RunClient(int client) {
  ComApartment com;
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);
  UniqueHandle start(OpenEventW(SYNCHRONIZE, FALSE, kStartEvent));
  UniqueHandle ready(OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, kReadySemaphore));
  ASSERT_TRUE(start && ready);
  ReleaseSemaphore(ready.Get(), 1, nullptr);
  ASSERT_EQ(WaitForSingleObject(start.Get(), 60000), WAIT_OBJECT_0);

  const UniqueBstr options = Bstr(PashtoToEnglish());
  for (int job = 0; job < kJobs; ++job) {
    SourcePlan plan;
    std::vector<std::wstring> expected;
    for (int piece = 0; piece < kPieces; ++piece) {
      // Starts in the source script, so that every piece goes through the
      // vendor and its exchange files.
      plan.texts.push_back(L"\x0632\x0647 c" + std::to_wstring(client) + L" j" + std::to_wstring(job) + L" p" +
                           std::to_wstring(piece));
      expected.push_back(Fragment(plan.texts.back()));
    }
    auto source = Make<TestSource>(plan);
    auto sink = Make<TestSink>();
    ASSERT_EQ(engine->Translate(options.Get(), source.Get(), sink.Get()), S_OK);
    ASSERT_EQ(sink->Fragments(), expected) << "client " << client << ", job " << job;
    ASSERT_EQ(sink->Dones(), std::vector<long>{1}) << "client " << client << ", job " << job;
  }
}

TEST(Load, EightClientProcessesShareTheServer) {
  wchar_t role[16];
  if (GetEnvironmentVariableW(kClientVariable, role, 16) > 0) {
    RunClient(_wtoi(role));
    return;
  }

  ComApartment com;
  ClientInterfaces interfaces;
  Installation installation(Vendor::Fake);
  ASSERT_TRUE(installation.Registered());
  // The server runs before the clients come, so that they all reach one
  // process; this engine keeps it alive until they are done.
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);
  UniqueHandle server = installation.Server().OpenRunningServer();
  ASSERT_TRUE(server);

  UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, kStartEvent));
  UniqueHandle ready(CreateSemaphoreW(nullptr, 0, kClients, kReadySemaphore));
  ASSERT_TRUE(start && ready);
  std::vector<UniqueHandle> clients;
  std::vector<std::wstring> outputs;
  // Clients left running by a failed assertion would hold the server.
  struct Reaper {
    std::vector<UniqueHandle>& clients;
    ~Reaper() {
      for (const UniqueHandle& client : clients) {
        if (WaitForSingleObject(client.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(client.Get(), 99);
      }
    }
  } reaper{clients};
  for (int client = 0; client < kClients; ++client) {
    // Each client's output goes to a file: a pipe shared with the server
    // would stay open as long as the server runs.
    outputs.push_back(installation.Folder() + L"client" + std::to_wstring(client) + L".out");
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle output(CreateFileW(outputs.back().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(output);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    std::wstring commandLine = L"\"" + SelfPath() + L"\" --gtest_filter=Load.EightClientProcessesShareTheServer";
    SetEnvironmentVariableW(kClientVariable, std::to_wstring(client).c_str());
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kClientVariable, nullptr);
    ASSERT_TRUE(started) << "cannot start client " << client << ", error " << GetLastError();
    CloseHandle(process.hThread);
    clients.emplace_back(process.hProcess);
  }

  // Every client has its engine before they start together.
  for (int client = 0; client < kClients; ++client) {
    ASSERT_EQ(WaitForSingleObject(ready.Get(), 60000), WAIT_OBJECT_0) << "a client did not get its engine";
  }
  const double begin = NowMs();
  SetEvent(start.Get());
  std::vector<HANDLE> handles;
  for (const UniqueHandle& client : clients) handles.push_back(client.Get());
  const DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, 150000);
  const double elapsed = NowMs() - begin;
  ASSERT_NE(waited, static_cast<DWORD>(WAIT_TIMEOUT))
      << "the clients did not finish within 150 s: a deadlock or a starved client";
  for (int client = 0; client < kClients; ++client) {
    DWORD code = 1;
    GetExitCodeProcess(clients[client].Get(), &code);
    EXPECT_EQ(code, 0u) << "client " << client << " failed:\n" << ReadBytes(outputs[client]);
  }
  std::printf("[ measured ] %d clients x %d jobs x %d pieces: %.0f ms\n", kClients, kJobs, kPieces, elapsed);
  EXPECT_EQ(FakeVynEvents(installation.Folder(), "translate").size(),
            static_cast<size_t>(kClients * kJobs * kPieces));

  engine.Reset();
  EXPECT_EQ(WaitForSingleObject(server.Get(), 15000), WAIT_OBJECT_0)
      << "the server still runs after the last engine was released";
}

}  // namespace
}  // namespace kelar::test::e2e
