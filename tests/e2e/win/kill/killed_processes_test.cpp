// Processes that die in the middle of a job. A killed client must not keep
// the engine from the others; a killed server must not lose the text it was
// translating. Under Wine a killed server stays registered with the RPC
// service, breaking later activations, and a killed client's engine is never
// released, so its server has to be ended from outside: these tests run only
// from run_killed_processes.sh, each in a wineserver session of its own.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../e2e_support.h"
#include "../installation.h"

namespace kelar::test::e2e {
namespace {

const std::wstring kA = L"\x0632\x0647 \x069A\x0647 \x06CC\x0645";  // "I am fine"
const std::wstring kB = L"\x0645\x0646\x0646\x0647";                // "thank you"

constexpr wchar_t kVictimVariable[] = L"KELAR_E2E_VICTIM";

std::wstring SelfPath() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return std::wstring(path, n);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() > end) return false;
    Sleep(20);
  }
  return true;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + pattern).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

// The client to be killed: one endless job, a piece every 50 ms.
void RunVictim() {
  ComApartment com;
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);
  SourcePlan plan;
  plan.texts = {kA};
  plan.endless = true;
  plan.delayMs = 50;
  auto source = Make<TestSource>(plan);
  auto sink = Make<TestSink>();
  engine->Translate(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get());
  ADD_FAILURE() << "the endless job ended";
}

TEST(KilledClient, TheServerGivesTheEngineToTheNextClient) {
  wchar_t role[4];
  if (GetEnvironmentVariableW(kVictimVariable, role, 4) > 0) {
    RunVictim();
    return;
  }

  ComApartment com;
  ClientInterfaces interfaces;
  Installation installation(Vendor::Fake);
  ASSERT_TRUE(installation.Registered());
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);
  const std::vector<DWORD> servers = ProcessesOf(installation.Server().Path());
  ASSERT_EQ(servers.size(), 1u);
  UniqueHandle server(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, servers[0]));
  ASSERT_TRUE(server);

  // The victim, with its output in a file (the server must not share a pipe
  // with it).
  const std::wstring victimOutput = installation.Folder() + L"victim.out";
  UniqueHandle victim;
  {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle output(CreateFileW(victimOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(output);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    std::wstring commandLine = L"\"" + SelfPath() + L"\" --gtest_filter=KilledClient.*";
    SetEnvironmentVariableW(kVictimVariable, L"1");
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kVictimVariable, nullptr);
    ASSERT_TRUE(started) << "cannot start the victim, error " << GetLastError();
    CloseHandle(process.hThread);
    victim.Reset(process.hProcess);
  }
  ASSERT_TRUE(WaitFor([&] { return FakeVynEvents(installation.Folder(), "translate").size() >= 3; }, 30000))
      << "the victim's job did not run:\n" << ReadBytes(victimOutput);

  // The next client's job waits for the engine behind the victim's.
  auto source = Make<TestSource>(SourcePlan{{kA, kB}});
  auto sink = Make<TestSink>();
  HRESULT result = E_UNEXPECTED;
  std::thread next([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    result = engine->Translate(Bstr(PashtoToEnglish()).Get(), source.Get(), sink.Get());
    CoUninitialize();
  });
  Sleep(500);
  EXPECT_EQ(WaitForSingleObject(source->FirstRead(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the next job ran beside the victim's";

  const double killed = NowMs();
  TerminateProcess(victim.Get(), 99);
  WaitForSingleObject(victim.Get(), 10000);
  const DWORD served = WaitForSingleObject(source->FirstRead(), 120000);
  const double noticed = NowMs();
  if (served != WAIT_OBJECT_0) {
    TerminateProcess(server.Get(), 99);  // lets the waiting call fail, so the thread ends
    next.join();
    FAIL() << "the server did not serve the next client within 120 s of the victim's death";
  }
  next.join();
  std::printf("[ measured ] the next client got the engine %.0f ms after the victim was killed\n",
              noticed - killed);
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(sink->Fragments(), (std::vector<std::wstring>{Fragment(kA), Fragment(kB)}));
  EXPECT_EQ(sink->Dones(), std::vector<long>{1});

  // The victim's engine has no one left to release it. Whether the server
  // still ends is up to the platform's clean-up of dead clients; report it.
  engine.Reset();
  if (WaitForSingleObject(server.Get(), 5000) == WAIT_OBJECT_0) {
    std::printf("[ measured ] the server ended after the last living client's release\n");
  } else {
    std::printf("[ measured ] the server keeps the dead client's engine and runs on; ending it\n");
    TerminateProcess(server.Get(), 99);
    WaitForSingleObject(server.Get(), 10000);
  }
}

// The server killed while the vendor translates, and the next server: a fixed
// program folder carries the leftover from the one test to the other.
const std::wstring kKilledServerFolder = L"C:\\kelar-tests\\killed-server\\";
constexpr wchar_t kBadInputs[] = L"C:\\Bad Inputs\\";

std::wstring KilledServerPath() { return kKilledServerFolder + kServerFileName; }

DWORD RunServer(const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + KilledServerPath() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kKilledServerFolder.c_str(),
                      &startup, &process)) {
    return 0xFFFFFFFF;
  }
  CloseHandle(process.hThread);
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return code;
}

struct CallOnThread {
  HRESULT hr = E_UNEXPECTED;
  IQVSTranslationEngine* engine = nullptr;
};

DWORD WINAPI TranslateOnThread(void* parameter) {
  auto* call = static_cast<CallOnThread*>(parameter);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  call->hr = TranslateText(call->engine, PashtoToEnglish(), kA).hr;
  CoUninitialize();
  return 0;
}

TEST(KilledServer, DiesWhileTheVendorTranslates) {
  DeleteTree(kKilledServerFolder);
  CopyInto(kKilledServerFolder, {FolderFile(BuiltServerPath(), kServerFileName), FolderFile(kFakeVyn, L"Vyn.dll")});
  ConfigureFakeVyn(kKilledServerFolder, "delay_ms=60000\n");
  ASSERT_EQ(RunServer(L"/RegServer"), 0u);

  ComApartment com;
  ComPtr<IQVSTranslationEngine> engine = CreateEngine();
  ASSERT_TRUE(engine);
  const std::vector<DWORD> servers = ProcessesOf(KilledServerPath());
  ASSERT_EQ(servers.size(), 1u);
  UniqueHandle server(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, servers[0]));
  ASSERT_TRUE(server);

  // A thread of our own, so that a call that never returns cannot hold the
  // test.
  CallOnThread call;
  call.engine = engine.Get();
  UniqueHandle caller(CreateThread(nullptr, 0, TranslateOnThread, &call, 0, nullptr));
  ASSERT_TRUE(caller);
  ASSERT_TRUE(WaitFor([] { return !FakeVynEvents(kKilledServerFolder, "translate").empty(); }, 30000))
      << "the vendor was never called";
  const std::wstring leftover = kKilledServerFolder + L"in_psen1.txt";
  const std::string input = ReadBytes(leftover);
  ASSERT_FALSE(input.empty());

  const double killed = NowMs();
  TerminateProcess(server.Get(), 99);
  WaitForSingleObject(server.Get(), 10000);
  const DWORD returned = WaitForSingleObject(caller.Get(), 60000);
  if (returned == WAIT_OBJECT_0) {
    std::printf("[ measured ] TranslateText failed with 0x%08lX %.0f ms after the server was killed\n",
                static_cast<unsigned long>(call.hr), NowMs() - killed);
    EXPECT_TRUE(FAILED(call.hr));
  } else {
    ADD_FAILURE() << "TranslateText did not return within 60 s of the server's death";
  }
  // The input the dead server was working on is still where it wrote it.
  EXPECT_EQ(ReadBytes(leftover), input);
  // The proxy of a dead server is not released: that would call into it.
  engine.Detach();
}

