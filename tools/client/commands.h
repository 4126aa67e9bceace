#pragma once
// The client's commands. Each returns the process's exit code.

#include "command_line.h"
#include "console.h"

namespace kelar::client {

int RunText(Console& console, const CommandLine& line);
int RunFile(Console& console, const CommandLine& line);
int RunFeatures(Console& console, const CommandLine& line);
int RunDoctor(Console& console, const CommandLine& line);

}  // namespace kelar::client
