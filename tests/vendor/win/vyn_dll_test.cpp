// Vyn.dll as the server sees it: loaded from a folder, called through its
// four exported C functions, exchanging UTF-8 files named in a 636-byte
// request. Each test loads the library afresh, so no state carries over.

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "harness/win/fresh_process.h"
#include "vyn_request.h"

namespace {

using InitFunction = std::int32_t(__cdecl*)(const char*);
using RegisterFunction = std::int32_t(__cdecl*)(const char*, const char*, std::int32_t);
using WorkingFolderFunction = std::int32_t(__cdecl*)(const char*);
using TranslateFunction = std::int32_t(__cdecl*)(void*);

constexpr char kSystemsKey[] = ".DEFAULT\\Software\\Kelar\\Vyn\\Systems";
constexpr char kPpfsKey[] = ".DEFAULT\\Software\\Kelar\\Vyn\\Systems\\ppfs";
constexpr std::int16_t kEnglish = 9, kPashto = 99, kDari = 41, kArabic = 1;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }  // test paths are ASCII

bool ReadBytes(const std::string& path, std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[4096];
  size_t n;
  bytes.clear();
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return true;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

bool KeyExists(const char* path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_USERS, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string WithCrlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

struct Outcome {
  std::int32_t status;
  bool written;        // the output file exists
  std::string output;  // its bytes
};

class VynDll : public testing::Test {
 protected:
  void SetUp() override {
    engine_ = Narrow(kelar::test::ExecutableFolder()) + "vendor-engine\\";
    ppfsExisted_ = KeyExists(kPpfsKey);
    module_ = LoadLibraryA((engine_ + "Vyn.dll").c_str());
    ASSERT_NE(module_, nullptr) << "cannot load Vyn.dll, error " << GetLastError();
    init_ = EntryPoint<InitFunction>("VynAPI_Init");
    register_ = EntryPoint<RegisterFunction>("VynAPI_RegisterDictionary");
    workingFolder_ = EntryPoint<WorkingFolderFunction>("VynAPI_SetWorkingFolder");
    translate_ = EntryPoint<TranslateFunction>("VynAPI_TranslateFile2");
    work_ = Narrow(kelar::test::MakeFreshFolder());
  }

  void TearDown() override {
    if (module_) FreeLibrary(module_);
    kelar::test::DeleteTree(std::wstring(work_.begin(), work_.end()));
    // Other suites test the server's reaction to a missing key.
    if (!ppfsExisted_) {
      HKEY systems;
      if (RegOpenKeyExA(HKEY_USERS, kSystemsKey, 0, KEY_ALL_ACCESS, &systems) == ERROR_SUCCESS) {
        RegDeleteKeyA(systems, "ppfs");
        RegCloseKey(systems);
      }
    }
  }

  template <class Function>
  Function EntryPoint(const char* name) {
    FARPROC address = GetProcAddress(module_, name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  }

  // What the server does once per load.
  void Bind() {
    ASSERT_EQ(init_(engine_.c_str()), 0);
    ASSERT_EQ(register_((engine_ + "EnFa\\EN-FA.din").c_str(), "EN", 1), 0);
    ASSERT_EQ(register_((engine_ + "FaEn\\FA-EN.din").c_str(), "EN", 1), 0);
    char folder[1000] = {};
    engine_.copy(folder, sizeof folder - 1);
    workingFolder_(folder);
  }

  vyn::FileRequest Request(std::int16_t source = kPashto, std::int16_t target = kEnglish) {
    vyn::FileRequest r;
    std::memset(&r, 0, sizeof r);
    r.recordSize = 636;
    r.sourceLanguage = source;
    r.targetLanguage = target;
    (work_ + "in_psen1.txt").copy(r.inputFile, sizeof r.inputFile - 1);
    (work_ + "out_psen1.txt").copy(r.outputFile, sizeof r.outputFile - 1);
    std::strcpy(r.inputEncoding, "utf-8");
    std::strcpy(r.outputEncoding, "utf-8");
    r.technicalDictionaries[0] = 255;
    r.flags = 0x148;
    return r;
  }

  Outcome Run(vyn::FileRequest& request) {
    Outcome o;
    o.status = translate_(&request);
    o.written = ReadBytes(request.outputFile, o.output);
    return o;
  }

  Outcome Translate(const std::string& input, std::int16_t source = kPashto, std::int16_t target = kEnglish) {
    vyn::FileRequest request = Request(source, target);
    WriteBytes(request.inputFile, input);
    return Run(request);
  }

  std::string engine_;  // folder of the engine's copy, with a trailing backslash
  std::string work_;    // folder for the exchange files
  bool ppfsExisted_ = false;
  HMODULE module_ = nullptr;
  InitFunction init_ = nullptr;
  RegisterFunction register_ = nullptr;
  WorkingFolderFunction workingFolder_ = nullptr;
  TranslateFunction translate_ = nullptr;
};

TEST_F(VynDll, ExportsTheFourEntryPointsAndImportsOnlySystemLibraries) {
  const BYTE* base = reinterpret_cast<const BYTE*>(module_);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);

  const IMAGE_DATA_DIRECTORY& exportsEntry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportsEntry.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::set<std::string> exported;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) exported.insert(reinterpret_cast<const char*>(base + names[i]));
  EXPECT_EQ(exported, (std::set<std::string>{"VynAPI_Init", "VynAPI_RegisterDictionary", "VynAPI_SetWorkingFolder",
                                             "VynAPI_TranslateFile2"}));
  EXPECT_EQ(exports->NumberOfFunctions, 4u);

  const IMAGE_DATA_DIRECTORY& importsEntry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importsEntry.VirtualAddress);
  for (; import->Name; ++import) {
    std::string name = reinterpret_cast<const char*>(base + import->Name);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(name == "kernel32.dll" || name == "msvcrt.dll" || name == "advapi32.dll" ||
                name.rfind("api-ms-win-", 0) == 0)
        << "imports " << name << ": the runtime must be linked in";
  }
}

