#pragma once
// Typed access to registry values through the 8-bit registry functions. Key
// paths, value names and string values are bytes in the system ANSI code page.
//
// Reads and enumerations never throw: a missing key, a missing value or a
// value of another type makes the read fail and the caller's default apply.
// Writes and deletions open (and create) the key path first and throw
// RegistryKeyMissing with the path when that is impossible; after that, a
// failing write shows only in its status and a failing deletion in `false`.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/win/registry_key.h"

namespace kelar {

class Registry_Base {
 public:
  virtual ~Registry_Base() = default;

  // REG_BINARY of at least one byte. `data` is replaced only on success.
  virtual bool ReadBinary(const std::string& valueName, std::vector<std::uint8_t>& data) = 0;
  // REG_SZ only (not REG_EXPAND_SZ or REG_MULTI_SZ), without its terminating NUL.
  virtual bool ReadString(const std::string& valueName, std::string& value) = 0;
  // REG_DWORD only: a REG_SZ holding "1" is not a number here.
  virtual bool ReadDword(const std::string& valueName, std::uint32_t& value) = 0;
  // A REG_DWORD; any non-zero value is true.
  virtual bool ReadBool(const std::string& valueName, bool& value) = 0;

  // Same as the std::string form, without its status.
  virtual void WriteString(const std::string& valueName, const char* value) = 0;
  // The write functions return the Win32 status of the write, 0 on success.
  virtual LONG WriteBinary(const std::string& valueName, std::uint32_t size, const void* data) = 0;
  virtual LONG WriteString(const std::string& valueName, const std::string& value) = 0;
  virtual LONG WriteDword(const std::string& valueName, std::uint32_t value) = 0;
  virtual LONG WriteBool(const std::string& valueName, bool value) = 0;

  virtual bool DeleteValue(const std::string& valueName) = 0;
  // Removes the subkey with everything below it.
  virtual bool DeleteKey(const std::string& subKeyName) = 0;

  // Names in the registry's own order. The value lists end at the first value
  // with an empty name.
  virtual std::vector<std::string> ValueNamesWithPrefix(const std::string& prefix) = 0;
  virtual std::vector<std::string> ValueNames() = 0;
  virtual std::vector<std::string> SubKeyNames() = 0;

  // ReadBool, or `fallback` when that fails.
  bool ReadBoolOr(const std::string& valueName, bool fallback);

 protected:
  Registry_Base() = default;
  Registry_Base(const Registry_Base&) = default;
  Registry_Base& operator=(const Registry_Base&) = default;
};

// One key below one predefined root. Nothing touches the registry until the
// first operation: a read opens the key for reading (and tries again next
// time when it cannot), a write or deletion opens or creates it for writing,
// and from then on every operation uses that handle.
class Registry : public Registry_Base {
 public:
  // `root` is HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_USERS; `path` is
  // relative to it, components separated by backslashes.
  Registry(HKEY root, std::string path);
  ~Registry() override;

  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  bool ReadBinary(const std::string& valueName, std::vector<std::uint8_t>& data) override;
  bool ReadString(const std::string& valueName, std::string& value) override;
  bool ReadDword(const std::string& valueName, std::uint32_t& value) override;
  bool ReadBool(const std::string& valueName, bool& value) override;

  void WriteString(const std::string& valueName, const char* value) override;
  LONG WriteBinary(const std::string& valueName, std::uint32_t size, const void* data) override;
  LONG WriteString(const std::string& valueName, const std::string& value) override;
  LONG WriteDword(const std::string& valueName, std::uint32_t value) override;
  LONG WriteBool(const std::string& valueName, bool value) override;

  bool DeleteValue(const std::string& valueName) override;
  bool DeleteKey(const std::string& subKeyName) override;

  std::vector<std::string> ValueNamesWithPrefix(const std::string& prefix) override;
  std::vector<std::string> ValueNames() override;
  std::vector<std::string> SubKeyNames() override;

  const std::string& Path() const { return path_; }

 private:
  // False when the key cannot be opened; the handle stays closed then.
  bool OpenForRead();
  // Throws RegistryKeyMissing with the path when the key cannot be opened or
  // created for writing.
  void OpenForWrite();

  HKEY root_;
  UniqueHkey handle_;
  std::string path_;
  bool writable_ = false;
};

// True when root\path can be opened for reading. Creates nothing.
bool KeyExists(HKEY root, const std::string& path);

}  // namespace kelar
