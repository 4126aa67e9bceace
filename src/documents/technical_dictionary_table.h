#pragma once
// Which technical dictionaries a language pair offers, with their labels.

#include <map>
#include <string>
#include <string_view>

namespace kelar {

// Identifier text -> label, ordered byte-wise by identifier, so "10" sorts
// between "1" and "2". Both are 8-bit texts; the labels are in the code page
// of the language that CurrentUiLanguage selects at the time of the call.
using TechnicalDictionaryMap = std::map<std::string, std::string>;

// The dictionaries for one exact, case-sensitive (source, translation) pair;
// empty for a pair that has none.
TechnicalDictionaryMap TechnicalDictionaryTable(std::u16string_view sourceLanguage,
                                                std::u16string_view translationLanguage);

}  // namespace kelar