TEST_F(VynDll, TranslatesTheSamplesIntoEnglish) {
  Bind();
  std::string pashto, english;
  ASSERT_TRUE(ReadBytes(engine_ + "pashto.txt", pashto));
  ASSERT_TRUE(ReadBytes(engine_ + "pashto.en.txt", english));
  const Outcome o = Translate(WithCrlf(pashto));
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.output, WithCrlf(english));
}

TEST_F(VynDll, TranslatesPhrasesNormalisedLettersDigitsAndUnknownWords) {
  Bind();
  struct Case {
    const char* what;
    std::int16_t source;
    const char* input;
    const char* english;
  } cases[] = {
      {"sample sentence", kPashto, "زما ورور په کندهار کې ژوند کوي.", "My brother lives in Kandahar."},
      {"longest phrase first", kPashto, "ډېره مننه", "Thank you very much"},
      {"longest phrase of three words", kPashto, "سهار مو پخیر", "Good morning"},
      {"Arabic kaf and yeh", kPashto, "دا كتاب دی", "This is book"},
      {"harakat and tatweel", kPashto, "سلـــام، مَنَنَه", "Hello, thank you"},
      {"digits and punctuation", kPashto, "۱۲۳ کتابونه؛ ٤٥ قلمونه؟", "123 books; 45 pens?"},
      {"unknown word transliterated", kPashto, "زما خور ګلالۍ نومېږي", "My sister is called Glalay"},
      {"Dari", kDari, "من به خانه می روم", "I go to home"},
  };
  for (const Case& c : cases) {
    const Outcome o = Translate(c.input, c.source);
    EXPECT_EQ(o.status, 0) << c.what;
    EXPECT_EQ(o.output, c.english) << c.what;
  }
}

TEST_F(VynDll, ReadsUtf8TextModeInputAndWritesCrlfOutput) {
  Bind();
  struct Case {
    const char* what;
    std::string input;
    std::string output;
  } cases[] = {
      {"CRLF lines", "سلام\r\nمننه\r\n", "Hello\r\nThank you\r\n"},
      {"byte-order mark", "\xEF\xBB\xBFسلام", "Hello"},
      {"0x1A ends the data", "سلام\x1Aمننه", "Hello"},
      {"non-ASCII text passes through as UTF-8", "café سلام", "caf\xC3\xA9 hello"},
      {"empty input, empty output", "", ""},
  };
  for (const Case& c : cases) {
    const Outcome o = Translate(c.input);
    EXPECT_EQ(o.status, 0) << c.what;
    EXPECT_TRUE(o.written) << c.what;
    EXPECT_EQ(o.output, c.output) << c.what;
  }
}

