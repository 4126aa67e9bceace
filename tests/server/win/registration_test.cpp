// "/RegServer" and "/UnregServer" of the real executable, in the build's
// Wine prefix. Each test registers a copy of its own and leaves the registry
// as it found it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "server_harness.h"

namespace kelar::test {
namespace {

constexpr wchar_t kEngineListKey[] =
    L"Software\\Velora\\Wordferry Server\\Translation Engines\\Orvane Ps to En Translation Engine 1.0";
constexpr wchar_t kLibraryKey[] = L"TypeLib\\{93DF1E98-9C8B-4F2F-804F-892E53B1011E}";
constexpr wchar_t kAppIdKey[] = L"AppID\\{DE306D5F-29BA-414d-86D6-ECEC53C9603E}";
constexpr wchar_t kAppIdByFileKey[] = L"AppID\\Orvane Pashto Translation Engine.exe";
constexpr wchar_t kProgIdKey[] = L"QVKelarEnPsTranslationEngine.TranslationEngine.1";
constexpr wchar_t kIndependentProgIdKey[] = L"QVKelarEnPsTranslationEngine.TranslationEngine";
constexpr wchar_t kInterfaceKey[] = L"Interface\\{B0E170DA-B653-4B68-8292-B899CCB0BEA9}";

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += (c < 0x80) ? static_cast<char>(c) : '?';
  return out;
}

// The apostrophe checks that the doubling of quotes the registration script
// needs does not reach the stored path.
constexpr wchar_t kFolderWithApostrophe[] = L"O'Brien's engines";

TEST(Registration, RegServerWritesEveryKeyAndValue) {
  InstalledServer server(kFolderWithApostrophe);
  ASSERT_EQ(server.Run(L"/RegServer"), 0u);

  const std::wstring classKey = kClassKey;
  const std::wstring appId = L"{DE306D5F-29BA-414d-86D6-ECEC53C9603E}";
  const std::wstring className = L"Orvane Pashto Translation Engine Class";
  const std::wstring clsid = L"{C8D3A82F-3A1F-4539-B7E3-C7ADB33E7688}";
  struct Expected {
    HKEY root;
    std::wstring key;
    const wchar_t* value;  // null: the default value
    std::wstring text;
  };
  const Expected expected[] = {
      {HKEY_CLASSES_ROOT, kAppIdKey, nullptr, L"QVKelarEnPsTranslationEngine"},
      {HKEY_CLASSES_ROOT, kAppIdByFileKey, L"AppID", appId},
      {HKEY_LOCAL_MACHINE, kEngineListKey, L"ProgID", L"QVKelarEnPsTranslationEngine.TranslationEngine.1"},
      {HKEY_LOCAL_MACHINE, kEngineListKey, L"SourceLanguage", L"ps"},
      {HKEY_LOCAL_MACHINE, kEngineListKey, L"TranslationLanguage", L"en"},
      {HKEY_LOCAL_MACHINE, kEngineListKey, L"Version", L"1.0.0.1"},
      {HKEY_CLASSES_ROOT, kProgIdKey, nullptr, className},
      {HKEY_CLASSES_ROOT, std::wstring(kProgIdKey) + L"\\CLSID", nullptr, clsid},
      {HKEY_CLASSES_ROOT, kIndependentProgIdKey, nullptr, className},
      {HKEY_CLASSES_ROOT, std::wstring(kIndependentProgIdKey) + L"\\CLSID", nullptr, clsid},
      {HKEY_CLASSES_ROOT, classKey, nullptr, className},
      {HKEY_CLASSES_ROOT, classKey, L"AppID", appId},
      {HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, L"QVKelarEnPsTranslationEngine.TranslationEngine.1"},
      {HKEY_CLASSES_ROOT, classKey + L"\\VersionIndependentProgID", nullptr,
       L"QVKelarEnPsTranslationEngine.TranslationEngine"},
      {HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", nullptr, L"\"" + server.Path() + L"\""},
      {HKEY_CLASSES_ROOT, std::wstring(kLibraryKey) + L"\\3.1\\409\\win64", nullptr, server.Path()},
      // The alias under the neutral locale that Wine's marshaler looks for.
      {HKEY_CLASSES_ROOT, std::wstring(kLibraryKey) + L"\\3.1\\0\\win64", nullptr, server.Path()},
  };
  for (const Expected& e : expected) {
    const auto text = ReadString(e.root, e.key, e.value);
    ASSERT_TRUE(text.has_value()) << Narrow(e.key) << " " << (e.value ? Narrow(e.value) : "(default)");
    EXPECT_EQ(Narrow(*text), Narrow(e.text)) << Narrow(e.key);
  }
  for (const wchar_t* category : {L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}", L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}"}) {
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories\\" + category)) << Narrow(category);
  }
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kInterfaceKey));
}

TEST(Registration, UnregServerRemovesTheEngineAndKeepsSharedParents) {
  InstalledServer server;
  ASSERT_EQ(server.Run(L"/RegServer"), 0u);
  ASSERT_EQ(server.Run(L"/UnregServer"), 0u);

  struct Key {
    HKEY root;
    std::wstring path;
  };
  const Key gone[] = {
      {HKEY_LOCAL_MACHINE, kEngineListKey}, {HKEY_CLASSES_ROOT, kAppIdKey},
      {HKEY_CLASSES_ROOT, kAppIdByFileKey}, {HKEY_CLASSES_ROOT, kProgIdKey},
      {HKEY_CLASSES_ROOT, kIndependentProgIdKey}, {HKEY_CLASSES_ROOT, kClassKey},
      {HKEY_CLASSES_ROOT, kLibraryKey},     {HKEY_CLASSES_ROOT, kInterfaceKey},
  };
  for (const Key& key : gone) EXPECT_FALSE(KeyExists(key.root, key.path)) << Narrow(key.path);
  const Key kept[] = {
      {HKEY_LOCAL_MACHINE, L"Software\\Velora\\Wordferry Server\\Translation Engines"},
      {HKEY_LOCAL_MACHINE, L"Software\\Velora\\Wordferry Server"},
      {HKEY_LOCAL_MACHINE, L"Software\\Velora"},
      {HKEY_LOCAL_MACHINE, L"Software"},
      {HKEY_CLASSES_ROOT, L"AppID"},
      {HKEY_CLASSES_ROOT, L"CLSID"},
  };
  for (const Key& key : kept) EXPECT_TRUE(KeyExists(key.root, key.path)) << Narrow(key.path);

  // Everything is gone already: that counts as removed.
  EXPECT_EQ(server.Run(L"/UnregServer"), 0u);
}

TEST(Registration, OnlyASwitchThatEndsTheCommandLineActs) {
  InstalledServer server;
  struct Step {
    const wchar_t* arguments;
    bool registeredAfter;
  };
  const Step steps[] = {
      {L"/regserver", true},
      {L"-UNREGSERVER", false},
      // The first candidate runs on to the end; the last switch is the one.
      {L"/UnregServer /RegServer", true},
      {L"/RegServer -UnregServer", false},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(server.Run(step.arguments), 0u) << Narrow(step.arguments);
    EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, kClassKey), step.registeredAfter) << Narrow(step.arguments);
  }
}

}  // namespace
}  // namespace kelar::test
