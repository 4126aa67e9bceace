#include "support/code_page.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>

#include "support/code_page_tables.h"
#include "support/platform.h"

namespace kelar {
namespace {

using code_page_tables::FromWideEntry;
using code_page_tables::SingleByteTable;

const SingleByteTable* FindSingleByteTable(std::uint32_t codePage) {
  for (std::size_t i = 0; i < code_page_tables::kSingleByteTableCount; ++i) {
    if (code_page_tables::kSingleByteTables[i].codePage == codePage) {
      return &code_page_tables::kSingleByteTables[i];
    }
  }
  return nullptr;
}

// The decoders read the input through this view, which answers the NUL that
// follows the text for the position just past its end.
class TerminatedBytes {
 public:
  explicit TerminatedBytes(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Size() const { return bytes_.size() + 1; }
  std::uint8_t operator[](std::size_t i) const {
    return i < bytes_.size() ? static_cast<std::uint8_t>(bytes_[i]) : 0;
  }

 private:
  std::string_view bytes_;
};

// ---- UTF-8 --------------------------------------------------------------

std::size_t TrailingByteCount(std::uint8_t lead) {
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  if (lead < 0xF8) return 3;
  if (lead < 0xFC) return 4;
  return 5;
}

// Subtracting these removes every length marker that the assembly added,
// so the trailing bytes need no masking.
constexpr std::uint32_t kUtf8Offsets[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                           0x03C82080u, 0xFA082080u, 0x82082080u};

constexpr std::uint8_t kFirstByteMarks[7] = {0x00, 0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};

// Deliberately lenient: trailing bytes are not checked, and overlong forms,
// surrogate values and five- and six-byte forms decode by the same
// arithmetic. Callers and the files they exchange rely on malformed input
// decoding this way rather than failing.
std::size_t DecodeUtf8(TerminatedBytes in, char16_t* out, std::size_t capacity) {
  std::size_t pos = 0;
  std::size_t written = 0;
  while (pos < in.Size()) {
    const std::size_t trailing = TrailingByteCount(in[pos]);
    if (in.Size() - pos < trailing + 1) break;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i <= trailing; ++i) {
      if (i > 0) value <<= 6;
      value += in[pos + i];
    }
    value -= kUtf8Offsets[trailing];
    pos += trailing + 1;

    if (value <= 0xFFFF) {
      if (capacity - written < 1) break;
      out[written++] = static_cast<char16_t>(value);
    } else if (value <= 0x10FFFF) {
      if (capacity - written < 2) break;
      value -= 0x10000;
      out[written++] = static_cast<char16_t>(0xD800 + (value >> 10));
      out[written++] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    } else {
      if (capacity - written < 1) break;
      out[written++] = u'\xFFFD';
    }
  }
  return written;
}

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A lone surrogate is written as its own three-byte value so that text which
// is not well-formed UTF-16 still survives a round trip.
// The number of bytes EncodeUtf8 writes for `text` given room enough.
std::size_t Utf8Length(std::u16string_view text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t value = text[i++];
    if (value < 0x80) {
      length += 1;
    } else if (value < 0x800) {
      length += 2;
    } else if (IsHighSurrogate(value) && i < text.size() && IsLowSurrogate(text[i])) {
      ++i;
      length += 4;
    } else {
      length += 3;
    }
  }
  return length;
}

std::size_t EncodeUtf8(std::u16string_view text, char* out, std::size_t capacity) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t value = text[i++];
    if (value < 0x80) {  // most text: one byte, nothing to assemble
      if (written == capacity) break;
      out[written++] = static_cast<char>(value);
      continue;
    }
    if (IsHighSurrogate(value) && i < text.size() && IsLowSurrogate(text[i])) {
      value = ((value - 0xD800) << 10) + (text[i++] - 0xDC00u) + 0x10000;
    }
    const std::size_t length = value < 0x80 ? 1 : value < 0x800 ? 2 : value < 0x10000 ? 3 : 4;
    if (capacity - written < length) break;
    for (std::size_t k = length - 1; k > 0; --k) {
      out[written + k] = static_cast<char>(0x80 | (value & 0x3F));
      value >>= 6;
    }
    out[written] = static_cast<char>(value | kFirstByteMarks[length]);
    written += length;
  }
  return written;
}

// ---- UTF-16 and single-byte tables -----------------------------------------

