#include "server/win/registrar.h"

#include <shlwapi.h>

#include <new>
#include <string>

#include "support/exceptions.h"
#include "support/win/bstr.h"
#include "support/win/registry_key.h"

namespace kelar {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
  }
  return nullptr;
}

bool IsGone(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

class Applier {
 public:
  explicit Applier(RegistrarMode mode) : mode_(mode) {}

  void Root(const ScriptRootBlock& block) {
    for (const ScriptKey& key : block.keys) Key(RootKey(block.root), key);
  }

  HRESULT Result() const { return result_; }

 private:
  void Note(LSTATUS status) {
    if (status != ERROR_SUCCESS && result_ == S_OK) result_ = HRESULT_FROM_WIN32(status);
  }

  void Key(HKEY parent, const ScriptKey& key) {
    if (mode_ == RegistrarMode::Register) {
      Register(parent, key);
    } else {
      Unregister(parent, key);
    }
  }

  void DeleteTree(HKEY parent, const ScriptKey& key) {
    const LSTATUS status = SHDeleteKeyW(parent, AsWide(key.name.c_str()));
    if (!IsGone(status)) Note(status);
  }

  void SetValue(HKEY key, const wchar_t* name, const ScriptValue& value) {
    if (value.kind == ScriptValue::Kind::Dword) {
      const DWORD number = value.number;
      Note(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number));
    } else {
      const DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
      Note(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()), bytes));
    }
  }

  void Register(HKEY parent, const ScriptKey& key) {
    if (key.removal == KeyRemoval::Deleted || key.removal == KeyRemoval::Replaced) DeleteTree(parent, key);
    if (key.removal == KeyRemoval::Deleted) return;
    UniqueHkey opened;
    const LSTATUS status = RegCreateKeyExW(parent, AsWide(key.name.c_str()), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, opened.Receive(), nullptr);
    if (status != ERROR_SUCCESS) {
      Note(status);
      return;
    }
    if (key.hasDefaultValue) SetValue(opened.Get(), nullptr, key.defaultValue);
    for (const auto& [name, value] : key.namedValues) SetValue(opened.Get(), AsWide(name.c_str()), value);
    for (const ScriptKey& subkey : key.subkeys) Register(opened.Get(), subkey);
  }

  void Unregister(HKEY parent, const ScriptKey& key) {
    if (key.removal != KeyRemoval::Kept) {
      DeleteTree(parent, key);
      return;
    }
    UniqueHkey opened;
    const LSTATUS status = RegOpenKeyExW(parent, AsWide(key.name.c_str()), 0, KEY_READ | KEY_WRITE, opened.Receive());
    if (status != ERROR_SUCCESS) {
      if (!IsGone(status)) Note(status);
      return;
    }
    for (const auto& named : key.namedValues) {
      const LSTATUS deleted = RegDeleteValueW(opened.Get(), AsWide(named.first.c_str()));
      if (!IsGone(deleted)) Note(deleted);
    }
    for (const ScriptKey& subkey : key.subkeys) Unregister(opened.Get(), subkey);
  }

  RegistrarMode mode_;
  HRESULT result_ = S_OK;
};

HRESULT LoadScript(HMODULE module, int resourceId, std::u16string& script) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_RESOURCE_DATA_NOT_FOUND);
  const int size = static_cast<int>(SizeofResource(module, resource));
  if (size == 0) return S_OK;
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes, size, nullptr, 0);
  if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
  script.resize(length);
  MultiByteToWideChar(CP_ACP, 0, bytes, size, reinterpret_cast<wchar_t*>(script.data()), length);
  return S_OK;
}

}  // namespace

HRESULT ApplyRegistrationScript(const std::vector<ScriptRootBlock>& script, RegistrarMode mode) {
  Applier applier(mode);
  for (const ScriptRootBlock& block : script) applier.Root(block);
  return applier.Result();
}

HRESULT RunRegistrationScript(HMODULE module, int resourceId, const ScriptReplacements& replacements,
                              RegistrarMode mode) {
  try {
    std::u16string text;
    const HRESULT hr = LoadScript(module, resourceId, text);
    if (FAILED(hr)) return hr;
    return ApplyRegistrationScript(ParseRegistrationScript(ExpandReplacements(text, replacements)), mode);
  } catch (const StringException&) {
    return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace kelar
