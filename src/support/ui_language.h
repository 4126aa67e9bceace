#pragma once
// The interface language: one process-wide number that selects the language
// of every localized text. It is taken from the user's locale before main
// runs; the features document switches it for the length of one request
// (under the engine lock) and puts it back.

#include <string_view>

namespace kelar {

// Interface-language numbers. Localized tables elsewhere are indexed by these
// values, so they never change.
enum UiLanguage : int {
  kUiArabic = 1,
  kUiChinese = 2,
  kUiDutch = 3,
  kUiEnglish = 4,
  kUiPersian = 5,
  kUiFrench = 6,
  kUiGerman = 7,
  kUiHebrew = 8,
  kUiIndonesian = 9,
  kUiItalian = 10,
  kUiJapanese = 11,
  kUiKorean = 12,
  kUiPashto = 13,
  kUiPolish = 14,
  kUiPortuguese = 15,
  kUiRussian = 16,
  kUiSpanish = 17,
  kUiTagalog = 18,
  kUiTurkish = 19,
  kUiUkrainian = 20,
  kUiUrdu = 21,
};

// Plain integer without a lock of its own: after start-up only code holding
// the engine lock reads or writes it.
extern int CurrentUiLanguage;

// The number for the current user's default locale, from its primary
// language; languages without texts of their own give English.
int UiLanguageFromLocale();

// The number for a two-letter code ("de" -> 7). Exact and case-sensitive: an
// unknown code, "DE", "fr-FR" or the empty code give English.
int UiLanguageNumber(std::u16string_view code);

}  // namespace kelar
