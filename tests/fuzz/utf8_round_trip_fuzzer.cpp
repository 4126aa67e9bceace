// The exchange files carry the prepared text to the vendor engine as UTF-8,
// so encoding must keep every character of any wide text, well-formed UTF-16
// or not.
//
// Input: the text as little-endian UTF-16 (fuzz_input.h Utf16Le).
//
// The contract the invariants come from: the encoder writes a high surrogate
// followed by a low one as one four-byte form and any other unit, a lone
// surrogate included, as the one- to three-byte form of its own value; the
// decoder reads those forms back to the same units (a three-byte surrogate
// value decodes to itself) and ends the text at the first U+0000. Hence:
// - The bytes are shortest-form UTF-8 of the text, with a lone surrogate
//   written as its own three-byte value, and their length is 1, 2 or 3 per
//   unit by value and 4 per pair; U+0000 and only U+0000 gives a 0x00 byte.
// - Decoding them gives the text back exactly when it holds no U+0000, and
//   the text up to its first U+0000 otherwise.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "support/code_page.h"
#include "utf8_reference.h"

namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::size_t ExpectedLength(const std::u16string& text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
      length += 4;
      ++i;
    } else {
      length += text[i] < 0x80 ? 1 : text[i] < 0x800 ? 2 : 3;
    }
  }
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = kelar::fuzz::Utf16Le(data, size);
  const std::string bytes = kelar::WideToCodePage(text, kelar::kCodePageUtf8);

  KELAR_FUZZ_CHECK(bytes.size() == ExpectedLength(text), "1 to 3 bytes per unit, 4 per pair");
  std::size_t nulUnits = 0, nulBytes = 0;
  for (char16_t c : text) nulUnits += c == 0;
  for (char b : bytes) nulBytes += b == 0;
  KELAR_FUZZ_CHECK(nulUnits == nulBytes, "only U+0000 gives a 0x00 byte");

  const kelar::fuzz::StrictUtf8 strict = kelar::fuzz::DecodeStrictUtf8(bytes);
  KELAR_FUZZ_CHECK(strict.valid, "the bytes are shortest-form UTF-8");
  KELAR_FUZZ_CHECK(strict.text == text, "the bytes mean the text");

  const std::u16string back = kelar::CodePageToWide(bytes, kelar::kCodePageUtf8);
  KELAR_FUZZ_CHECK(back == text.substr(0, text.find(u'\0')),
                   "decoding gives the text back up to its first U+0000");
  return 0;
}
