#pragma once
// What the server hands to VynAPI_TranslateFile2, and the statuses this engine
// answers with. The record is read, never written: the caller owns it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vyn {

// 636 bytes, little-endian. Natural alignment already puts every field at its
// offset; the asserts below keep it that way on every compiler.
struct FileRequest {
  std::uint16_t recordSize;            // 636
  std::uint16_t reserved;
  std::int16_t targetLanguage;         // language numbers, see LanguageNumber
  std::int16_t sourceLanguage;
  char inputFile[260];                 // NUL-terminated, ANSI code page
  char outputFile[260];
  char inputEncoding[32];              // "utf-8"
  char outputEncoding[32];
  unsigned char technicalDictionaries[32];  // identifiers ended by 255; not used here
  std::uint32_t flags;                 // not used here
  std::uint32_t reserved2;
  std::int32_t reserved3;
};

inline constexpr std::size_t kFileRequestSize = 636;

static_assert(sizeof(FileRequest) == kFileRequestSize, "the server passes a 636-byte record");
static_assert(offsetof(FileRequest, recordSize) == 0);
static_assert(offsetof(FileRequest, targetLanguage) == 4);
static_assert(offsetof(FileRequest, sourceLanguage) == 6);
static_assert(offsetof(FileRequest, inputFile) == 8);
static_assert(offsetof(FileRequest, outputFile) == 268);
static_assert(offsetof(FileRequest, inputEncoding) == 528);
static_assert(offsetof(FileRequest, outputEncoding) == 560);
static_assert(offsetof(FileRequest, technicalDictionaries) == 592);
static_assert(offsetof(FileRequest, flags) == 624);
static_assert(offsetof(FileRequest, reserved2) == 628);
static_assert(offsetof(FileRequest, reserved3) == 632);

// Every entry point answers 0 for success; the server treats anything else
// as a failure and shows the number.
enum Status : std::int32_t {
  kOk = 0,
  kNotInitialised = 1,         // VynAPI_Init has not run in this load
  kDictionaryUnreadable = 2,   // a dictionary file cannot be opened or read
  kDictionaryMalformed = 3,    // a dictionary file breaks the format
  kBadRequest = 4,             // null argument, wrong record size, unterminated path
  kUnsupportedLanguagePair = 5,
  kUnsupportedEncoding = 6,
  kInputUnreadable = 7,
  kOutputUnwritable = 8,
  kInternalError = 9,          // out of memory and the like
};

// The server's numbers for language codes; 0 for codes it does not know.
std::int16_t LanguageNumber(std::string_view code);
// The code for a number, empty for numbers without one.
std::string_view LanguageCode(std::int16_t number);

}  // namespace vyn
