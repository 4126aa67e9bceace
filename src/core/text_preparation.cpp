#include "core/text_preparation.h"

#include <algorithm>

#include "core/punctuation_table.h"

namespace kelar {
namespace {

bool InRange(char16_t c, char16_t first, char16_t last) { return c >= first && c <= last; }

// Where the source language's own script begins.
bool IsSourceScript(char16_t c, std::u16string_view sourceLanguage) {
  if (sourceLanguage == u"en") return InRange(c, 0x0020, 0x007E);
  if (sourceLanguage == u"tr") return InRange(c, 0x0020, 0x017F);
  // Arabic script: the basic, supplement and extended blocks and the
  // presentation forms (form A only up to U+FC3F).
  return InRange(c, 0x0600, 0x06FF) || InRange(c, 0x0750, 0x07FF) || InRange(c, 0xFB50, 0xFC3F) ||
         InRange(c, 0xFE70, 0xFEFF);
}

bool IsAsciiSpaceOrPunctuation(char16_t c) {
  if (c > 0x7F) return false;
  if (c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == u' ') return true;
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}

std::u16string Normalise(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == 0x00A0 || InRange(c, 0x2000, 0x200A)) {
      out += u' ';
    } else if (c == 0x2026) {
      out += u"...";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool IsPunctuation(char16_t unit) {
  if (unit == 0x0020 || unit == 0x2018 || unit == 0x2019 || unit == 0x201C || unit == 0x201D) return true;
  const PunctuationRange* begin = kPunctuationRanges;
  const PunctuationRange* end = kPunctuationRanges + kPunctuationRangeCount;
  const PunctuationRange* it = std::upper_bound(
      begin, end, unit, [](char16_t u, const PunctuationRange& r) { return u < r.first; });
  return it != begin && unit <= (it - 1)->last;
}

std::u16string PrepareText(std::u16string_view received, std::u16string& keptPrefix,
                           std::u16string_view sourceLanguage) {
  std::u16string text = Normalise(received);
  const std::size_t n = text.size();

  // Find where the translatable text starts, remembering the first
  // punctuation character before it.
  std::size_t firstPunctuation = n;
  std::size_t start = n;
  for (std::size_t p = 0; p < n; ++p) {
    const char16_t c = text[p];
    if (IsPunctuation(c)) {
      if (firstPunctuation == n) firstPunctuation = p;
    } else if (IsSourceScript(c, sourceLanguage)) {
      start = p;
      break;
    }
  }
  // Punctuation right before the text belongs to it ("1. word": the full
  // stop stays with the text, the numbering step may take it later).
  if (firstPunctuation < n && start < n) start = std::min(firstPunctuation, start);

  if (start > 0) {
    if (start == n) {
      text.clear();  // nothing in the source script: nothing to translate
    } else {
      keptPrefix.append(text, 0, start);
      text.erase(0, start);
    }
  }

  // Leading numbering ("12. ", "3) ") stays untranslated, with the
  // character after it, as long as at least two characters remain. Signed
  // arithmetic: a text shorter than three characters is left whole.
  std::size_t k = 0;
  while (k < text.size() && ((text[k] >= u'0' && text[k] <= u'9') || text[k] == u'.')) ++k;
  if (k >= 1 && static_cast<long long>(k) < static_cast<long long>(text.size()) - 2) {
    keptPrefix.append(text, 0, k + 1);
    text.erase(0, k + 1);
  }

  // The vendor engine cannot take runs longer than kMaximumRunLength: the
  // character that would make a run too long is overwritten by a space.
  std::size_t lastBreak = 0;
  for (std::size_t q = 0; q < text.size(); ++q) {
    if (q - lastBreak > kMaximumRunLength) {
      text[q] = u' ';
      lastBreak = q;
    }
    if (IsAsciiSpaceOrPunctuation(text[q])) lastBreak = q;
  }
  return text;
}

}  // namespace kelar
