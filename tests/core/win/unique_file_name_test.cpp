#include "core/win/unique_file_name.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "core/folders.h"
#include "core/win/folders.h"
#include "harness/win/fresh_process.h"

namespace kelar {
namespace {

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

// The number in `name` between `prefix` and ".txt", or -1 when the name has
// another shape.
int NumberBetween(const std::string& name, const std::string& prefix) {
  const std::string suffix = ".txt";
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return -1;
  }
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoi(digits);
}

class UniqueFileNameTest : public testing::Test {
 protected:
  ~UniqueFileNameTest() override { test::DeleteTree(wideBase_); }
  const std::wstring wideBase_ = test::MakeFreshFolder();
  const std::string base_ = Narrow(wideBase_);  // ends with a backslash
};

TEST_F(UniqueFileNameTest, NamesAFreeNumberedFileAndCreatesItsFolders) {
  const std::string prefix = base_ + "new\\deeper\\psen_";
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::optional<std::string> name = UniqueFileName(EscapePercent(prefix) + "%d.txt");
    ASSERT_TRUE(name);
    const int number = NumberBetween(*name, prefix);
    EXPECT_GE(number, 0) << *name;
    EXPECT_LE(number, 32767) << *name;
    EXPECT_FALSE(FileExists(*name));
    std::ofstream(*name) << i;
    names.insert(*name);
  }
  EXPECT_EQ(names.size(), 20u);
}

TEST_F(UniqueFileNameTest, PercentInTheFolderStandsForItself) {
  const std::string folder = base_ + "Tools 100%\\";
  const std::optional<std::string> name = UniqueFileName(EscapePercent(folder) + "f_%d.txt");
  ASSERT_TRUE(name);
  EXPECT_GE(NumberBetween(*name, folder + "f_"), 0) << *name;
  EXPECT_TRUE(FileExists(base_ + "Tools 100%"));
  EXPECT_FALSE(FileExists(base_ + "Tools 100%%"));
}

TEST_F(UniqueFileNameTest, GivesUpWhenEveryDrawNamesAnExistingFile) {
  // Without "%d" every draw gives the same name.
  const std::string fixed = base_ + "fixed.txt";
  EXPECT_EQ(UniqueFileName(fixed), fixed);
  std::ofstream(fixed) << "taken";
  EXPECT_EQ(UniqueFileName(fixed), std::nullopt);
  // The lock was released on the way out.
  EXPECT_TRUE(UniqueFileName(base_ + "free_%d.txt"));
}

}  // namespace
}  // namespace kelar
