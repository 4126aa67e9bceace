// The scan with the comparison the server uses, the system's lstrcmpiA.

#include <windows.h>

#include <gtest/gtest.h>

#include "../command_line_cases.h"
#include "server/command_line.h"

namespace kelar {
namespace {

TEST(ScanCommandLine, AgreesWithTheSystemComparison) {
  auto system = [](const char* left, const char* right) { return lstrcmpiA(left, right); };
  for (const auto& c : test::kCommandLineCases) {
    EXPECT_EQ(ScanCommandLine(c.commandLine, system), c.expected) << "command line: [" << c.commandLine << "]";
  }
}

}  // namespace
}  // namespace kelar
