// A configurable stand-in for the vendor translation library.
//
// Behaviour comes from "fake_vyn.conf" next to the DLL, read at every call so
// a test in another process can change it between calls:
//   init_status=N            status of VynAPI_Init
//   register_status=A,B,...  status of the 1st, 2nd, ... VynAPI_RegisterDictionary
//                            call of this load (the last value repeats)
//   translate_status=A,B,... status of the 1st, 2nd, ... VynAPI_TranslateFile2 call
//   output=none|echo|hex     write no output file, copy the input, or write
//   output_hex=414243          the bytes given in hex
//   delay_ms=N               sleep in VynAPI_TranslateFile2 before answering
//   create_ppfs=1            VynAPI_Init creates the vendor's "ppfs" key
// Every event is appended to "fake_vyn.log" next to the DLL, one line each:
//   load | unload | init <arg> | register <path>|<lang>|<n> |
//   workfolder <folder> | translate <request hex> <input file hex or ->

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE g_self = nullptr;
// Variants compile without some entry points, leaving some helpers unused.
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-variable"
int g_registerCalls = 0;
int g_translateCalls = 0;

std::string SiblingPath(const char* name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_self, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1) + name;
}

std::string Setting(const char* key, const char* fallback) {
  std::string result = fallback;
  FILE* f = std::fopen(SiblingPath("fake_vyn.conf").c_str(), "rb");
  if (!f) return result;
  char line[4096];
  const size_t keyLength = std::strlen(key);
  while (std::fgets(line, sizeof line, f)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    if (s.size() > keyLength && s.compare(0, keyLength, key) == 0 && s[keyLength] == '=') {
      result = s.substr(keyLength + 1);
    }
  }
  std::fclose(f);
  return result;
}

// The value for the n-th call (1-based) of a comma-separated list.
int NthStatus(const char* key, int n) {
  std::string list = Setting(key, "0");
  int value = 0;
  size_t start = 0;
  for (int i = 1;; ++i) {
    size_t comma = list.find(',', start);
    value = std::atoi(list.substr(start, comma - start).c_str());
    if (i >= n || comma == std::string::npos) break;
    start = comma + 1;
  }
  return value;
}

std::string Hex(const void* data, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

std::vector<unsigned char> Unhex(const std::string& hex) {
  std::vector<unsigned char> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<unsigned char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  }
  return out;
}

void Log(const std::string& line) {
  FILE* f = std::fopen(SiblingPath("fake_vyn.log").c_str(), "ab");
  if (!f) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fputc('\n', f);
  std::fclose(f);
}

bool ReadFileBytes(const char* path, std::vector<unsigned char>& bytes) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  unsigned char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    Log("load");
  } else if (reason == DLL_PROCESS_DETACH) {
    Log("unload");
  }
  return TRUE;
}

#define FAKE_EXPORT extern "C" __declspec(dllexport)

#ifndef FAKE_VYN_WITHOUT_INIT
FAKE_EXPORT int VynAPI_Init(const char* argument) {
  Log(std::string("init ") + (argument ? argument : "(null)"));
  if (Setting("create_ppfs", "0") == "1") {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_USERS, ".DEFAULT\\Software\\Kelar\\Vyn\\Systems\\ppfs", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegCloseKey(key);
    }
  }
  return std::atoi(Setting("init_status", "0").c_str());
}
#endif

#ifndef FAKE_VYN_WITHOUT_REGISTER
FAKE_EXPORT int VynAPI_RegisterDictionary(const char* path, const char* language, int n) {
  Log(std::string("register ") + (path ? path : "(null)") + "|" + (language ? language : "(null)") + "|" +
      std::to_string(n));
  return NthStatus("register_status", ++g_registerCalls);
}
#endif

#ifndef FAKE_VYN_WITHOUT_WORKFOLDER
FAKE_EXPORT int VynAPI_SetWorkingFolder(const char* folder) {
  Log(std::string("workfolder ") + (folder ? folder : "(null)"));
  return 0;
}
#endif

#ifndef FAKE_VYN_WITHOUT_TRANSLATE
FAKE_EXPORT int VynAPI_TranslateFile2(const void* request) {
  const char* bytes = static_cast<const char*>(request);
  char inputPath[261] = {};
  char outputPath[261] = {};
  std::memcpy(inputPath, bytes + 8, 260);
  std::memcpy(outputPath, bytes + 268, 260);

  std::vector<unsigned char> input;
  bool haveInput = ReadFileBytes(inputPath, input);
  Log("translate " + Hex(request, 636) + " " + (haveInput ? Hex(input.data(), input.size()) : "-"));

  int delay = std::atoi(Setting("delay_ms", "0").c_str());
  if (delay > 0) Sleep(static_cast<DWORD>(delay));

  int status = NthStatus("translate_status", ++g_translateCalls);
  std::string output = Setting("output", "echo");
  if (output != "none") {
    std::vector<unsigned char> out = output == "hex" ? Unhex(Setting("output_hex", "")) : input;
    if (FILE* f = std::fopen(outputPath, "wb")) {
      if (!out.empty()) std::fwrite(out.data(), 1, out.size(), f);
      std::fclose(f);
    }
  }
  return status;
}
#endif
