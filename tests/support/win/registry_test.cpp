#include "support/win/registry.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "harness/win/fresh_process.h"
#include "support/exceptions.h"
#include "support/registry_paths.h"
#include "support/win/config_prefs.h"

namespace kelar {
namespace {

using Names = std::vector<std::string>;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Removes, at the end of a test, the shallowest key of `path` that did not
// exist at its start, so the test leaves no parent key behind either.
class KeyCleanup {
 public:
  KeyCleanup(HKEY root, const std::string& path) : root_(root) {
    size_t end = 0;
    while (end != std::string::npos) {
      end = path.find('\\', end + 1);
      const std::string prefix = path.substr(0, end);
      if (!KeyExists(root, prefix)) {
        created_ = prefix;
        break;
      }
    }
  }
  ~KeyCleanup() {
    if (!created_.empty()) SHDeleteKeyA(root_, created_.c_str());
  }
  KeyCleanup(const KeyCleanup&) = delete;
  KeyCleanup& operator=(const KeyCleanup&) = delete;

 private:
  HKEY root_;
  std::string created_;
};

// Stores a value with any type and bytes, bypassing the classes under test.
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::string UniqueKeyName() {
  return "KelarRegistryTests-" + std::to_string(GetCurrentProcessId()) + "-" +
         testing::UnitTest::GetInstance()->current_test_info()->name();
}

// A key of the test's own below HKEY_CURRENT_USER\Software.
class RegistryTest : public testing::Test {
 protected:
  const std::string path_ = "Software\\" + UniqueKeyName();
  KeyCleanup cleanup_{HKEY_CURRENT_USER, path_};
};

TEST_F(RegistryTest, ReadsAcceptOnlyTheirOwnValueType) {
  const std::string dword1("\x01\0\0\0", 4);
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
    bool isDword, isString, isBinary;
  };
  const Case cases[] = {
      {"dword", REG_DWORD, dword1, true, false, false},
      {"text one", REG_SZ, std::string("1\0", 2), false, true, false},
      {"expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7), false, false, false},
      {"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5), false, false, false},
      {"binary", REG_BINARY, dword1, false, false, true},
      {"empty binary", REG_BINARY, "", false, false, false},
  };
  for (const Case& c : cases) SetRaw(HKEY_CURRENT_USER, path_, c.name, c.type, c.bytes);

  Registry key(HKEY_CURRENT_USER, path_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint32_t number = 77;
    bool flag = false;
    std::string text = "untouched";
    std::vector<std::uint8_t> data{9};
    EXPECT_EQ(key.ReadDword(c.name, number), c.isDword);
    EXPECT_EQ(key.ReadBool(c.name, flag), c.isDword);
    EXPECT_EQ(key.ReadString(c.name, text), c.isString);
    EXPECT_EQ(key.ReadBinary(c.name, data), c.isBinary);
    // A failed read leaves its out argument alone.
    EXPECT_EQ(number, c.isDword ? 1u : 77u);
    EXPECT_EQ(flag, c.isDword);
    EXPECT_EQ(text, c.isString ? "1" : "untouched");
    const std::vector<std::uint8_t> expectedData =
        c.isBinary ? std::vector<std::uint8_t>{1, 0, 0, 0} : std::vector<std::uint8_t>{9};
    EXPECT_EQ(data, expectedData);
  }
  EXPECT_TRUE(key.ReadBoolOr("missing", true));
  EXPECT_FALSE(key.ReadBoolOr("text one", false));
}

TEST_F(RegistryTest, WrittenValuesReadBack) {
  Registry key(HKEY_CURRENT_USER, path_ + "\\new\\deeper");
  const std::uint8_t bytes[] = {0, 1, 2, 255};
  EXPECT_EQ(key.WriteString("s", std::string("caf\xE9")), ERROR_SUCCESS);
  key.WriteString("c", "text");
  EXPECT_EQ(key.WriteString("empty", std::string()), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteDword("d", 0xFFFFFFFFu), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteBool("b", true), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteBinary("bin", sizeof bytes, bytes), ERROR_SUCCESS);

  Registry reader(HKEY_CURRENT_USER, path_ + "\\new\\deeper");
  std::string text;
  std::uint32_t number = 0;
  std::vector<std::uint8_t> data;
  EXPECT_TRUE(reader.ReadString("s", text));
  EXPECT_EQ(text, "caf\xE9");
  EXPECT_TRUE(reader.ReadString("c", text));
  EXPECT_EQ(text, "text");
  EXPECT_TRUE(reader.ReadString("empty", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(reader.ReadDword("d", number));
  EXPECT_EQ(number, 0xFFFFFFFFu);
  EXPECT_TRUE(reader.ReadDword("b", number));
  EXPECT_EQ(number, 1u);
  EXPECT_TRUE(reader.ReadBinary("bin", data));
  EXPECT_EQ(data, std::vector<std::uint8_t>(bytes, bytes + sizeof bytes));

  // A string stored without its terminator keeps its last character.
  SetRaw(HKEY_CURRENT_USER, path_, "unterminated", REG_SZ, "abc");
  EXPECT_TRUE(Registry(HKEY_CURRENT_USER, path_).ReadString("unterminated", text));
  EXPECT_EQ(text, "abc");
}

TEST_F(RegistryTest, ReadingNeverCreatesTheKeyAndRetriesTheOpenNextTime) {
  Registry reader(HKEY_CURRENT_USER, path_ + "\\late");
  std::uint32_t number = 0;
  EXPECT_FALSE(reader.ReadDword("v", number));
  EXPECT_TRUE(reader.ValueNames().empty());
  EXPECT_TRUE(reader.SubKeyNames().empty());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path_));

  Registry(HKEY_CURRENT_USER, path_ + "\\late").WriteDword("v", 5);
  EXPECT_TRUE(reader.ReadDword("v", number));
  EXPECT_EQ(number, 5u);
}

TEST_F(RegistryTest, WriteHandleServesLaterReads) {
  Registry key(HKEY_CURRENT_USER, path_);
  std::uint32_t number = 0;
  EXPECT_FALSE(key.ReadDword("v", number));  // closed, then a failed open
  EXPECT_EQ(key.WriteDword("v", 3), ERROR_SUCCESS);
  EXPECT_TRUE(key.ReadDword("v", number));
  EXPECT_EQ(number, 3u);
  EXPECT_TRUE(key.DeleteValue("v"));
  EXPECT_FALSE(key.DeleteValue("v"));
  EXPECT_FALSE(key.ReadDword("v", number));
}

TEST(Registry, KeyThatCannotBeOpenedForWritingThrowsItsPathAlone) {
  // Wine enforces no registry permissions; a missing first component cannot
  // be opened for writing either.
  const std::string first = "KelarNoSuchRoot-" + std::to_string(GetCurrentProcessId());
  const std::string path = first + "\\Kelar\\Vyn\\Systems";
  const std::uint8_t byte = 1;
  const std::vector<std::function<void(Registry&)>> operations = {
      [](Registry& r) { r.WriteString("v", "x"); },
      [](Registry& r) { r.WriteString("v", std::string("x")); },
      [](Registry& r) { r.WriteDword("v", 1); },
      [](Registry& r) { r.WriteBool("v", true); },
      [&](Registry& r) { r.WriteBinary("v", 1, &byte); },
      [](Registry& r) { r.DeleteValue("v"); },
      [](Registry& r) { r.DeleteKey("pefs"); },
  };
  for (size_t i = 0; i < operations.size(); ++i) {
    SCOPED_TRACE(i);
    Registry key(HKEY_USERS, path);
    try {
      operations[i](key);
      ADD_FAILURE() << "no exception";
    } catch (const RegistryKeyMissing& e) {
      EXPECT_EQ(e.Message(), path);
    }
    // Still usable for reading afterwards, and nothing was created.
    std::uint32_t number = 0;
    EXPECT_FALSE(key.ReadDword("v", number));
    EXPECT_FALSE(KeyExists(HKEY_USERS, first));
  }
}

TEST_F(RegistryTest, DeleteKeyRemovesTheSubkeyWithEverythingBelowIt) {
  SetRaw(HKEY_CURRENT_USER, path_ + "\\pefs", "v", REG_DWORD, std::string("\x01\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, path_ + "\\pefs\\a\\b", "w", REG_SZ, std::string("x\0", 2));
  SetRaw(HKEY_CURRENT_USER, path_ + "\\ppfs", "v", REG_SZ, std::string("y\0", 2));

  Registry key(HKEY_CURRENT_USER, path_);
  EXPECT_TRUE(key.DeleteKey("pefs"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path_ + "\\pefs"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path_ + "\\ppfs"));
  EXPECT_FALSE(key.DeleteKey("pefs"));
  // An empty name is no subkey: the key itself stays whole.
  EXPECT_FALSE(key.DeleteKey(""));
  EXPECT_EQ(key.SubKeyNames(), Names{"ppfs"});
}

TEST_F(RegistryTest, DeleteKeyCreatesTheMissingPathBeforeItAndFindsNothing) {
  Registry key(HKEY_CURRENT_USER, path_ + "\\Kelar\\Vyn\\Systems");
  EXPECT_FALSE(key.DeleteKey("pefs"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path_ + "\\Kelar\\Vyn\\Systems"));
}

TEST_F(RegistryTest, EnumerationsListNamesAndThePrefixIgnoresCase) {
  const std::string one("\x01\0\0\0", 4);
  for (const char* name : {"TDs_0", "tds_1", "TD", "xtds_2"}) {
    SetRaw(HKEY_CURRENT_USER, path_, name, REG_DWORD, one);
  }
  SetRaw(HKEY_CURRENT_USER, path_ + "\\sub1", "v", REG_DWORD, one);
  SetRaw(HKEY_CURRENT_USER, path_ + "\\Sub2", "v", REG_DWORD, one);

  Registry key(HKEY_CURRENT_USER, path_);
  EXPECT_EQ(Sorted(key.ValueNamesWithPrefix("tds_")), (Names{"TDs_0", "tds_1"}));
  EXPECT_EQ(Sorted(key.ValueNamesWithPrefix("")), (Names{"TD", "TDs_0", "tds_1", "xtds_2"}));
  EXPECT_EQ(Sorted(key.ValueNames()), (Names{"TD", "TDs_0", "tds_1", "xtds_2"}));
  EXPECT_EQ(Sorted(key.SubKeyNames()), (Names{"Sub2", "sub1"}));
}

TEST(KeyExists, OpensReadOnlyAndCreatesNothing) {
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
  const std::string missing = "Software\\KelarNoSuchKey-" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, missing));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, missing));
}

// A machine key below "Software\Velora" and the user's twin below
// "Software\Orvane", both removed at the end.
class ConfigPrefsTest : public testing::Test {
 protected:
  const std::string machinePath_ = "Software\\Velora\\" + UniqueKeyName();
  const std::string userPath_ = UserKeyPath(machinePath_);
  KeyCleanup machineCleanup_{HKEY_LOCAL_MACHINE, machinePath_};
  KeyCleanup userCleanup_{HKEY_CURRENT_USER, userPath_};
};

TEST_F(ConfigPrefsTest, UserValueHidesTheMachineValueEvenWhenZero) {
  const std::string zero("\0\0\0\0", 4);
  const std::string one("\x01\0\0\0", 4);
  struct Case {
    const char* name;
    const std::string* machine;
    const std::string* user;
    DWORD userType;
    bool orTrue, orFalse;  // ReadBoolOr with each default
  };
  const Case cases[] = {
      {"machine 1, user 0", &one, &zero, REG_DWORD, false, false},
      {"machine 1 only", &one, nullptr, REG_DWORD, true, true},
      {"neither", nullptr, nullptr, REG_DWORD, true, false},
      {"user 1 only", nullptr, &one, REG_DWORD, true, true},
      // A user value of the wrong type is no value: the machine's shows.
      {"machine 0, user text", &zero, &one, REG_SZ, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.machine) SetRaw(HKEY_LOCAL_MACHINE, machinePath_, c.name, REG_DWORD, *c.machine);
    if (c.user) SetRaw(HKEY_CURRENT_USER, userPath_, c.name, c.userType, *c.user);
    ConfigPrefs prefs(machinePath_);
    EXPECT_EQ(prefs.ReadBoolOr(c.name, true), c.orTrue);
    EXPECT_EQ(prefs.ReadBoolOr(c.name, false), c.orFalse);
  }
}

TEST_F(ConfigPrefsTest, WritingCreatesTheUserPathAndNeverTouchesTheMachineKey) {
  const bool machineBrandExisted = KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velora");
  ConfigPrefs prefs(machinePath_);
  EXPECT_EQ(prefs.WriteDword("SupportsTechnicalDictionaries", 0), ERROR_SUCCESS);
  prefs.WriteString("s", "text");

  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, userPath_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machinePath_));
  EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Velora"), machineBrandExisted);
  std::uint32_t number = 1;
  EXPECT_TRUE(Registry(HKEY_CURRENT_USER, userPath_).ReadDword("SupportsTechnicalDictionaries", number));
  EXPECT_EQ(number, 0u);
}

