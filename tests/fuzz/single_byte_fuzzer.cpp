// The single-byte code pages convert through the system's own tables: any
// bytes to wide text, and for 2, 437, 850 and 1252 any wide text back.
//
// Input: one byte choosing the code page (low three bits, in the order of
// kCodePages) and the direction (bit 3: set for wide to bytes, which the
// code pages that encode through the platform take as bytes to wide), then
// the bytes, or the text as little-endian UTF-16.
//
// Invariants:
// - Every table gives each byte a unit of its own, and only byte 0x00 gives
//   U+0000 (checked once, from single-byte conversions).
// - Bytes to wide: one unit per byte up to the first 0x00 byte, each the
//   unit its byte converts to alone: no state, nothing lost at the change
//   from stack to heap space. Where the table also encodes, the text
//   converts back to exactly those bytes.
// - Wide to bytes: exactly one byte per unit. A unit the table holds
//   becomes the byte that converts back to it (U+0000 becomes 0x00); any
//   other unit becomes "?".

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "support/code_page.h"

namespace {

constexpr std::uint32_t kCodePages[8] = {1252, 437, 850, 2, 1253, 1254, 1255, 1256};

bool EncodesWithOwnTable(std::uint32_t codePage) {
  return codePage == 1252 || codePage == 437 || codePage == 850 || codePage == 2;
}

struct Table {
  std::array<char16_t, 256> toWide{};
  std::array<int, 65536> toByte;  // -1 where no byte gives the unit
};

// The tables as the conversions show them, one byte at a time.
const std::array<Table, 8>& Tables() {
  static const std::array<Table, 8> tables = [] {
    std::array<Table, 8> result;
    for (std::size_t t = 0; t < 8; ++t) {
      Table& table = result[t];
      table.toByte.fill(-1);
      table.toByte[0] = 0;
      for (int b = 1; b < 256; ++b) {
        const std::u16string unit = kelar::CodePageToWide(std::string(1, static_cast<char>(b)),
                                                          kCodePages[t]);
        KELAR_FUZZ_CHECK(unit.size() == 1, "every byte but 0x00 gives a unit other than U+0000");
        KELAR_FUZZ_CHECK(table.toByte[unit[0]] == -1, "every byte gives a unit of its own");
        table.toWide[b] = unit[0];
        table.toByte[unit[0]] = b;
      }
    }
    return result;
  }();
  return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t codePage = kCodePages[data[0] & 7];
  const Table& table = Tables()[data[0] & 7];
  const bool toBytes = (data[0] & 8) != 0 && EncodesWithOwnTable(codePage);

  if (!toBytes) {
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view beforeNul = bytes.substr(0, bytes.find('\0'));
    const std::u16string text = kelar::CodePageToWide(bytes, codePage);
    KELAR_FUZZ_CHECK(text.size() == beforeNul.size(), "one unit per byte up to 0x00");
    for (std::size_t i = 0; i < text.size(); ++i) {
      KELAR_FUZZ_CHECK(text[i] == table.toWide[static_cast<std::uint8_t>(beforeNul[i])],
                       "each byte converts as it does alone");
    }
    if (EncodesWithOwnTable(codePage)) {
      KELAR_FUZZ_CHECK(kelar::WideToCodePage(text, codePage) == beforeNul,
                       "the text converts back to its bytes");
    }
    return 0;
  }

  const std::u16string text = kelar::fuzz::Utf16Le(data + 1, size - 1);
  const std::string bytes = kelar::WideToCodePage(text, codePage);
  KELAR_FUZZ_CHECK(bytes.size() == text.size(), "one byte per unit");
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int expected = table.toByte[text[i]];
    KELAR_FUZZ_CHECK(static_cast<std::uint8_t>(bytes[i]) == (expected >= 0 ? expected : '?'),
                     "a unit becomes its own byte, or \"?\" when the table lacks it");
  }
  return 0;
}
