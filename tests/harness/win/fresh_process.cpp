#include "harness/win/fresh_process.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace kelar::test {
namespace {

constexpr wchar_t kChildVariable[] = L"KELAR_FRESH_PROCESS";
// Where the test executables were built: the parent's folder, handed down so
// that a child can still copy fakes and other build outputs.
constexpr wchar_t kBuildFolderVariable[] = L"KELAR_TEST_BUILD_FOLDER";

std::wstring Widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());  // test names are ASCII
}

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() { if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }
 private:
  HANDLE h_;
};

void CreateFolderPath(const std::wstring& path) {
  // Create each component; existing ones are fine.
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') {
      std::wstring part = path.substr(0, i);
      if (!part.empty()) CreateDirectoryW(part.c_str(), nullptr);
    }
  }
}

}  // namespace

bool IsFreshProcess() {
  wchar_t value[8];
  return GetEnvironmentVariableW(kChildVariable, value, 8) > 0;
}

std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring s(path, n);
  return s.substr(0, s.find_last_of(L'\\') + 1);
}

std::wstring MakeFreshFolder() {
  static std::atomic<int> counter{0};
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::wstring name = info ? Widen(std::string(info->test_suite_name()) + "." + info->name()) : L"test";
  for (auto& c : name) {
    if (!iswalnum(c) && c != L'.' && c != L'_') c = L'_';
  }
  const std::wstring root = L"C:\\kelar-tests\\";
  CreateFolderPath(root);
  for (;;) {
    std::wstring folder = root + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(counter++) + L"\\";
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create a test folder, error " << GetLastError();
      return folder;
    }
  }
}

std::wstring BuildFolder() {
  wchar_t value[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(kBuildFolderVariable, value, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) return std::wstring(value, n);
  return ExecutableFolder();
}

void CopyInto(const std::wstring& folder, const std::vector<FolderFile>& files) {
  const std::wstring exeFolder = BuildFolder();
  for (const FolderFile& f : files) {
    std::wstring source = PathIsRelativeW(f.source.c_str()) ? exeFolder + f.source : f.source;
    std::wstring target = folder + f.target;
    size_t slash = target.find_last_of(L'\\');
    if (slash != std::wstring::npos) CreateFolderPath(target.substr(0, slash));
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) {
      ADD_FAILURE() << "cannot copy a file into the test folder, error " << GetLastError();
    }
  }
}

void DeleteTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = base + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(base.c_str());
}

namespace {

std::wstring SelfPath() {
  wchar_t self[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  return std::wstring(self, n);
}

}  // namespace

void RunCurrentTestInFreshProcess(const std::vector<FolderFile>& files, unsigned timeoutMs) {
  const std::wstring selfPath = SelfPath();
  RunCurrentTestInFreshProcessAs(selfPath.substr(selfPath.find_last_of(L'\\') + 1), files,
                                 timeoutMs);
}

void RunCurrentTestInFreshProcessAs(const std::wstring& exeTarget,
                                    const std::vector<FolderFile>& files, unsigned timeoutMs) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  ASSERT_NE(info, nullptr);
  const std::wstring folder = MakeFreshFolder();

  std::vector<FolderFile> all{FolderFile(SelfPath(), exeTarget)};
  all.insert(all.end(), files.begin(), files.end());
  CopyInto(folder, all);

  const std::wstring exePath = folder + exeTarget;
  const std::wstring workFolder = exePath.substr(0, exePath.find_last_of(L'\\') + 1);
  std::wstring filter = Widen(std::string(info->test_suite_name()) + "." + info->name());
  std::wstring commandLine = L"\"" + exePath + L"\" --gtest_filter=" + filter;

  SetEnvironmentVariableW(kChildVariable, L"1");
  SetEnvironmentVariableW(kBuildFolderVariable, BuildFolder().c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                workFolder.c_str(), &startup, &process);
  DWORD startError = GetLastError();
  SetEnvironmentVariableW(kChildVariable, nullptr);
  ASSERT_TRUE(started) << "CreateProcess failed, error " << startError;
  Handle processHandle(process.hProcess);
  Handle threadHandle(process.hThread);

  DWORD waited = WaitForSingleObject(processHandle.Get(), timeoutMs);
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(processHandle.Get(), 99);
    WaitForSingleObject(processHandle.Get(), 5000);
    FAIL() << "the test's own process did not end within " << timeoutMs << " ms";
  }
  DWORD exitCode = 1;
  GetExitCodeProcess(processHandle.Get(), &exitCode);
  EXPECT_EQ(exitCode, 0u) << "the test failed in its own process (see its output above); folder kept";
  if (exitCode == 0) DeleteTree(folder);
}

}  // namespace kelar::test