TEST_F(ConfigPrefsTest, DeletionsReachBothKeysAndEnumerationsAreNeverMerged) {
  const std::string one("\x01\0\0\0", 4);
  SetRaw(HKEY_LOCAL_MACHINE, machinePath_, "both", REG_DWORD, one);
  SetRaw(HKEY_LOCAL_MACHINE, machinePath_, "machine", REG_DWORD, one);
  SetRaw(HKEY_CURRENT_USER, userPath_, "both", REG_DWORD, one);
  SetRaw(HKEY_CURRENT_USER, userPath_, "user", REG_DWORD, one);
  SetRaw(HKEY_LOCAL_MACHINE, machinePath_ + "\\msub", "v", REG_DWORD, one);

  ConfigPrefs prefs(machinePath_);
  EXPECT_EQ(Sorted(prefs.ValueNames()), (Names{"both", "user"}));
  // The user's list with the prefix is empty, so the machine's answers.
  EXPECT_EQ(prefs.ValueNamesWithPrefix("MACH"), Names{"machine"});
  EXPECT_EQ(prefs.SubKeyNames(), Names{"msub"});  // the user has none

  EXPECT_TRUE(prefs.DeleteValue("both"));
  EXPECT_TRUE(prefs.DeleteValue("user"));
  EXPECT_FALSE(prefs.DeleteValue("nowhere"));
  std::uint32_t number = 0;
  EXPECT_FALSE(prefs.ReadDword("both", number));
  // The user's list is empty now, so the machine's shows.
  EXPECT_EQ(prefs.ValueNames(), Names{"machine"});
  EXPECT_TRUE(prefs.DeleteKey("msub"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machinePath_ + "\\msub"));
}

