#include "documents/engine_options.h"

namespace kelar {
namespace {

std::u16string Decimal(std::size_t n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n != 0);
  return digits;
}

}  // namespace

void EngineOptions::SetFromXml(std::u16string_view text) {
  options = ParseOptionList(text);
  sourceLanguage = GetOption(u"SourceLanguage");
  translationLanguage = GetOption(u"TranslationLanguage");
  uiLanguage = GetOption(u"UILanguage");
}

std::u16string EngineOptions::GetOption(std::u16string_view name,
                                        std::u16string_view defaultValue) const {
  const auto found = options.find(name);
  if (found != options.end()) return found->second;
  return std::u16string(defaultValue);
}

std::vector<std::u16string> EngineOptions::ListOptionKeys(std::u16string_view prefix) const {
  std::vector<std::u16string> keys;
  // Every listed name is a distinct entry of the map, so the walk ends by
  // the map's size at the latest.
  for (std::size_t n = 0;; ++n) {
    std::u16string key(prefix);
    key += Decimal(n);
    if (GetOption(key).empty()) break;
    keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace kelar
