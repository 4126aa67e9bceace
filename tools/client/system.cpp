#include "system.h"

#include <cwchar>

#include "owners.h"

namespace kelar::client {

std::wstring ExecutablePath() {
  std::wstring path;
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    path.resize(size);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return std::wstring();
    if (length < size) {
      path.resize(length);
      return path;
    }
  }
  return std::wstring();
}

std::wstring HResultText(HRESULT hr) {
  wchar_t code[16];
  std::swprintf(code, sizeof code / sizeof code[0], L"0x%08lX", static_cast<unsigned long>(hr));
  std::wstring text = code;
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  if (length != 0 && message != nullptr) {
    std::wstring body(message, length);
    LocalFree(message);
    while (!body.empty() && (body.back() == L'\n' || body.back() == L'\r' || body.back() == L' ' ||
                             body.back() == L'.')) {
      body.pop_back();
    }
    if (!body.empty()) text += L" (" + body + L")";
  }
  return text;
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& path, const wchar_t* name) {
  UniqueHkey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

}  // namespace kelar::client
