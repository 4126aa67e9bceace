#pragma once
// The record handed to the vendor's VynAPI_TranslateFile2: which file to
// translate into which, the language pair, the encodings and the technical
// dictionaries. 636 bytes, little-endian, laid out exactly as the vendor
// library reads it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelar {

#pragma pack(push, 1)
struct VynFileRequest {
  std::uint16_t recordSize;            // always 636
  std::uint16_t reserved;
  std::int16_t targetLanguage;         // VynLanguageCode of the translation language
  std::int16_t sourceLanguage;         // VynLanguageCode of the source language
  char inputFile[260];                 // NUL-terminated, ANSI code page
  char outputFile[260];                // NUL-terminated, ANSI code page
  char firstEncoding[32];              // "utf-8"
  char secondEncoding[32];             // "utf-8"
  unsigned char technicalDictionaries[32];  // identifiers, then 255
  std::uint32_t flags;                 // 0x148
  std::uint32_t reserved2;             // 0
  std::int32_t reserved3;              // 0
};
#pragma pack(pop)

static_assert(sizeof(VynFileRequest) == 636, "the vendor reads a 636-byte record");
static_assert(offsetof(VynFileRequest, targetLanguage) == 4);
static_assert(offsetof(VynFileRequest, sourceLanguage) == 6);
static_assert(offsetof(VynFileRequest, inputFile) == 8);
static_assert(offsetof(VynFileRequest, outputFile) == 268);
static_assert(offsetof(VynFileRequest, firstEncoding) == 528);
static_assert(offsetof(VynFileRequest, secondEncoding) == 560);
static_assert(offsetof(VynFileRequest, technicalDictionaries) == 592);
static_assert(offsetof(VynFileRequest, flags) == 624);
static_assert(offsetof(VynFileRequest, reserved2) == 628);
static_assert(offsetof(VynFileRequest, reserved3) == 632);

// At most this many identifiers fit before the terminating 255; further ones
// are left out.
inline constexpr std::size_t kMaximumTechnicalDictionaries = 31;

// The vendor's number for a language code (exact, case-sensitive); 0 for
// codes it does not know.
std::int16_t VynLanguageCode(std::u16string_view code);

// The value of one technical-dictionary option as the vendor's one-byte
// identifier: a decimal integer with optional leading white space and sign,
// parsing stops at the first non-digit, no digits give 0; the low 8 bits.
unsigned char TechnicalDictionaryByte(std::u16string_view value);

// A zeroed request filled with everything but the file names.
VynFileRequest MakeVynFileRequest(std::u16string_view sourceLanguage, std::u16string_view translationLanguage,
                                  const std::vector<std::u16string>& technicalDictionaryValues);

// Writes the two exchange file paths. Returns false, leaving the request
// unchanged, when either path does not fit its field with its terminator:
// a cut path would name another file.
bool SetExchangeFiles(VynFileRequest& request, std::string_view inputFile, std::string_view outputFile);

}  // namespace kelar
