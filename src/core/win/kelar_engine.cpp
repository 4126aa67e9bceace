#include "core/win/kelar_engine.h"

#include <windows.h>

#include <cstdio>
#include <share.h>

#include "core/text_preparation.h"
#include "core/vendor_errors.h"
#include "core/vyn_file_request.h"
#include "core/win/folders.h"
#include "core/win/quarantine.h"
#include "core/win/vyn_library.h"
#include "documents/xml_text.h"
#include "support/code_page.h"
#include "support/exceptions.h"

namespace kelar {
namespace {

constexpr std::uint32_t kUtf8 = 65001;
constexpr std::size_t kReadChunk = 19999;

// True until the first engine of the process has been created.
bool g_firstEngine = true;
// Numbers the exchange files of each translation; 1 for the first one.
std::int32_t g_callCounter = 0;

// Owner of a C runtime stream.
class CFile {
 public:
  explicit CFile(FILE* file) : file_(file) {}
  ~CFile() {
    if (file_) std::fclose(file_);
  }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  FILE* Get() const { return file_; }
  // Closes now and reports whether everything written reached the file.
  bool Close() {
    FILE* file = file_;
    file_ = nullptr;
    return std::fclose(file) == 0;
  }

 private:
  FILE* file_;
};

std::uint32_t LastError() { return GetLastError(); }

// The language pair as it appears in the exchange file names. Only ASCII
// letters, digits and "-" pass, so no option can name a file outside the
// program folder or an invalid one.
std::string SafePairTag(const EngineOptions& options) {
  std::string tag = WideToAnsi(options.sourceLanguage + options.translationLanguage);
  for (char& c : tag) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    if (!safe) c = '_';
  }
  return tag;
}

std::u16string TranslationElement(std::u16string_view escapedContent) {
  return XmlElement(u"Translation", escapedContent, u"");
}

void WriteExchangeInput(const std::string& path, const std::string& utf8) {
  // Text mode: every LF reaches the file as CR LF. Shared for reading and
  // writing, so the vendor engine can open it while we still could.
  CFile file(_fsopen(path.c_str(), "wt", _SH_DENYNO));
  if (!file.Get()) throw SystemErrorException("fopen", LastError());
  if (std::fwrite(utf8.data(), 1, utf8.size(), file.Get()) != utf8.size()) {
    throw SystemErrorException("fwrite", LastError());
  }
  if (!file.Close()) throw SystemErrorException("fclose", LastError());
}

// The vendor's output as text: CR LF arrives as LF, 0x1A ends the data, each
// chunk counts up to its first NUL byte. No output file is an empty
// translation.
std::string ReadExchangeOutput(const std::string& path) {
  std::string bytes;
  CFile file(_fsopen(path.c_str(), "rt", _SH_DENYNO));
  if (!file.Get()) return bytes;
  char chunk[kReadChunk + 1];
  for (;;) {
    const std::size_t n = std::fread(chunk, 1, kReadChunk, file.Get());
    if (n == 0) break;
    chunk[n] = '\0';
    bytes.append(chunk, std::char_traits<char>::length(chunk));
  }
  // A translation cut short by a read error would be returned as if whole.
  if (std::ferror(file.Get())) throw SystemErrorException("fread", LastError());
  return bytes;
}

}  // namespace

KelarEngine::KelarEngine(const EngineOptions& options) : options_(options) {
  // Before the first translation the recorded folder is empty and this
  // creates nothing. "foo.txt" is never created; it only makes the folder
  // itself part of the path.
  CreateFolders(VynLibrary::Instance().WorkingFolder() + "\\foo.txt");
  if (g_firstEngine) {
    // Cleared first: a failing quarantine must not run again.
    g_firstEngine = false;
    QuarantineLeftoverInputs();
  }
}

std::u16string KelarEngine::Translate(std::u16string_view received) {
  std::u16string keptPrefix;
  const std::u16string prepared = PrepareText(received, keptPrefix, options_.sourceLanguage);
  const std::string utf8 = WideToCodePage(prepared, kUtf8);
  if (utf8.empty()) return TranslationElement(XmlEscape(received));

  std::vector<std::u16string> dictionaries;
  for (const std::u16string& key : options_.ListOptionKeys(u"TDs_")) {
    dictionaries.push_back(options_.GetOption(key));
  }
  VynFileRequest request = MakeVynFileRequest(options_.sourceLanguage, options_.translationLanguage, dictionaries);

  std::string inputFile;
  try {
    VynLibrary& vyn = VynLibrary::Instance();
    vyn.Bind();

    // The whole counter goes into the names, so they never repeat within
    // the process, however many calls it makes.
    const std::string unique = "_" + SafePairTag(options_) + std::to_string(++g_callCounter);
    const std::string candidateInput = vyn.WorkingFolder() + "\\in" + unique + ".txt";
    const std::string outputFile = vyn.WorkingFolder() + "\\out" + unique + ".txt";
    if (!SetExchangeFiles(request, candidateInput, outputFile)) {
      throw SystemErrorException("fopen", ERROR_FILENAME_EXCED_RANGE);
    }
    inputFile = candidateInput;

    DeleteFileA(outputFile.c_str());  // a stale output of an earlier process
    WriteExchangeInput(inputFile, utf8);
    CheckVynStatus(vyn.TranslateFile(request));
    std::string translated;
    try {
      translated = ReadExchangeOutput(outputFile);
    } catch (...) {
      DeleteFileA(outputFile.c_str());
      throw;
    }
    DeleteFileA(inputFile.c_str());
    DeleteFileA(outputFile.c_str());
    return TranslationElement(XmlEscape(keptPrefix + CodePageToWide(translated, kUtf8)));
  } catch (const VeloraException& e) {
    if (!inputFile.empty()) DeleteFileA(inputFile.c_str());
    return XmlElement(u"Errors", AnsiToWide(e.Message()), u"") + TranslationElement(XmlEscape(received));
  } catch (...) {
    if (!inputFile.empty()) DeleteFileA(inputFile.c_str());
    return TranslationElement(XmlEscape(received));
  }
}

}  // namespace kelar
