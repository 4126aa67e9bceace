#pragma once
// Test-side control of the fake vendor library: lay it out in a program
// folder as Vyn.dll, configure it, and read back what it was asked.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kelar::test {

// Names of the fake DLLs as built next to the test executables.
inline constexpr wchar_t kFakeVyn[] = L"fake_vyn.dll";
inline constexpr wchar_t kFakeVynNoInit[] = L"fake_vyn_no_init.dll";
inline constexpr wchar_t kFakeVynNoRegister[] = L"fake_vyn_no_register.dll";
inline constexpr wchar_t kFakeVynNoWorkFolder[] = L"fake_vyn_no_workfolder.dll";
inline constexpr wchar_t kFakeVynNoTranslate[] = L"fake_vyn_no_translate.dll";

// Writes fake_vyn.conf in `folder` (ending with a backslash), replacing it.
inline void ConfigureFakeVyn(const std::wstring& folder, const std::string& settings) {
  FILE* f = _wfopen((folder + L"fake_vyn.conf").c_str(), L"wb");
  if (!f) return;
  std::fwrite(settings.data(), 1, settings.size(), f);
  std::fclose(f);
}

// The lines of fake_vyn.log in `folder`; empty when nothing was logged.
inline std::vector<std::string> FakeVynLog(const std::wstring& folder) {
  std::vector<std::string> lines;
  FILE* f = _wfopen((folder + L"fake_vyn.log").c_str(), L"rb");
  if (!f) return lines;
  std::string current;
  int c;
  while ((c = std::fgetc(f)) != EOF) {
    if (c == '\n') {
      lines.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(c);
    }
  }
  std::fclose(f);
  return lines;
}

// Lines of the log that start with `event` followed by a space or the end.
inline std::vector<std::string> FakeVynEvents(const std::wstring& folder, const std::string& event) {
  std::vector<std::string> out;
  for (const std::string& line : FakeVynLog(folder)) {
    if (line.compare(0, event.size(), event) == 0 && (line.size() == event.size() || line[event.size()] == ' ')) {
      out.push_back(line);
    }
  }
  return out;
}

inline std::vector<unsigned char> FromHex(const std::string& hex) {
  std::vector<unsigned char> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

// A "translate" line split into the request record and the input file bytes.
struct FakeTranslateCall {
  std::vector<unsigned char> request;  // 636 bytes
  std::vector<unsigned char> input;    // the exchange input file at call time
  bool inputExisted = false;
};

inline FakeTranslateCall ParseTranslateCall(const std::string& line) {
  FakeTranslateCall call;
  size_t first = line.find(' ');
  size_t second = line.find(' ', first + 1);
  call.request = FromHex(line.substr(first + 1, second - first - 1));
  std::string input = line.substr(second + 1);
  call.inputExisted = input != "-";
  if (call.inputExisted) call.input = FromHex(input);
  return call;
}

}  // namespace kelar::test
