#pragma once
// Every text the system shows to people exists in eight versions, and one rule
// picks the version for an interface-language number: Chinese, Dutch, French,
// German, Italian, Portuguese and Spanish have their own; every other number
// reads English. Tables of localized texts anywhere in the system (messages,
// vendor errors, document labels) hold a Localized<...> per text and choose
// through it, so the rule lives here only.
//
// The 8-bit texts are in the ANSI code page of their language: 936 (GB2312)
// for Chinese, 1252 for the others. Whoever shows one widens it with the
// system's ANSI code page.

#include <string>

namespace kelar {

// The languages that have texts of their own.
enum class TextLanguage { English, Chinese, Dutch, French, German, Italian, Portuguese, Spanish };

// 2 Chinese, 3 Dutch, 6 French, 7 German, 10 Italian, 15 Portuguese,
// 17 Spanish; anything else, known or not, English.
TextLanguage TextLanguageOf(int uiLanguage);

// One text in the eight languages. Aggregate-initialised in this field order.
template <class T>
struct Localized {
  T english;
  T chinese;
  T dutch;
  T french;
  T german;
  T italian;
  T portuguese;
  T spanish;

  const T& In(TextLanguage language) const {
    switch (language) {
      case TextLanguage::Chinese: return chinese;
      case TextLanguage::Dutch: return dutch;
      case TextLanguage::French: return french;
      case TextLanguage::German: return german;
      case TextLanguage::Italian: return italian;
      case TextLanguage::Portuguese: return portuguese;
      case TextLanguage::Spanish: return spanish;
      case TextLanguage::English: break;
    }
    return english;
  }

  const T& For(int uiLanguage) const { return In(TextLanguageOf(uiLanguage)); }
};

using LocalizedText = Localized<const char*>;

// printf-style formatting of a localized format into a 1024-byte buffer. A
// result that would not fit is cut to 1023 bytes rather than overrunning.
std::string FormatBounded(const char* format, ...);

}  // namespace kelar
