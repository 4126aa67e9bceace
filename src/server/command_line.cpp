#include "server/command_line.h"

#include <cstring>

namespace kelar {

int CompareAsciiIgnoringCase(const char* left, const char* right) {
  auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
  for (;; ++left, ++right) {
    int l = lower(static_cast<unsigned char>(*left));
    int r = lower(static_cast<unsigned char>(*right));
    if (l != r) return l < r ? -1 : 1;
    if (l == 0) return 0;
  }
}

ServerSwitch ScanCommandLine(const char* commandLine, CompareIgnoringCase compare) {
  if (commandLine == nullptr) return ServerSwitch::None;
  for (const char* p = std::strpbrk(commandLine, "-/"); p != nullptr; p = std::strpbrk(p, "-/")) {
    ++p;
    if (compare(p, "UnregServer") == 0) return ServerSwitch::UnregServer;
    if (compare(p, "RegServer") == 0) return ServerSwitch::RegServer;
  }
  return ServerSwitch::None;
}

}  // namespace kelar
