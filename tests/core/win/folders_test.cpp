#include "core/win/folders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "harness/win/fresh_process.h"

namespace kelar {
namespace {

using Names = std::vector<std::string>;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string& path, const std::string& content = "x") {
  std::ofstream(path, std::ios::binary) << content;
}

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

// A fresh folder under drive C, deleted at the end.
class FolderTest : public testing::Test {
 protected:
  ~FolderTest() override { test::DeleteTree(wideBase_); }
  const std::wstring wideBase_ = test::MakeFreshFolder();
  const std::string base_ = Narrow(wideBase_);  // ends with a backslash
};

TEST(ProgramFolder, IsTheExecutableFolderAndTheQuarantineIsAtTheRootOfItsDrive) {
  KELAR_IN_FRESH_PROCESS({});
  std::string expected = Narrow(test::ExecutableFolder());
  expected.pop_back();
  EXPECT_EQ(ProgramFolder(), expected);
  EXPECT_EQ(expected.rfind("C:\\kelar-tests\\", 0), 0u);
  EXPECT_EQ(BadInputsFolder(), "C:\\Bad Inputs\\");
}

TEST_F(FolderTest, CreateFoldersMakesEveryFolderBeforeTheLastComponent) {
  struct Case {
    std::string path;
    bool result;
    Names created;
    Names absent;
  };
  WriteFile(base_ + "plain");
  const Case cases[] = {
      {base_ + "A\\B\\file.txt", true, {base_ + "A", base_ + "A\\B"}, {base_ + "A\\B\\file.txt"}},
      {base_ + "C\\D\\", true, {base_ + "C", base_ + "C\\D"}, {}},
      {"kelar-no-backslash", true, {}, {"kelar-no-backslash"}},
      {"\\\\kelar-no-server\\share\\file.txt", true, {}, {}},  // the empty component ends the walk
      // Below a file no folder can be made: the walk stops with false.
      {base_ + "plain\\E\\file.txt", false, {}, {base_ + "plain\\E"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CreateFolders(c.path), c.result);
    for (const std::string& folder : c.created) EXPECT_TRUE(IsFolder(folder)) << folder;
    for (const std::string& path : c.absent) EXPECT_FALSE(FileExists(path)) << path;
  }
  // Existing folders are no failure.
  EXPECT_TRUE(CreateFolders(base_ + "A\\B\\other.txt"));
}

TEST_F(FolderTest, FileExistsMatchesFilesFoldersAndWildcards) {
  WriteFile(base_ + "in_psen1.txt");
  CreateDirectoryA((base_ + "sub").c_str(), nullptr);
  EXPECT_TRUE(FileExists(base_ + "in_psen1.txt"));
  EXPECT_TRUE(FileExists(base_ + "sub"));
  EXPECT_TRUE(FileExists(base_ + "in_*.txt"));
  EXPECT_TRUE(FileExists(base_ + "in_psen?.txt"));
  EXPECT_FALSE(FileExists(base_ + "out_*.txt"));
  EXPECT_FALSE(FileExists(base_ + "missing.txt"));
}

TEST_F(FolderTest, FindFilesGivesBareNamesOrFullPathsBelowSubfolders) {
  for (const char* folder : {"sub", "sub\\deeper", "folder.txt"}) {
    CreateDirectoryA((base_ + folder).c_str(), nullptr);
  }
  for (const char* file : {"a.txt", "b.log", "sub\\c.txt", "sub\\deeper\\d.txt", "folder.txt\\e.log"}) {
    WriteFile(base_ + file);
  }
  std::string withoutBackslash = base_;
  withoutBackslash.pop_back();

  Names flat{"kept"};
  FindFiles(withoutBackslash, "*.txt", false, flat);
  EXPECT_EQ(Sorted(flat), (Names{"a.txt", "kept"}));  // appended; folders are not files

  Names deep;
  FindFiles(base_, "*.txt", true, deep);
  EXPECT_EQ(Sorted(deep), Sorted({base_ + "a.txt", base_ + "sub\\c.txt", base_ + "sub\\deeper\\d.txt"}));

  Names none;
  FindFiles(base_ + "missing", "*.txt", true, none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace kelar
