#include "server/command_line.h"

#include <gtest/gtest.h>

#include "command_line_cases.h"

namespace kelar {
namespace {

TEST(ScanCommandLine, FindsOnlyASwitchThatEndsTheLine) {
  for (const auto& c : test::kCommandLineCases) {
    EXPECT_EQ(ScanCommandLine(c.commandLine), c.expected) << "command line: [" << c.commandLine << "]";
  }
  EXPECT_EQ(ScanCommandLine(nullptr), ServerSwitch::None);
}

}  // namespace
}  // namespace kelar
