// translate-client: a command-line client of the translation engine.

#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "console.h"

int wmain(int argc, wchar_t** argv) {
  using namespace kelar::client;
  Console console;
  try {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    const CommandLine line = ParseCommandLine(args);
    if (line.command == Command::kHelp) {
      console.Out(UsageText());
      return kExitOk;
    }
    if (!line.error.empty()) {
      console.Err(L"translate-client: " + line.error + L"\nRun translate-client --help for usage.\n");
      return kExitUsage;
    }
    switch (line.command) {
      case Command::kText:
        return RunText(console, line);
      case Command::kFile:
        return RunFile(console, line);
      case Command::kFeatures:
        return RunFeatures(console, line);
      case Command::kDoctor:
        return RunDoctor(console, line);
      default:
        return kExitUsage;
    }
  } catch (const std::bad_alloc&) {
    console.Err(L"translate-client: out of memory\n");
  } catch (...) {
    console.Err(L"translate-client: unexpected failure\n");
  }
  return kExitFailure;
}
