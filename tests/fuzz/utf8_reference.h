#pragma once
// A strict UTF-8 reader for the fuzz targets to compare the lenient codec
// against. It accepts only complete shortest forms up to U+10FFFF; code
// points U+D800 to U+DFFF are accepted as single units, since that is how
// the codec writes a lone surrogate.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelar::fuzz {

struct StrictUtf8 {
  bool valid = false;
  std::u16string text;
  // A three-byte high surrogate right before a three-byte low surrogate
  // reads as a pair, which the encoder writes as one four-byte form.
  bool hasSurrogatePairForms = false;
};

inline StrictUtf8 DecodeStrictUtf8(std::string_view bytes) {
  StrictUtf8 result;
  bool previousWasHighSurrogateForm = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t lead = static_cast<std::uint8_t>(bytes[i]);
    std::size_t length;
    std::uint32_t value;
    std::uint32_t minimum;
    if (lead < 0x80) {
      length = 1, value = lead, minimum = 0;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
      return result;
    }
    if (bytes.size() - i < length) return result;
    for (std::size_t k = 1; k < length; ++k) {
      const std::uint8_t trail = static_cast<std::uint8_t>(bytes[i + k]);
      if ((trail & 0xC0) != 0x80) return result;
      value = (value << 6) | (trail & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF) return result;
    i += length;

    const bool isHigh = value >= 0xD800 && value <= 0xDBFF;
    const bool isLow = value >= 0xDC00 && value <= 0xDFFF;
    if (isLow && previousWasHighSurrogateForm) result.hasSurrogatePairForms = true;
    previousWasHighSurrogateForm = isHigh;

    if (value >= 0x10000) {
      value -= 0x10000;
      result.text += static_cast<char16_t>(0xD800 + (value >> 10));
      result.text += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    } else {
      result.text += static_cast<char16_t>(value);
    }
  }
  result.valid = true;
  return result;
}

}  // namespace kelar::fuzz
