#include "engine.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "vyn_request.h"

namespace vyn {
namespace {

// The whole file as bytes; false when it cannot be opened or read.
bool ReadFile(const char* path, std::string& bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buffer[16384];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return !failed;
}

// What a C text-mode read gives: CRLF as LF, and 0x1A ends the data. Done by
// hand so the engine reads alike on every platform.
std::string FromTextMode(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\x1A') break;
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += c;
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  return text;
}

// Written in text mode: on Windows every LF goes out as CRLF, as the server
// expects. A failed write or close removes the file, so no half translation
// is ever left to be read.
bool WriteTextFile(const char* path, const std::string& text) {
  std::FILE* f = std::fopen(path, "w");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path);
  return ok;
}

// A fixed-size text field holds a terminated string.
bool Terminated(const char* field, size_t size, std::string_view& value) {
  const void* end = std::memchr(field, '\0', size);
  if (!end) return false;
  value = std::string_view(field, static_cast<const char*>(end) - field);
  return true;
}

bool IsUtf8Name(std::string_view name) {
  std::string lower;
  for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower == "utf-8" || lower == "utf8";
}

}  // namespace

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

std::int32_t Engine::Init() {
  std::lock_guard<std::mutex> lock(mutex_);
  glossaries_.clear();
  initialised_ = true;
  return kOk;
}

std::int32_t Engine::RegisterDictionary(const char* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!initialised_) return kNotInitialised;
  if (!path) return kBadRequest;
  std::string bytes;
  if (!ReadFile(path, bytes)) return kDictionaryUnreadable;
  Dictionary dictionary;
  std::string error;
  if (!ParseDictionary(bytes, dictionary, error)) return kDictionaryMalformed;
  for (auto& [pair, entries] : dictionary) {
    Glossary& glossary = glossaries_[pair];
    for (Entry& e : entries) glossary.Add(std::move(e));
  }
  return kOk;
}

std::int32_t Engine::TranslateFile(const void* request) {
  if (!request) return kBadRequest;
  // The size comes first so that a shorter record is never read past its end.
  std::uint16_t size;
  std::memcpy(&size, request, sizeof size);
  if (size != kFileRequestSize) return kBadRequest;
  FileRequest r;
  std::memcpy(&r, request, sizeof r);

  std::string_view input, output, inputEncoding, outputEncoding;
  if (!Terminated(r.inputFile, sizeof r.inputFile, input) || input.empty() ||
      !Terminated(r.outputFile, sizeof r.outputFile, output) || output.empty()) {
    return kBadRequest;
  }
  if (!Terminated(r.inputEncoding, sizeof r.inputEncoding, inputEncoding) ||
      !Terminated(r.outputEncoding, sizeof r.outputEncoding, outputEncoding) || !IsUtf8Name(inputEncoding) ||
      !IsUtf8Name(outputEncoding)) {
    return kUnsupportedEncoding;
  }

  std::lock_guard<std::mutex> lock(mutex_);
  if (!initialised_) return kNotInitialised;
  const std::string_view source = LanguageCode(r.sourceLanguage);
  const std::string_view target = LanguageCode(r.targetLanguage);
  if (source.empty() || target.empty()) return kUnsupportedLanguagePair;
  auto glossary = glossaries_.find(std::string(source) + "-" + std::string(target));
  if (glossary == glossaries_.end()) return kUnsupportedLanguagePair;

  try {
    std::string bytes;
    if (!ReadFile(r.inputFile, bytes)) return kInputUnreadable;
    const std::string translation = TranslateText(glossary->second, source, FromTextMode(bytes));
    if (!WriteTextFile(r.outputFile, translation)) return kOutputUnwritable;
  } catch (const std::bad_alloc&) {
    return kInternalError;
  }
  return kOk;
}

}  // namespace vyn
