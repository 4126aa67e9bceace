#pragma once
// Shared pieces of the tests that run the translation core against the fake
// vendor library in a fresh program folder.

#include <windows.h>

#include <string>

#include "documents/engine_options.h"
#include "fakes/fake_vyn_control.h"
#include "harness/win/fresh_process.h"
#include "support/win/registry.h"

namespace kelar::test {

inline constexpr char kVendorSystemsKey[] = ".DEFAULT\\Software\\Kelar\\Vyn\\Systems";

// The fake as the program folder's Vyn.dll.
inline std::vector<FolderFile> FakeVendor(const wchar_t* fake = kFakeVyn) {
  return {FolderFile(fake, L"Vyn.dll")};
}

inline EngineOptions Options(std::u16string source = u"ps", std::u16string target = u"en",
                             std::u16string extra = u"") {
  auto entry = [](std::u16string name, std::u16string value) {
    return u"<t:Option Name=\"" + name + u"\">" + value + u"</t:Option>";
  };
  EngineOptions options;
  options.SetFromXml(entry(u"SourceLanguage", source) + entry(u"TranslationLanguage", target) + extra);
  return options;
}

inline void SetVendorKeyPresent(bool present) {
  const std::string ppfs = std::string(kVendorSystemsKey) + "\\ppfs";
  if (present) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_USERS, ppfs.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      RegCloseKey(key);
    }
  } else {
    RegDeleteKeyA(HKEY_USERS, ppfs.c_str());
  }
}

inline std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

inline bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace kelar::test
