#include "core/win/quarantine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/win/folders.h"
#include "harness/win/fresh_process.h"

namespace kelar {
namespace {

// Every case runs in a process of its own: the program folder is that of the
// running executable, and the quarantine is C:\Bad Inputs\ inside the prefix,
// shared with other runs. Each leftover therefore carries a content of its
// own, by which its copy is found there.

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string ContentFor(const std::string& name) {
  return "leftover " + name + " of process " + std::to_string(GetCurrentProcessId()) + " at " +
         std::to_string(GetTickCount64());
}

// Creates the leftover `name` in the program folder and returns its content.
std::string Leave(const std::string& name) {
  const std::string content = ContentFor(name);
  std::ofstream(ProgramFolder() + "\\" + name, std::ios::binary) << content;
  return content;
}

// The names of the quarantined files holding `content`; deletes them.
std::vector<std::string> TakeFromQuarantine(const std::string& content) {
  std::vector<std::string> all, found;
  FindFiles(BadInputsFolder(), "*.txt", false, all);
  for (const std::string& name : all) {
    if (ReadFile(BadInputsFolder() + name) == content) {
      found.push_back(name);
      DeleteFileA((BadInputsFolder() + name).c_str());
    }
  }
  return found;
}

// True when `name` is "<tag>_<n>.txt" with n from 0 to 32767.
bool IsQuarantineName(const std::string& name, const std::string& tag) {
  const std::string prefix = tag + "_";
  if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - 4, 4, ".txt") != 0) {
    return false;
  }
  const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
  return digits.size() <= 5 && digits.find_first_not_of("0123456789") == std::string::npos &&
         std::stoi(digits) <= 32767;
}

std::vector<std::string> LeftoversInProgramFolder() {
  std::vector<std::string> names;
  FindFiles(ProgramFolder(), "in_*.txt", false, names);
  return names;
}

TEST(Quarantine, MovesLeftoverInputsToNumberedNamesAndLeavesOutputs) {
  KELAR_IN_FRESH_PROCESS({});
  const std::string psen1 = Leave("in_psen1.txt");
  const std::string psen7 = Leave("in_psen7.txt");
  const std::string shortName = Leave("in_a.txt");
  const std::string output = Leave("out_psen1.txt");

  QuarantineLeftoverInputs();

  EXPECT_TRUE(LeftoversInProgramFolder().empty());
  EXPECT_EQ(ReadFile(ProgramFolder() + "\\out_psen1.txt"), output);
  const std::vector<std::string> first = TakeFromQuarantine(psen1);
  const std::vector<std::string> seventh = TakeFromQuarantine(psen7);
  const std::vector<std::string> tagged = TakeFromQuarantine(shortName);
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(seventh.size(), 1u);
  ASSERT_EQ(tagged.size(), 1u);
  EXPECT_TRUE(IsQuarantineName(first[0], "psen")) << first[0];
  EXPECT_TRUE(IsQuarantineName(seventh[0], "psen")) << seventh[0];
  EXPECT_NE(first[0], seventh[0]);
  EXPECT_TRUE(IsQuarantineName(tagged[0], "a.tx")) << tagged[0];  // the four characters after "in_"
  EXPECT_TRUE(TakeFromQuarantine(output).empty());
}

TEST(Quarantine, PercentInALeftoverNameIsNoFormatDirective) {
  KELAR_IN_FRESH_PROCESS({});
  const std::string strings = Leave("in_%s%n.txt");
  const std::string numbers = Leave("in_%d%d.txt");

  QuarantineLeftoverInputs();

  EXPECT_TRUE(LeftoversInProgramFolder().empty());
  const std::vector<std::string> fromStrings = TakeFromQuarantine(strings);
  const std::vector<std::string> fromNumbers = TakeFromQuarantine(numbers);
  ASSERT_EQ(fromStrings.size(), 1u);
  ASSERT_EQ(fromNumbers.size(), 1u);
  EXPECT_TRUE(IsQuarantineName(fromStrings[0], "%s%n")) << fromStrings[0];
  EXPECT_TRUE(IsQuarantineName(fromNumbers[0], "%d%d")) << fromNumbers[0];
}

TEST(Quarantine, KeepsALeftoverThatCannotBeCopied) {
  KELAR_IN_FRESH_PROCESS({});
  const std::string locked = Leave("in_lock.txt");
  const std::string movable = Leave("in_psen2.txt");
  // Shared for deletion only: the copy cannot read it, a deletion could.
  const std::string lockedPath = ProgramFolder() + "\\in_lock.txt";
  HANDLE holder = CreateFileA(lockedPath.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  QuarantineLeftoverInputs();
  CloseHandle(holder);

  EXPECT_EQ(ReadFile(lockedPath), locked);
  EXPECT_TRUE(TakeFromQuarantine(locked).empty());
  EXPECT_EQ(TakeFromQuarantine(movable).size(), 1u);
  EXPECT_EQ(LeftoversInProgramFolder(), std::vector<std::string>{"in_lock.txt"});

  // The next process's clean-up takes it once it can be read.
  QuarantineLeftoverInputs();
  EXPECT_TRUE(LeftoversInProgramFolder().empty());
  EXPECT_EQ(TakeFromQuarantine(locked).size(), 1u);
}

}  // namespace
}  // namespace kelar
