#include "server/win/registration.h"

#include <comcat.h>
#include <oleauto.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

#include "kelar_engine.h"
#include "server/win/registrar.h"
#include "support/win/bstr.h"
#include "support/win/registry_key.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

constexpr int kRegistrationScriptResource = 100;

// Marks the engine safe to initialise and to script from a web page's host.
const CATID kSafeForInitializing = {0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const CATID kSafeForScripting = {0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};

bool ModulePath(HMODULE module, std::wstring& path) {
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    path.resize(size);
    const DWORD length = GetModuleFileNameW(module, path.data(), size);
    if (length == 0) return false;
    if (length < size) {
      path.resize(length);
      return true;
    }
  }
  SetLastError(ERROR_FILENAME_EXCED_RANGE);
  return false;
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  UniqueHkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// Removes `name` below `parent` when it holds neither subkeys nor values.
void DeleteKeyIfEmpty(HKEY parent, const std::wstring& name) {
  DWORD subkeys = 0;
  DWORD values = 0;
  {
    UniqueHkey key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return;
    }
  }
  if (subkeys == 0 && values == 0) RegDeleteKeyW(parent, name.c_str());
}

HRESULT CategoryManager(ComPtr<ICatRegister>& manager) {
  return CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&manager));
}

HRESULT RegisterCategories() {
  ComPtr<ICatRegister> manager;
  HRESULT hr = CategoryManager(manager);
  if (FAILED(hr)) return hr;
  CATID categories[] = {kSafeForInitializing, kSafeForScripting};
  return manager->RegisterClassImplCategories(CLSID_TranslationEngine, 2, categories);
}

HRESULT UnregisterCategories() {
  const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_TranslationEngine);
  // The script has normally removed the class key, categories and all; the
  // category manager would call that a failure.
  if (!KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories")) return S_OK;
  ComPtr<ICatRegister> manager;
  HRESULT hr = CategoryManager(manager);
  if (FAILED(hr)) return hr;
  CATID categories[] = {kSafeForInitializing, kSafeForScripting};
  hr = manager->UnRegisterClassImplCategories(CLSID_TranslationEngine, 2, categories);
  UniqueHkey classes;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), 0, KEY_READ | KEY_WRITE, classes.Receive()) ==
      ERROR_SUCCESS) {
    DeleteKeyIfEmpty(classes.Get(), L"Implemented Categories");
    DeleteKeyIfEmpty(classes.Get(), L"Required Categories");
  }
  return hr;
}

// The engine's type library as the executable carries it, with the facts
// that name its registry keys.
struct OwnLibrary {
  ComPtr<ITypeLib> library;
  GUID id{};
  WORD major = 0;
  WORD minor = 0;
  LCID locale = 0;
  SYSKIND kind = SYS_WIN32;

  HRESULT Load(const std::wstring& modulePath) {
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    id = attributes->guid;
    major = attributes->wMajorVerNum;
    minor = attributes->wMinorVerNum;
    locale = attributes->lcid;
    kind = attributes->syskind;
    library->ReleaseTLibAttr(attributes);
    return S_OK;
  }

  std::wstring LibraryKey() const { return L"TypeLib\\" + GuidText(id); }

  std::wstring VersionKey() const {
    wchar_t version[16];
    std::swprintf(version, 16, L"%x.%x", major, minor);
    return LibraryKey() + L"\\" + version;
  }

  std::wstring LocaleKey(LCID forLocale) const {
    wchar_t text[16];
    std::swprintf(text, 16, L"%lx", static_cast<unsigned long>(forLocale));
    return VersionKey() + L"\\" + text;
  }

  const wchar_t* Platform() const { return kind == SYS_WIN64 ? L"win64" : kind == SYS_WIN16 ? L"win16" : L"win32"; }
};

HRESULT RegisterLibrary(const std::wstring& modulePath) {
  OwnLibrary own;
  HRESULT hr = own.Load(modulePath);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(own.library.Get(), const_cast<OLECHAR*>(modulePath.c_str()), nullptr);
  if (FAILED(hr)) return hr;
  // Wine's type-library marshaler looks the library up under the system
  // default locale, then the neutral ones, never under the library's own
  // 0x409; without this alias only IDispatch callers could reach the engine
  // from another process.
  UniqueHkey alias;
  const std::wstring aliasKey = own.LocaleKey(0) + L"\\" + own.Platform();
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, aliasKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, alias.Receive(), nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExW(alias.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(modulePath.c_str()),
                            static_cast<DWORD>((modulePath.size() + 1) * sizeof(wchar_t)));
  }
  return HRESULT_FROM_WIN32(status);
}

HRESULT UnregisterLibrary(const std::wstring& modulePath) {
  OwnLibrary own;
  HRESULT hr = own.Load(modulePath);
  if (FAILED(hr)) return hr;
  const LSTATUS status = SHDeleteKeyW(HKEY_CLASSES_ROOT, own.LocaleKey(0).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) hr = HRESULT_FROM_WIN32(status);
  if (KeyExists(HKEY_CLASSES_ROOT, own.LocaleKey(own.locale) + L"\\" + own.Platform())) {
    const HRESULT unregistered = UnRegisterTypeLib(own.id, own.major, own.minor, own.locale, own.kind);
    if (SUCCEEDED(hr)) hr = unregistered;
  }
  return hr;
}

}  // namespace

HRESULT RegisterServer(HMODULE module) {
  std::wstring path;
  if (!ModulePath(module, path)) return HRESULT_FROM_WIN32(GetLastError());
  RunRegistrationScript(module, kRegistrationScriptResource, ModuleReplacements(AsUtf16(path.c_str())),
                        RegistrarMode::Register);
  const HRESULT categories = RegisterCategories();
  const HRESULT library = RegisterLibrary(path);
  return FAILED(categories) ? categories : library;
}

HRESULT UnregisterServer(HMODULE module) {
  std::wstring path;
  if (!ModulePath(module, path)) return HRESULT_FROM_WIN32(GetLastError());
  RunRegistrationScript(module, kRegistrationScriptResource, ModuleReplacements(AsUtf16(path.c_str())),
                        RegistrarMode::Unregister);
  const HRESULT categories = UnregisterCategories();
  const HRESULT library = UnregisterLibrary(path);
  return FAILED(categories) ? categories : library;
}

}  // namespace kelar
