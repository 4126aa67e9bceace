#pragma once
// Labels of the features document that a client shows to its user: the input
// group, its one option, and the subject domains of technical dictionaries.
// Each is an 8-bit text in the ANSI code page of its language (936 for
// Chinese, 1252 for the others) and is widened with the system's ANSI code
// page when the document is built.

#include "support/localized_text.h"

namespace kelar {

extern const LocalizedText kInputGroupLabel;
extern const LocalizedText kEmailPrefixOptionLabel;

// The subject domains that technical dictionaries cover.
enum class Domain {
  Aviation,
  Business,
  Chemical,
  Computer,
  Crime,
  Diplomatic,
  DrugTerms,
  Military,
  Nuclear,
  SpecialAircraftTerminology,
  Telecommunications,
};

const LocalizedText& DomainLabel(Domain domain);

}  // namespace kelar
