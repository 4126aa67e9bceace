#pragma once
// Conversions between the system's wide text (UTF-16) and 8-bit text in a
// Windows code page. UTF-8 (65001), UTF-16 (1200, 1201) and the single-byte
// code pages 1252, 1253 to 1256, 437, 850 and 2 (Mac OS Roman) are converted
// here; every other code page goes to the platform. They keep no state and
// throw nothing but std::bad_alloc.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelar {

inline constexpr std::uint32_t kCodePageMac = 2;
inline constexpr std::uint32_t kCodePageUtf16Le = 1200;
inline constexpr std::uint32_t kCodePageUtf16Be = 1201;
inline constexpr std::uint32_t kCodePageUtf8 = 65001;

// Converts exactly the units of `text`, U+0000 included, and returns exactly
// the bytes produced: no terminating NUL is added. A unit that a single-byte
// code page converted here cannot hold becomes "?" (no best fit); the
// platform handles such units its own way. Empty when the platform fails.
std::string WideToCodePage(std::u16string_view text, std::uint32_t codePage);

// Converts `bytes` as if followed by a NUL byte and ends the text just before
// the first U+0000 it produces. A 0x00 byte where a character starts therefore cuts the text there,
// and an incomplete UTF-8 sequence at the end takes that NUL as its last
// byte. Malformed UTF-8 decodes by plain arithmetic and never fails. Empty
// when the platform fails.
std::u16string CodePageToWide(std::string_view bytes, std::uint32_t codePage);

// The same with the system ANSI code page, asked at every call.
std::string WideToAnsi(std::u16string_view text);
std::u16string AnsiToWide(std::string_view bytes);

}  // namespace kelar
