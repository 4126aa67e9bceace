#include "support/ui_language.h"

#include <cstdint>

#include "support/platform.h"

namespace kelar {

// Defined together with its initialiser: any program that reads the number
// links this object file and so runs the initialiser before main. The locale
// is read once; a later change of the user's locale does not reach a running
// process.
int CurrentUiLanguage = UiLanguageFromLocale();

int UiLanguageFromLocale() {
  const std::uint32_t primaryLanguage = platform::UserDefaultLocale() & 0x3FF;
  switch (primaryLanguage) {
    case 0x04: return kUiChinese;
    case 0x07: return kUiGerman;
    case 0x0A: return kUiSpanish;
    case 0x0C: return kUiFrench;
    case 0x10: return kUiItalian;
    case 0x13: return kUiDutch;
    case 0x16: return kUiPortuguese;
    default: return kUiEnglish;
  }
}

int UiLanguageNumber(std::u16string_view code) {
  static constexpr struct {
    const char16_t* code;
    int number;
  } kCodes[] = {
      {u"ar", kUiArabic},     {u"zh", kUiChinese},    {u"nl", kUiDutch},      {u"en", kUiEnglish},
      {u"fa", kUiPersian},    {u"fr", kUiFrench},     {u"de", kUiGerman},     {u"he", kUiHebrew},
      {u"id", kUiIndonesian}, {u"it", kUiItalian},    {u"ja", kUiJapanese},   {u"ko", kUiKorean},
      {u"ps", kUiPashto},     {u"pl", kUiPolish},     {u"pt", kUiPortuguese}, {u"ru", kUiRussian},
      {u"es", kUiSpanish},    {u"tl", kUiTagalog},    {u"tr", kUiTurkish},    {u"uk", kUiUkrainian},
      {u"ur", kUiUrdu},
  };
  for (const auto& entry : kCodes) {
    if (code == entry.code) return entry.number;
  }
  return kUiEnglish;
}

}  // namespace kelar
