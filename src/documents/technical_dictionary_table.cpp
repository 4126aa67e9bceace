#include "documents/technical_dictionary_table.h"

#include "documents/feature_labels.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

struct Entry {
  const char* identifier;
  Domain domain;
};

// Rows with fewer than the largest number of dictionaries end at the first
// entry without an identifier.
struct PairRow {
  const char16_t* source;
  const char16_t* translation;
  Entry entries[10];
};

// The identifiers are the vendor's numbers for its dictionaries of each pair,
// so the same domain may carry different numbers in different pairs.
const PairRow kPairs[] = {
    {u"en", u"ar",
     {{"1", Domain::Business},
      {"2", Domain::Chemical},
      {"3", Domain::Computer},
      {"4", Domain::Crime},
      {"5", Domain::Diplomatic},
      {"6", Domain::DrugTerms},
      {"7", Domain::SpecialAircraftTerminology},
      {"8", Domain::Military},
      {"9", Domain::Nuclear},
      {"10", Domain::Telecommunications}}},
    {u"ar", u"en",
     {{"1", Domain::Business},
      {"2", Domain::Chemical},
      {"3", Domain::Computer},
      {"4", Domain::Crime},
      {"5", Domain::Diplomatic},
      {"6", Domain::DrugTerms},
      {"7", Domain::Military},
      {"8", Domain::Nuclear},
      {"9", Domain::Telecommunications}}},
    {u"en", u"fa",
     {{"0", Domain::Aviation},
      {"1", Domain::Business},
      {"2", Domain::Computer},
      {"3", Domain::Diplomatic},
      {"4", Domain::SpecialAircraftTerminology},
      {"5", Domain::Military},
      {"6", Domain::Nuclear},
      {"7", Domain::Telecommunications}}},
    {u"fa", u"en",
     {{"1", Domain::Business},
      {"2", Domain::Computer},
      {"3", Domain::Diplomatic},
      {"4", Domain::Military},
      {"5", Domain::Nuclear},
      {"6", Domain::Telecommunications}}},
    {u"en", u"tr",
     {{"1", Domain::Business},
      {"2", Domain::Computer},
      {"3", Domain::Diplomatic},
      {"4", Domain::Military},
      {"5", Domain::Nuclear},
      {"6", Domain::Telecommunications}}},
    {u"tr", u"en",
     {{"1", Domain::Business},
      {"2", Domain::Computer},
      {"3", Domain::Diplomatic},
      {"4", Domain::Military},
      {"5", Domain::Nuclear},
      {"6", Domain::Telecommunications}}},
};

}  // namespace

TechnicalDictionaryMap TechnicalDictionaryTable(std::u16string_view sourceLanguage,
                                                std::u16string_view translationLanguage) {
  TechnicalDictionaryMap dictionaries;
  for (const PairRow& row : kPairs) {
    if (sourceLanguage != row.source || translationLanguage != row.translation) continue;
    for (const Entry& entry : row.entries) {
      if (entry.identifier == nullptr) break;
      dictionaries.emplace(entry.identifier, DomainLabel(entry.domain).For(CurrentUiLanguage));
    }
    break;
  }
  return dictionaries;
}

}  // namespace kelar
