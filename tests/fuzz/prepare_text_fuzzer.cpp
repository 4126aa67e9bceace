// Every piece a client sends goes through PrepareText before the vendor
// engine sees it, so it must take any text, keep every character it does
// not deliberately change, and never hand the engine a run it cannot take.
//
// Input: one control byte, then the text.
// - Bits 0-2 choose the source language: "ps", "en", "tr", "fa", "", "EN",
//   "ar", "p" (the Arabic-script languages, the two Latin ones, and codes
//   that match neither).
// - Bit 3 chooses the form of the text: clear for little-endian UTF-16 (any
//   unit), set for one unit per byte where bytes below 0x80 are ASCII and
//   the others pick from kAlphabet, the characters the rules look at.
// - Bit 4 starts the kept prefix with some text, which must stay in front.
//
// Invariants:
// - The kept prefix is only appended to.
// - Normalising turns U+00A0 and U+2000-U+200A into a space and U+2026 into
//   "...", and changes nothing else. Either nothing is kept and nothing is
//   prepared (no source-script character: nothing to translate), or the kept
//   part followed by the prepared text is the normalised text, except for
//   characters overwritten by a space to break a run. So the two together
//   never grow beyond the input plus two characters per U+2026.
// - No run longer than 122 characters without a break reaches the vendor:
//   with position 0 counted as a break and breaks being the ASCII white space
//   and punctuation, every position is at most 122 after the last break at
//   or before it; and a character is overwritten only where the run before it
//   has reached 122, so no more is lost than needed.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text_preparation.h"
#include "fuzz_input.h"

namespace {

constexpr std::u16string_view kLanguages[8] = {u"ps", u"en", u"tr", u"fa",
                                               u"",   u"EN", u"ar", u"p"};

// The characters the rules look at, with their neighbours at range edges.
constexpr char16_t kAlphabet[] = {
    // Normalised.
    0x00A0, 0x2000, 0x2001, 0x2005, 0x200A, 0x200B, 0x2026, 0x1FFF,
    // Punctuation beyond ASCII.
    0x2018, 0x2019, 0x201C, 0x201D, 0x060C, 0x061B, 0x061F, 0x066A, 0x066D, 0x06D4, 0x00AB,
    0x00BB, 0x00BF, 0x2013, 0x2014, 0x2022, 0x3001, 0x3002, 0xFD3E, 0xFD3F,
    // Arabic script and the edges of its ranges.
    0x0600, 0x0627, 0x0628, 0x062A, 0x0633, 0x0644, 0x0645, 0x0646, 0x0648, 0x067E, 0x06A9,
    0x06AB, 0x06BC, 0x06CC, 0x06D0, 0x06FF, 0x05FF, 0x0700, 0x074F, 0x0750, 0x07FF, 0x0800,
    0xFB4F, 0xFB50, 0xFC3F, 0xFC40, 0xFDFF, 0xFE6F, 0xFE70, 0xFE8D, 0xFEFF, 0xFF00,
    // Digits that are not ASCII.
    0x0660, 0x0665, 0x0669, 0x06F0, 0x06F5, 0x06F9,
    // Latin beyond ASCII, at the Turkish range's edge.
    0x00C7, 0x00E9, 0x0131, 0x017F, 0x0180, 0x007F,
    // Line and paragraph separators, controls, surrogates, the rest.
    0x0085, 0x2028, 0x2029, 0x0000, 0x00AD, 0xD800, 0xDC00, 0xD83D, 0xDE00, 0xFFFD, 0xFFFF,
};

std::u16string FromAlphabet(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t count = sizeof kAlphabet / sizeof kAlphabet[0];
  std::u16string text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    text += data[i] < 0x80 ? static_cast<char16_t>(data[i]) : kAlphabet[(data[i] - 0x80) % count];
  }
  return text;
}

std::u16string Normalised(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == 0x00A0 || (c >= 0x2000 && c <= 0x200A)) {
      out += u' ';
    } else if (c == 0x2026) {
      out += u"...";
    } else {
      out += c;
    }
  }
  return out;
}

bool IsBreak(char16_t c) {
  return c < 0x80 && (std::isspace(c) || std::ispunct(c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::u16string_view language = kLanguages[data[0] & 7];
  const std::u16string text = (data[0] & 8) ? FromAlphabet(data + 1, size - 1)
                                            : kelar::fuzz::Utf16Le(data + 1, size - 1);
  const std::u16string initialPrefix = (data[0] & 16) ? u"<kept \u0633 1. >" : u"";

  std::u16string prefix = initialPrefix;
  const std::u16string prepared = kelar::PrepareText(text, prefix, language);

  KELAR_FUZZ_CHECK(prefix.compare(0, initialPrefix.size(), initialPrefix) == 0,
                   "the kept prefix is only appended to");
  const std::u16string kept = prefix.substr(initialPrefix.size());

  std::size_t ellipses = 0;
  for (char16_t c : text) ellipses += c == 0x2026;
  KELAR_FUZZ_CHECK(kept.size() + prepared.size() <= text.size() + 2 * ellipses,
                   "kept and prepared text grow only by the ellipses");

  const std::u16string normalised = Normalised(text);
  if (prepared.empty()) {
    KELAR_FUZZ_CHECK(kept.empty(), "nothing is kept when nothing is prepared");
  } else {
    KELAR_FUZZ_CHECK(kept.size() + prepared.size() == normalised.size(),
                     "kept and prepared text together are the normalised text");
    KELAR_FUZZ_CHECK(normalised.compare(0, kept.size(), kept) == 0,
                     "the kept part is the start of the normalised text");
  }

  std::size_t lastBreak = 0;
  for (std::size_t q = 0; q < prepared.size(); ++q) {
    if (prepared[q] != normalised[kept.size() + q]) {
      KELAR_FUZZ_CHECK(prepared[q] == u' ' && q - lastBreak == kelar::kMaximumRunLength + 1,
                       "only the character after a full run is overwritten, by a space");
    }
    if (IsBreak(prepared[q])) lastBreak = q;
    KELAR_FUZZ_CHECK(q - lastBreak <= kelar::kMaximumRunLength,
                     "no run longer than 122 characters without a break");
  }
  return 0;
}
