#include "support/win/config_prefs.h"

#include <windows.h>

#include "support/exceptions.h"
#include "support/registry_paths.h"

namespace kelar {
namespace {

template <typename Read>
bool UserThenMachine(Registry& user, Registry& machine, Read read) {
  return read(user) || read(machine);
}

template <typename Delete>
bool MachineThenUser(Registry& machine, Registry& user, Delete erase) {
  bool deleted = false;
  try {
    deleted = erase(machine);
  } catch (const RegistryKeyMissing&) {
    // Most users may not write below HKEY_LOCAL_MACHINE at all; that must not
    // keep their own setting from being deleted.
  }
  return erase(user) || deleted;
}

}  // namespace

ConfigPrefs::ConfigPrefs(const std::string& machinePath)
    : machine_(HKEY_LOCAL_MACHINE, machinePath), user_(HKEY_CURRENT_USER, UserKeyPath(machinePath)) {}

ConfigPrefs::~ConfigPrefs() = default;

bool ConfigPrefs::ReadBinary(const std::string& valueName, std::vector<std::uint8_t>& data) {
  return UserThenMachine(user_, machine_, [&](Registry& r) { return r.ReadBinary(valueName, data); });
}

bool ConfigPrefs::ReadString(const std::string& valueName, std::string& value) {
  return UserThenMachine(user_, machine_, [&](Registry& r) { return r.ReadString(valueName, value); });
}

bool ConfigPrefs::ReadDword(const std::string& valueName, std::uint32_t& value) {
  return UserThenMachine(user_, machine_, [&](Registry& r) { return r.ReadDword(valueName, value); });
}

bool ConfigPrefs::ReadBool(const std::string& valueName, bool& value) {
  return UserThenMachine(user_, machine_, [&](Registry& r) { return r.ReadBool(valueName, value); });
}

void ConfigPrefs::WriteString(const std::string& valueName, const char* value) {
  user_.WriteString(valueName, value);
}

LONG ConfigPrefs::WriteBinary(const std::string& valueName, std::uint32_t size, const void* data) {
  return user_.WriteBinary(valueName, size, data);
}

LONG ConfigPrefs::WriteString(const std::string& valueName, const std::string& value) {
  return user_.WriteString(valueName, value);
}

LONG ConfigPrefs::WriteDword(const std::string& valueName, std::uint32_t value) {
  return user_.WriteDword(valueName, value);
}

LONG ConfigPrefs::WriteBool(const std::string& valueName, bool value) {
  return user_.WriteBool(valueName, value);
}

bool ConfigPrefs::DeleteValue(const std::string& valueName) {
  return MachineThenUser(machine_, user_, [&](Registry& r) { return r.DeleteValue(valueName); });
}

bool ConfigPrefs::DeleteKey(const std::string& subKeyName) {
  return MachineThenUser(machine_, user_, [&](Registry& r) { return r.DeleteKey(subKeyName); });
}

std::vector<std::string> ConfigPrefs::ValueNamesWithPrefix(const std::string& prefix) {
  std::vector<std::string> names = user_.ValueNamesWithPrefix(prefix);
  return names.empty() ? machine_.ValueNamesWithPrefix(prefix) : names;
}

std::vector<std::string> ConfigPrefs::ValueNames() {
  std::vector<std::string> names = user_.ValueNames();
  return names.empty() ? machine_.ValueNames() : names;
}

std::vector<std::string> ConfigPrefs::SubKeyNames() {
  std::vector<std::string> names = user_.SubKeyNames();
  return names.empty() ? machine_.SubKeyNames() : names;
}

std::string ExecutablePath() {
  // The buffer grows until the path fits: a cut path would name another file.
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

EngineConfig::EngineConfig() : ConfigPrefs(ConfigurationKeyPath(ProgramBaseName())) {}

EngineConfig::~EngineConfig() = default;

const std::string& ProgramBaseName() {
  static const std::string name = FileBaseName(ExecutablePath());
  return name;
}

}  // namespace kelar
