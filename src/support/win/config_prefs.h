#pragma once
// Configuration kept as a machine-wide key below HKEY_LOCAL_MACHINE that each
// user may override with a key of the same shape below HKEY_CURRENT_USER
// (the machine path with "Velora" replaced by "Orvane").

#include <cstdint>
#include <string>
#include <vector>

#include "support/win/registry.h"

namespace kelar {

// Reads take the user's value when there is one, even 0 or empty, and the
// machine's otherwise. Writes go to the user's key only. Deletions try the
// machine key (where the user may have no right to write) and then the
// user's. Enumerations give the user's list, or the machine's when the user's
// is empty; they are never merged.
class ConfigPrefs : public Registry_Base {
 public:
  // `machinePath` is relative to HKEY_LOCAL_MACHINE. Touches no key.
  explicit ConfigPrefs(const std::string& machinePath);
  ~ConfigPrefs() override;

  bool ReadBinary(const std::string& valueName, std::vector<std::uint8_t>& data) override;
  bool ReadString(const std::string& valueName, std::string& value) override;
  bool ReadDword(const std::string& valueName, std::uint32_t& value) override;
  bool ReadBool(const std::string& valueName, bool& value) override;

  void WriteString(const std::string& valueName, const char* value) override;
  LONG WriteBinary(const std::string& valueName, std::uint32_t size, const void* data) override;
  LONG WriteString(const std::string& valueName, const std::string& value) override;
  LONG WriteDword(const std::string& valueName, std::uint32_t value) override;
  LONG WriteBool(const std::string& valueName, bool value) override;

  // True when either key lost the value or subkey. Only a user key that
  // cannot be opened for writing throws.
  bool DeleteValue(const std::string& valueName) override;
  bool DeleteKey(const std::string& subKeyName) override;

  std::vector<std::string> ValueNamesWithPrefix(const std::string& prefix) override;
  std::vector<std::string> ValueNames() override;
  std::vector<std::string> SubKeyNames() override;

 private:
  Registry machine_;
  Registry user_;
};

// This engine's configuration: the key named after the running executable
// below "Software\Velora\Configuration" (and the user's "Orvane" twin).
class EngineConfig : public ConfigPrefs {
 public:
  EngineConfig();
  ~EngineConfig() override;
};

// The running executable's full path in the ANSI code page ("" when the
// system cannot tell it).
std::string ExecutablePath();

// The running executable's file name without folder and extension, for
// example "Orvane Pashto Translation Engine". Computed once per process.
const std::string& ProgramBaseName();

}  // namespace kelar
