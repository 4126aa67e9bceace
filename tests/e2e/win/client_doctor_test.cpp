// translate-client's doctor against installations laid out under drive C:
// a whole one passes every check, and each kind of damage shows up as a
// failed check and a failing exit code.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client_harness.h"

namespace kelar::test::tool {
namespace {

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start, const std::string& part) {
  for (const std::string& line : lines) {
    if (line.rfind(start, 0) == 0 && line.find(part) != std::string::npos) return true;
  }
  return false;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(ClientDoctor, PassesOnAWholeInstallation) {
  ClientInterfacesRestored restored;
  InstalledServer server;
  AddVendorFiles(server);
  ASSERT_EQ(server.Run(L"/RegServer"), 0u);

  const ClientRun run = RunClient(L"doctor");
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_EQ(run.exitCode, 0u) << Joined(lines) << run.err;
  EXPECT_FALSE(HasLineStartingWith(lines, "[FAIL]", "")) << Joined(lines);
  EXPECT_FALSE(HasLineStartingWith(lines, "[SKIP]", "")) << Joined(lines);
  EXPECT_TRUE(HasLineStartingWith(lines, "[ OK ]", "round trip TranslateText")) << Joined(lines);
  EXPECT_TRUE(HasLineStartingWith(lines, "[ OK ]", "round trip Translate with")) << Joined(lines);
  // It names the library that marshals the client's interfaces.
  EXPECT_TRUE(HasLineStartingWith(lines, "[ OK ]", "ITranslationSource marshaled by type library")) << Joined(lines);
  EXPECT_TRUE(HasLineStartingWith(lines, "[ OK ]", "ITranslationSink marshaled by type library")) << Joined(lines);
}

TEST(ClientDoctor, FailsOnADamagedInstallation) {
  const struct {
    const char* damage;
    std::vector<std::wstring> omitted;
    bool registered;
    std::vector<std::string> failedChecks;  // each part of a line that starts with [FAIL]
  } cases[] = {
      {"vendor library missing", {L"Vyn.dll"}, true, {"Vyn.dll is missing", "Cannot find needed DLLs"}},
      {"a dictionary missing", {L"FaEn\\FA-EN.din"}, true, {"FA-EN.din is missing"}},
      {"server not registered", {}, false, {"engine class not registered"}},
  };
  ClientInterfacesRestored restored;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.damage);
    InstalledServer server;
    AddVendorFiles(server, c.omitted);
    // Unregistering the copy also removes a registration that another
    // installation left in the prefix.
    ASSERT_EQ(server.Run(c.registered ? L"/RegServer" : L"/UnregServer"), 0u);

    const ClientRun run = RunClient(L"doctor");
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_NE(run.exitCode, 0u) << Joined(lines);
    for (const std::string& check : c.failedChecks) {
      EXPECT_TRUE(HasLineStartingWith(lines, "[FAIL]", check)) << check << "\n" << Joined(lines);
    }
  }
}

TEST(ClientDoctor, UnregisteredEngineIsExplainedToTheOtherCommandsToo) {
  InstalledServer server;
  ASSERT_EQ(server.Run(L"/UnregServer"), 0u);

  const ClientRun run = RunClient(L"text word");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("the translation engine is not registered; run \"Orvane Pashto Translation Engine.exe\" "
                         "/RegServer"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace kelar::test::tool