TEST(EngineConfig, ReadsTheKeysNamedAfterTheExecutable) {
  const std::string machinePath = ConfigurationKeyPath(ProgramBaseName());
  EXPECT_EQ(machinePath, "Software\\Velora\\Configuration\\support_tests");
  const std::string userPath = "Software\\Orvane\\Configuration\\support_tests";
  KeyCleanup machineCleanup(HKEY_LOCAL_MACHINE, machinePath);
  KeyCleanup userCleanup(HKEY_CURRENT_USER, userPath);

  EXPECT_TRUE(EngineConfig().ReadBoolOr("SupportsTechnicalDictionaries", true));
  SetRaw(HKEY_LOCAL_MACHINE, machinePath, "SupportsTechnicalDictionaries", REG_DWORD,
         std::string("\x01\0\0\0", 4));
  EXPECT_TRUE(EngineConfig().ReadBoolOr("SupportsTechnicalDictionaries", false));
  SetRaw(HKEY_CURRENT_USER, userPath, "SupportsTechnicalDictionaries", REG_DWORD,
         std::string("\0\0\0\0", 4));
  EXPECT_FALSE(EngineConfig().ReadBoolOr("SupportsTechnicalDictionaries", true));
}

TEST(ProgramBaseName, DropsOnlyTheLastDotOfTheExecutableName) {
  KELAR_IN_FRESH_PROCESS_AS(L"x.y\\engine.old.exe", {});
  EXPECT_EQ(ProgramBaseName(), "engine.old");
  EXPECT_EQ(&ProgramBaseName(), &ProgramBaseName());  // computed once, kept
}

}  // namespace
}  // namespace kelar
