#include "core/folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelar {
namespace {

TEST(FolderRules, ProgramFolderIsTheExecutablePathBeforeItsLastBackslash) {
  EXPECT_EQ(FolderOfPath("C:\\Program\\server.exe"), "C:\\Program");
  EXPECT_EQ(FolderOfPath("C:\\server.exe"), "C:");
  EXPECT_EQ(FolderOfPath("server.exe"), "");
}

TEST(FolderRules, QuarantineIsBadInputsAtTheRootOfTheProgramDrive) {
  struct Case {
    const char* programFolder;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\Program", "C:\\Bad Inputs\\"},
      {"D:\\Program Files\\Orvane\\Engine", "D:\\Bad Inputs\\"},
      {"C:", "C:\\Bad Inputs\\"},  // executable at the root of the drive
      {"\\Program", "\\Bad Inputs\\"},  // no drive: only the first character
      {"\\\\server\\share\\engine", "\\Bad Inputs\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuarantineFolderOf(c.programFolder), c.expected) << c.programFolder;
}

TEST(FolderRules, FoldersToCreateStopBeforeTheLastComponentAndAtAnEmptyOne) {
  using List = std::vector<std::string>;
  struct Case {
    const char* path;
    List expected;
  };
  const Case cases[] = {
      {"C:\\A\\B\\file.txt", {"C:\\A\\", "C:\\A\\B\\"}},
      {"C:\\A\\B\\", {"C:\\A\\", "C:\\A\\B\\"}},
      {"file.txt", {}},
      {"\\\\server\\share\\file.txt", {}},  // the doubled backslash is an empty component
      {"C:\\A\\\\B\\file.txt", {"C:\\A\\"}},
      {"\\A\\file.txt", {"\\A\\"}},
      {"\\foo.txt", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(FoldersToCreate(c.path), c.expected) << c.path;
}

TEST(FolderRules, NumberTemplateFillsOnlyDirectivesItKnows) {
  struct Case {
    const char* numberTemplate;
    int number;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\Bad Inputs\\psen_%d.txt", 32767, "C:\\Bad Inputs\\psen_32767.txt"},
      {"100%%_%d.txt", 0, "100%_0.txt"},
      {"%s%n%x%_%d", 7, "%s%n%x%_7"},
      {"%%d_%d", 5, "%d_5"},
      {"trailing%", 1, "trailing%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumberTemplate(c.numberTemplate, c.number), c.expected) << c.numberTemplate;
  }
}

TEST(FolderRules, QuarantineTemplateKeepsPercentInFolderAndTagLiteral) {
  struct Case {
    const char* folder;
    const char* leftover;
    const char* tag;
  };
  const Case cases[] = {
      {"C:\\Bad Inputs\\", "in_psen1.txt", "psen"},
      {"C:\\Bad Inputs\\", "in_a.txt", "a.tx"},  // always the four characters after "in_"
      {"C:\\Tools 100%\\", "in_%s%n.txt", "%s%n"},
      {"C:\\%d%%\\", "in_%d%d1.txt", "%d%d"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeftoverTag(c.leftover), c.tag);
    EXPECT_EQ(FormatNumberTemplate(QuarantineTemplate(c.folder, c.leftover), 42),
              std::string(c.folder) + c.tag + "_42.txt")
        << c.folder << c.leftover;
  }
}

}  // namespace
}  // namespace kelar
