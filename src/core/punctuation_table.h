#pragma once
// Code-unit ranges that the Windows C runtime's iswpunct accepts, generated
// once under Wine so the portable build gives the same answers.
#include <cstddef>

namespace kelar {

struct PunctuationRange {
  char16_t first;
  char16_t last;
};

extern const PunctuationRange kPunctuationRanges[];
extern const std::size_t kPunctuationRangeCount;

}  // namespace kelar
