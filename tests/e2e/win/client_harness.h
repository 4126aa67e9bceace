#pragma once
// Runs translate-client.exe against a copy of the server laid out with the
// bundled vendor engine in a fresh folder under drive C.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/win/fresh_process.h"
#include "server/win/server_harness.h"
#include "support/win/handle.h"
#include "translation_client.h"

namespace kelar::test::tool {

// A path of the build as Wine sees it through drive Z:.
inline std::wstring BuildPath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* p = unixPath; *p != '\0'; ++p) {
    path += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
  }
  return path;
}

inline std::wstring ClientPath() { return BuildPath(CLIENT_TEST_CLIENT_EXE); }

// The vendor engine's files, relative to the program folder.
inline const std::vector<std::wstring>& VendorFiles() {
  static const std::vector<std::wstring> files = {L"Vyn.dll", L"EnFa\\EN-FA.din", L"FaEn\\FA-EN.din"};
  return files;
}

// The server beside the vendor files, except those named in `omit`.
inline void AddVendorFiles(const InstalledServer& server, const std::vector<std::wstring>& omit = {}) {
  const std::wstring folder = server.Path().substr(0, server.Path().find_last_of(L'\\') + 1);
  const std::wstring vendor = BuildPath(CLIENT_TEST_VENDOR_DIR) + L"\\";
  std::vector<FolderFile> files;
  for (const std::wstring& file : VendorFiles()) {
    bool omitted = false;
    for (const std::wstring& o : omit) omitted = omitted || o == file;
    if (omitted) continue;
    const std::wstring source = vendor + file;
    files.emplace_back(source, file);
  }
  CopyInto(folder, files);
}

inline std::string ReadFileBytes(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  if (!file) return bytes;
  char buffer[8192];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

struct ClientRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out;  // UTF-8 as the client wrote it
  std::string err;
};

// Runs the client with `arguments` and collects its output through files: a
// server that COM starts inherits the client's handles, and a pipe would stay
// open until that server ends.
inline ClientRun RunClient(const std::wstring& arguments, DWORD timeoutMs = 120000) {
  ClientRun run;
  const std::wstring folder = MakeFreshFolder();
  const std::wstring outPath = folder + L"out.txt";
  const std::wstring errPath = folder + L"err.txt";
  {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueHandle out(CreateFileW(outPath.c_str(), GENERIC_WRITE, share, &inheritable, CREATE_ALWAYS, 0, nullptr));
    UniqueHandle err(CreateFileW(errPath.c_str(), GENERIC_WRITE, share, &inheritable, CREATE_ALWAYS, 0, nullptr));
    UniqueHandle in(CreateFileW(L"NUL", GENERIC_READ, share, &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!out || !err) {
      ADD_FAILURE() << "cannot create the output files, error " << GetLastError();
      return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Get();
    startup.hStdOutput = out.Get();
    startup.hStdError = err.Get();
    std::wstring commandLine = L"\"" + ClientPath() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
      ADD_FAILURE() << "cannot start translate-client, error " << GetLastError();
      return run;
    }
    UniqueHandle thread(process.hThread);
    UniqueHandle child(process.hProcess);
    if (WaitForSingleObject(child.Get(), timeoutMs) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "translate-client did not end";
      TerminateProcess(child.Get(), 99);
      WaitForSingleObject(child.Get(), 5000);
    }
    GetExitCodeProcess(child.Get(), &run.exitCode);
  }
  run.out = ReadFileBytes(outPath);
  run.err = ReadFileBytes(errPath);
  DeleteTree(folder);
  return run;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Leaves the client interfaces registered for marshaling only if they were
// before: the client registers its own type library where there is none, and
// the shared prefix must not keep that after a test.
class ClientInterfacesRestored {
 public:
  ClientInterfacesRestored() : wasRegistered_(Registered()) {}
  ~ClientInterfacesRestored() {
    if (wasRegistered_ || !Registered()) return;
    UnRegisterTypeLib(LIBID_KelarTranslationClientLib, 1, 0, 0, SYS_WIN64);
    // Registration writes both registry views; take out what is left.
    for (const IID* iid : {&__uuidof(ITranslationSource), &__uuidof(ITranslationSink)}) {
      wchar_t text[40] = {};
      StringFromGUID2(*iid, text, 40);
      for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"Interface\\") + text + L"\\TypeLib").c_str(), view, 0);
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"Interface\\") + text + L"\\ProxyStubClsid32").c_str(),
                        view, 0);
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"Interface\\") + text + L"\\ProxyStubClsid").c_str(),
                        view, 0);
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"Interface\\") + text).c_str(), view, 0);
      }
    }
  }
  ClientInterfacesRestored(const ClientInterfacesRestored&) = delete;
  ClientInterfacesRestored& operator=(const ClientInterfacesRestored&) = delete;

  static bool Registered() {
    wchar_t text[40] = {};
    StringFromGUID2(__uuidof(ITranslationSource), text, 40);
    return KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + text + L"\\TypeLib");
  }

 private:
  bool wasRegistered_;
};

}  // namespace kelar::test::tool
