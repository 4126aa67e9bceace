// The vendor engine's output file is read as UTF-8 whatever it holds, so the
// decoder must take any bytes: it never fails, and malformed input decodes by
// plain arithmetic into some text.
//
// Input: the bytes as they stand.
//
// The contract the invariants come from: the decoder reads the bytes as if
// followed by a NUL byte, a lead byte says how many bytes follow it (taken
// unchecked), values above U+10FFFF become U+FFFD, values up to U+FFFF
// (surrogates included) are one unit, and the text ends at the first U+0000.
// Hence:
// - The text holds no U+0000, and never more units than there were bytes: a
//   one-byte form gives one unit, a longer form at most two, and only a form
//   of three or more bytes (the terminating NUL may be the last) gives two.
//   So the room the decoder is given is never what ends the text.
// - Well-formed input (complete shortest forms up to the first 0x00 byte,
//   lone three-byte surrogates allowed) decodes to exactly what a strict
//   reader gives; unless it spells a surrogate pair as two three-byte forms,
//   encoding the text gives those bytes back.
// - Whatever the decoder makes of malformed input is text the encoder and
//   the decoder then carry unchanged: decode(encode(text)) == text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "support/code_page.h"
#include "utf8_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = kelar::CodePageToWide(bytes, kelar::kCodePageUtf8);

  KELAR_FUZZ_CHECK(text.find(u'\0') == std::u16string::npos, "the text ends before U+0000");
  KELAR_FUZZ_CHECK(text.size() <= bytes.size(), "never more units than bytes");

  const std::string_view beforeNul = bytes.substr(0, bytes.find('\0'));
  const kelar::fuzz::StrictUtf8 strict = kelar::fuzz::DecodeStrictUtf8(beforeNul);
  if (strict.valid) {
    KELAR_FUZZ_CHECK(text == strict.text, "well-formed input decodes as UTF-8");
    if (!strict.hasSurrogatePairForms) {
      KELAR_FUZZ_CHECK(kelar::WideToCodePage(text, kelar::kCodePageUtf8) == beforeNul,
                       "well-formed input encodes back to its bytes");
    }
  }

  const std::string again = kelar::WideToCodePage(text, kelar::kCodePageUtf8);
  KELAR_FUZZ_CHECK(kelar::CodePageToWide(again, kelar::kCodePageUtf8) == text,
                   "the decoded text survives a round trip");
  return 0;
}
