#pragma once
// Command lines and the switch each one carries, shared by the portable scan
// test and the one that compares with the platform's lstrcmpiA.

#include "server/command_line.h"

namespace kelar::test {

struct CommandLineCase {
  const char* commandLine;
  ServerSwitch expected;
};

inline constexpr CommandLineCase kCommandLineCases[] = {
    {"server.exe /RegServer", ServerSwitch::RegServer},
    {"server.exe -UnregServer", ServerSwitch::UnregServer},
    {"server.exe /regserver", ServerSwitch::RegServer},
    {"server.exe -UNREGSERVER", ServerSwitch::UnregServer},
    // Anything after the switch, even one blank, leaves the server serving.
    {"server.exe -RegServer ", ServerSwitch::None},
    {"server.exe /RegServer /Embedding", ServerSwitch::None},
    // The first candidate runs on to the end and matches neither word.
    {"server.exe /UnregServer /RegServer", ServerSwitch::RegServer},
    {"server.exe /RegServer -UnregServer", ServerSwitch::UnregServer},
    {"server.exe //RegServer", ServerSwitch::RegServer},
    // Dashes and slashes inside the program path are passed over.
    {"\"C:\\kelar-tests\\a/b-c\\server.exe\" /RegServer", ServerSwitch::RegServer},
    {"\"C:\\x-RegServer\\server.exe\"", ServerSwitch::None},
    {"C:\\tools\\-RegServer", ServerSwitch::RegServer},
    {"server.exe -Embedding", ServerSwitch::None},
    {"server.exe /RegServerX", ServerSwitch::None},
    {"server.exe RegServer", ServerSwitch::None},
    {"server.exe -", ServerSwitch::None},
    {"server.exe", ServerSwitch::None},
    {"", ServerSwitch::None},
};

}  // namespace kelar::test
