#pragma once
// The client's command line: a command, its arguments and the options that
// choose languages and output form.

#include <string>
#include <vector>

#include "text.h"

namespace kelar::client {

enum class Command { kNone, kHelp, kText, kFile, kFeatures, kDoctor };

struct CommandLine {
  Command command = Command::kNone;
  std::vector<std::wstring> arguments;  // positional, after the command
  Languages languages;
  bool xml = false;     // the engine's XML as it comes, not plain text
  std::wstring error;   // a usage error, in words; empty when the line is fine
};

// `args` excludes the program name.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);

std::wstring UsageText();

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;       // the engine could not be reached, a check failed, output failed
inline constexpr int kExitUsage = 2;         // the command line is wrong
inline constexpr int kExitEngineError = 3;   // the engine reported an error for a text, or a job failed

}  // namespace kelar::client
