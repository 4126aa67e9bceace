#pragma once
// Helpers for tests that run the real server executable: a copy of it in a
// fresh program folder under drive C, its registration, its processes and
// the registry keys it writes.

#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "harness/win/fresh_process.h"
#include "support/win/handle.h"
#include "support/win/registry_key.h"

namespace kelar::test {

inline constexpr wchar_t kServerFileName[] = L"Orvane Pashto Translation Engine.exe";
inline constexpr wchar_t kClassKey[] = L"CLSID\\{C8D3A82F-3A1F-4539-B7E3-C7ADB33E7688}";

// The executable as built; Wine sees the build folder through drive Z:.
inline std::wstring BuiltServerPath() {
  const std::string unixPath = KELAR_SERVER_EXE_UNIX;
  std::wstring path = L"Z:";
  for (char c : unixPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// A REG_SZ value; nullopt when the key or value is missing or not a string.
inline std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || type != REG_SZ) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

// Processes whose image is `exePath`.
inline std::vector<DWORD> ProcessesOf(const std::wstring& exePath) {
  std::vector<DWORD> ids;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, kServerFileName) != 0) continue;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    wchar_t image[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process.Get(), 0, image, &size) && lstrcmpiW(image, exePath.c_str()) == 0) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  return ids;
}

// Enters the multithreaded apartment for one test.
class ComApartment {
 public:
  ComApartment() { EXPECT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// A copy of the built server in a fresh folder below C:\kelar-tests. On
// destruction it waits for the copy's server processes to end, unregisters
// the copy and deletes the folder, so no test leaves the shared prefix's
// registry changed.
class InstalledServer {
 public:
  explicit InstalledServer(const std::wstring& subfolder = L"") {
    folder_ = MakeFreshFolder();
    const std::wstring target = subfolder.empty() ? kServerFileName : subfolder + L"\\" + kServerFileName;
    CopyInto(folder_, {FolderFile(BuiltServerPath(), target)});
    path_ = folder_ + target;
  }

  ~InstalledServer() {
    if (!WaitUntilNoServer(15000)) {
      ADD_FAILURE() << "a server process of this test did not end; terminating it";
      for (DWORD id : ProcessesOf(path_)) {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process) {
          TerminateProcess(process.Get(), 99);
          WaitForSingleObject(process.Get(), 5000);
        }
      }
    }
    Run(L"/UnregServer");
    DeleteTree(folder_);
  }

  InstalledServer(const InstalledServer&) = delete;
  InstalledServer& operator=(const InstalledServer&) = delete;

  const std::wstring& Path() const { return path_; }

  // Starts the copy with `arguments` after its quoted path; the returned
  // process handle is owned by the caller.
  UniqueHandle Start(const std::wstring& arguments) const {
    std::wstring commandLine = L"\"" + path_ + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                        &process)) {
      ADD_FAILURE() << "cannot start the server, error " << GetLastError();
      return UniqueHandle();
    }
    CloseHandle(process.hThread);
    return UniqueHandle(process.hProcess);
  }

  // Runs the copy to its end and returns its exit code (0xFFFFFFFF when it
  // could not be run or did not end within a minute).
  DWORD Run(const std::wstring& arguments) const {
    UniqueHandle process = Start(arguments);
    if (!process) return 0xFFFFFFFF;
    if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the server did not end after " << std::string(arguments.begin(), arguments.end());
      TerminateProcess(process.Get(), 99);
      return 0xFFFFFFFF;
    }
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.Get(), &code);
    return code;
  }

  // The one running server process of this copy, for waiting on it.
  UniqueHandle OpenRunningServer() const {
    const std::vector<DWORD> ids = ProcessesOf(path_);
    if (ids.size() != 1) {
      ADD_FAILURE() << ids.size() << " server processes run from this copy, expected 1";
      return UniqueHandle();
    }
    return UniqueHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[0]));
  }

  bool WaitUntilNoServer(DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (!ProcessesOf(path_).empty()) {
      if (GetTickCount() - start > timeoutMs) return false;
      Sleep(50);
    }
    return true;
  }

 private:
  std::wstring folder_;
  std::wstring path_;
};

}  // namespace kelar::test
