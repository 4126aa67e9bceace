#pragma once
// Shared pieces of the fuzz targets: turning libFuzzer's bytes into the wide
// text the code under test takes, and failing loudly when an invariant breaks.
// tests/fuzz/make_seeds.py writes the seed corpus in the same input forms.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelar::fuzz {

// libFuzzer keeps the input that made the process abort, so an invariant
// that does not hold is reported like any crash, with its reason.
#define KELAR_FUZZ_CHECK(condition, what)                                            \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, what); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

// Pairs of bytes as little-endian UTF-16 code units; a last odd byte is
// dropped. Reaches every code unit, surrogates and U+0000 included.
inline std::u16string Utf16Le(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  return text;
}

// One byte per code unit (U+0000 to U+00FF). The markup of the option list
// and the escapes are ASCII, so the fuzzer's byte dictionaries and mutations
// reach them directly in this form.
inline std::u16string Latin1(const std::uint8_t* data, std::size_t size) {
  return std::u16string(data, data + size);
}

// The first byte of the input chooses the form of the rest: even for
// Latin1, odd for Utf16Le. The other bits are left to the target.
inline std::u16string TextAfterFormByte(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  return (data[0] & 1) ? Utf16Le(data + 1, size - 1) : Latin1(data + 1, size - 1);
}

}  // namespace kelar::fuzz
