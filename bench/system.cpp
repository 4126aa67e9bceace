#include "system.h"

#include <tlhelp32.h>

#include <cstdarg>
#include <cstdio>

#include "support/win/handle.h"
#include "support/win/registry_key.h"

namespace kelar::bench {

std::wstring WinePath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) {
    path += (*c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
  }
  return path;
}

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeFolder(const std::wstring& folder) {
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) { return CopyFileW(from.c_str(), to.c_str(), FALSE); }

bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool DeleteTree(const std::wstring& folder) {
  std::wstring base = folder;
  while (!base.empty() && base.back() == L'\\') base.pop_back();
  if (!FileExists(base)) return true;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = base + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(base.c_str());
  return !FileExists(base);
}

std::optional<DWORD> RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, FolderOf(exe).c_str(),
                      &startup, &process)) {
    return std::nullopt;
  }
  UniqueHandle thread(process.hThread);
  UniqueHandle child(process.hProcess);
  if (WaitForSingleObject(child.Get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(child.Get(), &code)) return std::nullopt;
  return code;
}

std::vector<DWORD> ProcessesOf(const std::wstring& exePath) {
  std::vector<DWORD> ids;
  const std::wstring name = exePath.substr(exePath.find_last_of(L'\\') + 1);
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, name.c_str()) != 0) continue;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    // Another installation's server may run under the same name.
    wchar_t image[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    DWORD code = 0;
    if (QueryFullProcessImageNameW(process.Get(), 0, image, &size) && lstrcmpiW(image, exePath.c_str()) == 0 &&
        GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  return ids;
}

bool WaitUntilNoProcessOf(const std::wstring& exePath, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!ProcessesOf(exePath).empty()) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(100);
  }
  return true;
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name) {
  UniqueHkey opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(opened.Get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || type != REG_SZ) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(opened.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

double Now() {
  static const double ticksPerSecond = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerSecond;
}

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stdout, format, arguments);
  va_end(arguments);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace kelar::bench