TEST(KilledServer, TheNextServerQuarantinesTheLeftoverInput) {
  // The registration and the folder go whatever happens here.
  struct Cleanup {
    ~Cleanup() {
      if (FileExists(KilledServerPath())) RunServer(L"/UnregServer");
      DeleteTree(kKilledServerFolder);
    }
  } cleanup;
  const std::wstring leftover = kKilledServerFolder + L"in_psen1.txt";
  const std::string input = ReadBytes(leftover);
  ASSERT_FALSE(input.empty()) << "the killed server left no input behind";
  const std::vector<std::wstring> before = FilesIn(kBadInputs, L"psen_*.txt");
  ConfigureFakeVyn(kKilledServerFolder, "");

  {
    ComApartment com;
    ComPtr<IQVSTranslationEngine> engine = CreateEngine();
    ASSERT_TRUE(engine);
    const std::vector<DWORD> servers = ProcessesOf(KilledServerPath());
    ASSERT_EQ(servers.size(), 1u);
    UniqueHandle server(OpenProcess(SYNCHRONIZE, FALSE, servers[0]));
    EXPECT_EQ(Features(engine.Get(), Bstr(PashtoToEnglish()).Get()).hr, S_OK);
    engine.Reset();
    EXPECT_EQ(WaitForSingleObject(server.Get(), 15000), WAIT_OBJECT_0);
  }

  EXPECT_FALSE(FileExists(leftover)) << "the leftover input is still in the program folder";
  std::vector<std::wstring> quarantined;
  for (const std::wstring& name : FilesIn(kBadInputs, L"psen_*.txt")) {
    bool old = false;
    for (const std::wstring& b : before) old = old || b == name;
    if (!old) quarantined.push_back(name);
  }
  ASSERT_EQ(quarantined.size(), 1u);
  EXPECT_EQ(ReadBytes(kBadInputs + quarantined[0]), input) << "the quarantined copy differs from the leftover";

  DeleteFileW((kBadInputs + quarantined[0]).c_str());
}

}  // namespace
}  // namespace kelar::test::e2e
