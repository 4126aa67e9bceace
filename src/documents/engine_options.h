#pragma once
// The options text of one call, read once and then only looked at. Names are
// matched in full and case-sensitively; values are kept exactly as written.

#include <string>
#include <string_view>
#include <vector>

#include "documents/option_list.h"

namespace kelar {

struct EngineOptions {
  std::u16string sourceLanguage;       // "SourceLanguage", empty when absent
  std::u16string translationLanguage;  // "TranslationLanguage", empty when absent
  std::u16string uiLanguage;           // "UILanguage", empty when absent
  OptionMap options;                   // every entry, first occurrence of each name

  // Replaces all four fields from an options document. Any text is accepted;
  // unreadable parts simply contribute nothing.
  void SetFromXml(std::u16string_view text);

  // The option's value when the name is present, even when that value is
  // empty; the default only when the name is absent.
  std::u16string GetOption(std::u16string_view name,
                           std::u16string_view defaultValue = {}) const;

  // prefix + "0", prefix + "1", ... for as long as each is present with a
  // non-empty value. The first gap ends the list, so later numbers are never
  // seen.
  std::vector<std::u16string> ListOptionKeys(std::u16string_view prefix) const;
};

}  // namespace kelar