// A last odd byte has no partner and is dropped.
std::size_t DecodeUtf16(TerminatedBytes in, bool bigEndian, char16_t* out, std::size_t capacity) {
  const std::size_t count = std::min(in.Size() / 2, capacity);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t first = in[2 * i];
    const std::uint8_t second = in[2 * i + 1];
    out[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return count;
}

std::size_t EncodeUtf16(std::u16string_view text, bool bigEndian, char* out, std::size_t capacity) {
  const std::size_t count = std::min(text.size(), capacity / 2);
  for (std::size_t i = 0; i < count; ++i) {
    const char low = static_cast<char>(text[i] & 0xFF);
    const char high = static_cast<char>(text[i] >> 8);
    out[2 * i] = bigEndian ? high : low;
    out[2 * i + 1] = bigEndian ? low : high;
  }
  return 2 * count;
}

std::size_t DecodeSingleByte(TerminatedBytes in, const SingleByteTable& table, char16_t* out,
                             std::size_t capacity) {
  const std::size_t count = std::min(in.Size(), capacity);
  for (std::size_t i = 0; i < count; ++i) out[i] = table.toWide[in[i]];
  return count;
}

// No best fit: a unit the code page cannot hold becomes "?" rather than a
// look-alike letter.
std::size_t EncodeSingleByte(std::u16string_view text, const SingleByteTable& table, char* out,
                             std::size_t capacity) {
  const FromWideEntry* first = table.fromWide;
  const FromWideEntry* last = table.fromWide + table.fromWideCount;
  const std::size_t count = std::min(text.size(), capacity);
  for (std::size_t i = 0; i < count; ++i) {
    const FromWideEntry* found = std::lower_bound(
        first, last, text[i], [](const FromWideEntry& e, char16_t unit) { return e.unit < unit; });
    out[i] = found != last && found->unit == text[i] ? static_cast<char>(found->byte) : '?';
  }
  return count;
}

bool EncodesWithOwnTable(std::uint32_t codePage) {
  return codePage == kCodePageMac || codePage == 437 || codePage == 850 || codePage == 1252;
}

// Bytes of output per wide unit. Generous for the variable-length code pages
// so that even the platform never runs out of room.
std::size_t BytesPerUnit(std::uint32_t codePage) {
  if (EncodesWithOwnTable(codePage)) return 1;
  if (codePage == 932) return 2;
  if (codePage == 65000) return 6;
  return 8;
}

// Bytes per unit of the encoders of our own other than UTF-8.
std::size_t BytesPerOwnUnit(std::uint32_t codePage) {
  return (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) ? 2 : 1;
}

std::u16string UpToFirstNul(const char16_t* units, std::size_t count) {
  return std::u16string(units, std::find(units, units + count, u'\0'));
}

}  // namespace

std::string WideToCodePage(std::u16string_view text, std::uint32_t codePage) {
  if (text.empty()) return {};
  const std::size_t perUnit = BytesPerUnit(codePage);
  if (text.size() > std::numeric_limits<std::size_t>::max() / perUnit) throw std::bad_alloc();

  if (codePage != kCodePageUtf16Le && codePage != kCodePageUtf16Be && codePage != kCodePageUtf8 &&
      !EncodesWithOwnTable(codePage)) {
    platform::BytesResult result = platform::WideToMultiByte(codePage, text);
    if (!result.ok) return {};
    return std::move(result.bytes);
  }

  // Our own encoders write straight into the result, sized exactly (UTF-8
  // counted first), so the text is never cut short and fresh memory is
  // touched once, not twice.
  std::string out(codePage == kCodePageUtf8 ? Utf8Length(text) : text.size() * BytesPerOwnUnit(codePage), '\0');
  std::size_t written = 0;
  if (codePage == kCodePageUtf8) {
    written = EncodeUtf8(text, out.data(), out.size());
  } else if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
    written = EncodeUtf16(text, codePage == kCodePageUtf16Be, out.data(), out.size());
  } else {
    written = EncodeSingleByte(text, *FindSingleByteTable(codePage), out.data(), out.size());
  }
  out.resize(written);
  return out;
}

std::u16string CodePageToWide(std::string_view bytes, std::uint32_t codePage) {
  if (bytes.empty()) return {};
  if (bytes.size() > std::numeric_limits<std::size_t>::max() / sizeof(char16_t) - 8) {
    throw std::bad_alloc();
  }

  const SingleByteTable* table = FindSingleByteTable(codePage);
  if (table == nullptr && codePage != kCodePageUtf16Le && codePage != kCodePageUtf16Be &&
      codePage != kCodePageUtf8) {
    // The platform sees the terminating NUL too, so a multi-byte code page
    // ends an incomplete last character the same way it would on a C string.
    const std::string terminated(bytes);
    platform::WideResult result = platform::MultiByteToWide(
        codePage, std::string_view(terminated.data(), terminated.size() + 1));
    if (!result.ok) return {};
    return UpToFirstNul(result.text.data(), result.text.size());
  }

  // Decoded straight into the result and cut at its first U+0000, instead
  // of through a scratch buffer and a copy.
  const TerminatedBytes in(bytes);
  std::u16string out(bytes.size() + 6, u'\0');
  std::size_t written = 0;
  if (codePage == kCodePageUtf8) {
    written = DecodeUtf8(in, out.data(), out.size());
  } else if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
    written = DecodeUtf16(in, codePage == kCodePageUtf16Be, out.data(), out.size());
  } else {
    written = DecodeSingleByte(in, *table, out.data(), out.size());
  }
  out.resize(static_cast<std::size_t>(std::find(out.data(), out.data() + written, u'\0') - out.data()));
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  return WideToCodePage(text, platform::AnsiCodePage());
}

std::u16string AnsiToWide(std::string_view bytes) {
  return CodePageToWide(bytes, platform::AnsiCodePage());
}

}  // namespace kelar