TEST_F(VynDll, RefusesUnsupportedPairsAndBadRequestsWithoutWriting) {
  Bind();
  struct Case {
    const char* what;
    std::function<void(vyn::FileRequest&)> change;
  } cases[] = {
      {"English to Pashto", [](vyn::FileRequest& r) { std::swap(r.sourceLanguage, r.targetLanguage); }},
      {"Pashto to Pashto", [](vyn::FileRequest& r) { r.targetLanguage = kPashto; }},
      {"Pashto to Dari", [](vyn::FileRequest& r) { r.targetLanguage = kDari; }},
      {"unknown target", [](vyn::FileRequest& r) { r.targetLanguage = 0; }},
      {"Arabic, no glossary", [](vyn::FileRequest& r) { r.sourceLanguage = kArabic; }},
      {"record size", [](vyn::FileRequest& r) { r.recordSize = 600; }},
      {"unterminated input path", [](vyn::FileRequest& r) { std::memset(r.inputFile, 'a', sizeof r.inputFile); }},
      {"empty output path", [](vyn::FileRequest& r) { r.outputFile[0] = '\0'; }},
      {"encoding", [](vyn::FileRequest& r) { std::strcpy(r.outputEncoding, "utf-16"); }},
      {"missing input file", [](vyn::FileRequest& r) { std::strcat(r.inputFile, ".gone"); }},
  };
  for (const Case& c : cases) {
    vyn::FileRequest request = Request();
    WriteBytes(request.inputFile, "سلام");
    c.change(request);
    const std::string output = Request().outputFile;
    const std::int32_t status = translate_(&request);
    std::string bytes;
    EXPECT_NE(status, 0) << c.what;
    EXPECT_FALSE(ReadBytes(output, bytes)) << c.what << ": no output file";
  }
  EXPECT_NE(translate_(nullptr), 0);

  vyn::FileRequest unwritable = Request();
  WriteBytes(unwritable.inputFile, "سلام");
  (work_ + "no such folder\\out.txt").copy(unwritable.outputFile, sizeof unwritable.outputFile - 1);
  EXPECT_NE(translate_(&unwritable), 0);
}

TEST_F(VynDll, ReportsSetUpFailuresAndMarksItsSystemKey) {
  vyn::FileRequest request = Request();
  WriteBytes(request.inputFile, "سلام");
  EXPECT_NE(translate_(&request), 0) << "before initialisation";
  EXPECT_NE(register_((engine_ + "FaEn\\FA-EN.din").c_str(), "EN", 1), 0) << "before initialisation";

  HKEY systems;
  if (RegOpenKeyExA(HKEY_USERS, kSystemsKey, 0, KEY_ALL_ACCESS, &systems) == ERROR_SUCCESS) {
    RegDeleteKeyA(systems, "ppfs");
    RegCloseKey(systems);
  }
  EXPECT_EQ(init_(engine_.c_str()), 0);
  EXPECT_TRUE(KeyExists(kPpfsKey)) << "so the server loads the library only once";

  EXPECT_NE(register_((work_ + "missing.din").c_str(), "EN", 1), 0);
  WriteBytes(work_ + "broken.din", "[ps-en]\nسلام hello\n");
  EXPECT_NE(register_((work_ + "broken.din").c_str(), "EN", 1), 0);
  EXPECT_NE(translate_(&request), 0) << "no glossary for the pair yet";

  ASSERT_EQ(register_((engine_ + "FaEn\\FA-EN.din").c_str(), "EN", 1), 0);
  EXPECT_EQ(Run(request).output, "Hello");
  // A new initialisation starts without glossaries.
  EXPECT_EQ(init_(nullptr), 0);
  EXPECT_NE(translate_(&request), 0);
}

}  // namespace
