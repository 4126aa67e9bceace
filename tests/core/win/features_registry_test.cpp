// Whether the features document lists technical dictionaries, as the host
// product's server key and this engine's configuration say. The answers are
// read once per process, so every case runs in a process of its own; it
// leaves the registry as it found it.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <utility>

#include "core/win/technical_dictionaries.h"
#include "documents/features.h"
#include "harness/win/fresh_process.h"
#include "support/registry_paths.h"
#include "support/win/config_prefs.h"
#include "support/win/registry.h"

namespace kelar {
namespace {

constexpr char kValueName[] = "SupportsTechnicalDictionaries";
constexpr char kHostServerKey[] = "Software\\Velora\\Wordferry Server";

enum class Flag { Absent, Zero, One, Two, StringOne };

// One value that a case sets, put back (or removed with every key the case
// created) at the end.
class TestValue {
 public:
  TestValue(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
    for (std::size_t end = path_.find('\\'); ; end = path_.find('\\', end + 1)) {
      const std::string prefix = path_.substr(0, end);
      if (!KeyExists(root_, prefix)) {
        created_ = prefix;
        break;
      }
      if (end == std::string::npos) break;
    }
    if (created_.empty()) {
      DWORD size = 0;
      if (RegGetValueA(root_, path_.c_str(), kValueName, RRF_RT_ANY | RRF_NOEXPAND, &type_,
                       nullptr, &size) == ERROR_SUCCESS) {
        saved_.resize(size);
        had_ = RegGetValueA(root_, path_.c_str(), kValueName, RRF_RT_ANY | RRF_NOEXPAND, &type_,
                            saved_.data(), &size) == ERROR_SUCCESS;
        saved_.resize(size);
      }
    }
  }

  ~TestValue() {
    if (!created_.empty()) {
      SHDeleteKeyA(root_, created_.c_str());
    } else if (had_) {
      Write(type_, saved_);
    } else {
      RegDeleteKeyValueA(root_, path_.c_str(), kValueName);
    }
  }

  TestValue(const TestValue&) = delete;
  TestValue& operator=(const TestValue&) = delete;

  void Set(Flag flag) {
    switch (flag) {
      case Flag::Absent: RegDeleteKeyValueA(root_, path_.c_str(), kValueName); return;
      case Flag::Zero: Write(REG_DWORD, std::string("\0\0\0\0", 4)); return;
      case Flag::One: Write(REG_DWORD, std::string("\1\0\0\0", 4)); return;
      case Flag::Two: Write(REG_DWORD, std::string("\2\0\0\0", 4)); return;
      case Flag::StringOne: Write(REG_SZ, std::string("1\0", 2)); return;
    }
  }

 private:
  void Write(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, kValueName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  HKEY root_;
  std::string path_;
  std::string created_;  // the shallowest key of the path that did not exist
  bool had_ = false;
  DWORD type_ = 0;
  std::string saved_;
};

struct Row {
  const char* name;
  Flag server;         // the host product's server key
  Flag engineMachine;  // this engine's configuration key below HKEY_LOCAL_MACHINE
  Flag engineUser;     // its twin below HKEY_CURRENT_USER
  bool expected;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

const Row kRows[] = {
    {"ServerFlagAbsent", Flag::Absent, Flag::One, Flag::One, false},
    {"ServerFlagZero", Flag::Zero, Flag::One, Flag::Absent, false},
    {"ServerFlagNotADword", Flag::StringOne, Flag::Absent, Flag::Absent, false},
    {"EngineFlagAbsent", Flag::One, Flag::Absent, Flag::Absent, true},
    {"AnyNonZeroServerFlag", Flag::Two, Flag::Absent, Flag::Absent, true},
    {"EngineFlagZero", Flag::One, Flag::Zero, Flag::Absent, false},
    {"UserEngineFlagZeroOverridesMachine", Flag::One, Flag::One, Flag::Zero, false},
    {"UserEngineFlagOneOverridesMachine", Flag::One, Flag::Zero, Flag::One, true},
};

class TechnicalDictionariesRegistry : public testing::TestWithParam<Row> {};

int TechnicalDictionaryCount() {
  EngineOptions options;
  options.sourceLanguage = u"en";
  options.translationLanguage = u"ar";
  const std::u16string document = BuildFeaturesDocument(options, TechnicalDictionariesEnabled());
  int count = 0;
  for (std::size_t at = document.find(u"&lt;TD&gt;"); at != std::u16string::npos;
       at = document.find(u"&lt;TD&gt;", at + 1)) {
    ++count;
  }
  return count;
}

TEST_P(TechnicalDictionariesRegistry, DecideOnceWhetherTheDocumentListsThem) {
  KELAR_IN_FRESH_PROCESS({});
  const Row& row = GetParam();
  const std::string enginePath = ConfigurationKeyPath(ProgramBaseName());
  TestValue server(HKEY_LOCAL_MACHINE, kHostServerKey);
  TestValue engineMachine(HKEY_LOCAL_MACHINE, enginePath);
  TestValue engineUser(HKEY_CURRENT_USER, UserKeyPath(enginePath));
  server.Set(row.server);
  engineMachine.Set(row.engineMachine);
  engineUser.Set(row.engineUser);

  EXPECT_EQ(TechnicalDictionaryCount(), row.expected ? 10 : 0);

  // Later requests keep the first answers, even when the registry now says
  // the opposite.
  const Flag opposite = row.expected ? Flag::Zero : Flag::One;
  server.Set(opposite);
  engineMachine.Set(opposite);
  engineUser.Set(opposite);
  EXPECT_EQ(TechnicalDictionariesEnabled(), row.expected);
  EXPECT_EQ(TechnicalDictionaryCount(), row.expected ? 10 : 0);
}

INSTANTIATE_TEST_SUITE_P(Flags, TechnicalDictionariesRegistry, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kelar
