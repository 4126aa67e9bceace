#include "support/win/registry.h"

#include <shlwapi.h>

#include <cstring>
#include <utility>

#include "support/exceptions.h"

namespace kelar {
namespace {

constexpr REGSAM kReadAccess = KEY_READ;  // 0x20019
constexpr REGSAM kWriteAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 0x2001F
static_assert(kReadAccess == 0x20019 && kWriteAccess == 0x2001F);

// Room for the longest value or key name the registry allows, plus its NUL.
constexpr DWORD kNameBufferSize = 260;

// The key path's components. Empty components (a doubled or trailing
// backslash) name no key and are passed over.
std::vector<std::string> PathComponents(const std::string& path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

bool StartsWithIgnoringCase(const std::string& name, const std::string& prefix) {
  if (name.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const unsigned char a = static_cast<unsigned char>(name[i]);
    const unsigned char b = static_cast<unsigned char>(prefix[i]);
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    if (lower(a) != lower(b)) return false;
  }
  return true;
}

// The open calls are not trusted to leave their out-parameter null when they
// fail, so a handle is adopted only on success.
LONG OpenKey(HKEY parent, const std::string& name, REGSAM access, UniqueHkey& key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(parent, name.c_str(), 0, access, &opened);
  key.Reset(status == ERROR_SUCCESS ? opened : nullptr);
  return status;
}

LONG CreateKey(HKEY parent, const std::string& name, UniqueHkey& key) {
  HKEY created = nullptr;
  const LONG status = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      kWriteAccess, nullptr, &created, nullptr);
  key.Reset(status == ERROR_SUCCESS ? created : nullptr);
  return status;
}

}  // namespace

bool Registry_Base::ReadBoolOr(const std::string& valueName, bool fallback) {
  bool value = false;
  return ReadBool(valueName, value) ? value : fallback;
}

Registry::Registry(HKEY root, std::string path) : root_(root), path_(std::move(path)) {}

Registry::~Registry() = default;

bool Registry::OpenForRead() {
  if (handle_) return true;
  writable_ = false;
  return OpenKey(root_, path_, kReadAccess, handle_) == ERROR_SUCCESS;
}

void Registry::OpenForWrite() {
  if (writable_) return;
  handle_.Reset();

  std::vector<std::string> components = PathComponents(path_);
  if (components.empty()) components.emplace_back();  // the root itself

  // The first component must exist already ("Software", ".DEFAULT"); below it
  // every missing key is created. Each owner closes its handle on the way out,
  // the thrown way included.
  UniqueHkey current;
  if (OpenKey(root_, components[0], kWriteAccess, current) != ERROR_SUCCESS) {
    throw RegistryKeyMissing(path_);
  }
  for (size_t i = 1; i < components.size(); ++i) {
    UniqueHkey next;
    if (CreateKey(current.Get(), components[i], next) != ERROR_SUCCESS) {
      throw RegistryKeyMissing(path_);
    }
    current = std::move(next);
  }
  handle_ = std::move(current);
  writable_ = true;
}

bool Registry::ReadBinary(const std::string& valueName, std::vector<std::uint8_t>& data) {
  if (!OpenForRead()) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(handle_.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      size == 0 || type != REG_BINARY) {
    return false;
  }
  std::vector<std::uint8_t> buffer(size);
  if (RegQueryValueExA(handle_.Get(), valueName.c_str(), nullptr, &type, buffer.data(), &size) !=
          ERROR_SUCCESS ||
      type != REG_BINARY) {
    return false;
  }
  buffer.resize(size);
  data = std::move(buffer);
  return true;
}

bool Registry::ReadString(const std::string& valueName, std::string& value) {
  if (!OpenForRead()) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(handle_.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  std::string buffer(size, '\0');
  if (size != 0 &&
      (RegQueryValueExA(handle_.Get(), valueName.c_str(), nullptr, &type,
                        reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
       type != REG_SZ)) {
    return false;
  }
  buffer.resize(size);
  // A value stored without its terminator keeps its last character.
  if (!buffer.empty() && buffer.back() == '\0') buffer.pop_back();
  value = std::move(buffer);
  return true;
}

bool Registry::ReadDword(const std::string& valueName, std::uint32_t& value) {
  if (!OpenForRead()) return false;
  DWORD type = 0;
  DWORD number = 0;
  DWORD size = sizeof number;
  if (RegQueryValueExA(handle_.Get(), valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return false;
  }
  value = number;
  return true;
}

bool Registry::ReadBool(const std::string& valueName, bool& value) {
  std::uint32_t number = 0;
  if (!ReadDword(valueName, number)) return false;
  value = number != 0;
  return true;
}

void Registry::WriteString(const std::string& valueName, const char* value) {
  WriteString(valueName, std::string(value ? value : ""));
}

LONG Registry::WriteBinary(const std::string& valueName, std::uint32_t size, const void* data) {
  OpenForWrite();
  return RegSetValueExA(handle_.Get(), valueName.c_str(), 0, REG_BINARY,
                        static_cast<const BYTE*>(data), size);
}

LONG Registry::WriteString(const std::string& valueName, const std::string& value) {
  OpenForWrite();
  return RegSetValueExA(handle_.Get(), valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1));
}

LONG Registry::WriteDword(const std::string& valueName, std::uint32_t value) {
  OpenForWrite();
  const DWORD number = value;
  return RegSetValueExA(handle_.Get(), valueName.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&number), sizeof number);
}

LONG Registry::WriteBool(const std::string& valueName, bool value) {
  return WriteDword(valueName, value ? 1 : 0);
}

bool Registry::DeleteValue(const std::string& valueName) {
  OpenForWrite();
  return RegDeleteValueA(handle_.Get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool Registry::DeleteKey(const std::string& subKeyName) {
  OpenForWrite();
  // An empty name would make SHDeleteKeyA empty this key itself.
  if (subKeyName.empty()) return false;
  return SHDeleteKeyA(handle_.Get(), subKeyName.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> Registry::ValueNamesWithPrefix(const std::string& prefix) {
  std::vector<std::string> names;
  if (!OpenForRead()) return names;
  for (DWORD index = 0;; ++index) {
    char name[kNameBufferSize];
    name[0] = '\0';
    DWORD length = kNameBufferSize;
    const LONG status =
        RegEnumValueA(handle_.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS || name[0] == '\0') break;
    std::string found(name, strnlen(name, kNameBufferSize));
    if (StartsWithIgnoringCase(found, prefix)) names.push_back(std::move(found));
  }
  return names;
}

std::vector<std::string> Registry::ValueNames() { return ValueNamesWithPrefix(std::string()); }

std::vector<std::string> Registry::SubKeyNames() {
  std::vector<std::string> names;
  if (!OpenForRead()) return names;
  for (DWORD index = 0;; ++index) {
    char name[kNameBufferSize];
    name[0] = '\0';
    DWORD length = kNameBufferSize;
    if (RegEnumKeyExA(handle_.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, strnlen(name, kNameBufferSize));
  }
  return names;
}

bool KeyExists(HKEY root, const std::string& path) {
  UniqueHkey key;
  return OpenKey(root, path, kReadAccess, key) == ERROR_SUCCESS;
}

}  // namespace kelar
