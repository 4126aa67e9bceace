#include "support/registry_paths.h"

#include <gtest/gtest.h>

namespace kelar {
namespace {

TEST(ConfigurationKeyPath, NamesTheEngineKeyBelowTheMachineBrand) {
  EXPECT_EQ(ConfigurationKeyPath("Orvane Pashto Translation Engine"),
            "Software\\Velora\\Configuration\\Orvane Pashto Translation Engine");
  EXPECT_EQ(ConfigurationKeyPath(""), "Software\\Velora\\Configuration");
  // The name is data, never a format.
  EXPECT_EQ(ConfigurationKeyPath("a%s%n"), "Software\\Velora\\Configuration\\a%s%n");
}

TEST(UserKeyPath, ReplacesEveryOccurrenceOfTheBrand) {
  struct Case {
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"Software\\Velora\\Configuration\\Velora Tool", "Software\\Orvane\\Configuration\\Orvane Tool"},
      {"VeloraVelora", "OrvaneOrvane"},
      {"VelVelorara", "VelOrvanera"},  // an occurrence inside a broken one
      {"Software\\velora\\Configuration", "Software\\velora\\Configuration"},  // case matters
      {"Software\\Other", "Software\\Other"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UserKeyPath(c.path), c.expected) << c.path;
}

TEST(FileBaseName, DropsTheFolderAndOnlyTheLastDotOfTheFileName) {
  struct Case {
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Orvane Pashto Translation Engine.exe", "Orvane Pashto Translation Engine"},
      {"C:\\x.y\\engine.old.exe", "engine.old"},
      {"C:\\x.y\\engine", "engine"},  // the folder's dot does not count
      {"engine.exe", "engine"},
      {"C:\\folder\\", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FileBaseName(c.path), c.expected) << c.path;
}

}  // namespace
}  // namespace kelar
