#pragma once
// The few questions the portable core asks of the platform. The Windows build
// answers them through Win32 (win/platform_win.cpp); the native build answers
// them from settable test values (host/platform_host.cpp, host/test_platform.h).

#include <cstdint>
#include <string>
#include <string_view>

namespace kelar::platform {

// The system ANSI code page (GetACP), asked at every call.
std::uint32_t AnsiCodePage();

// The current user's default locale identifier (GetUserDefaultLCID).
std::uint32_t UserDefaultLocale();

// MultiByteToWideChar(codePage, 0, ...) over exactly `bytes` (the code-page
// conversions include the terminating NUL in them). Returns empty text with
// `ok` false when the platform reports failure, for example for a code page
// it does not know.
struct WideResult {
  std::u16string text;
  bool ok = false;
};
WideResult MultiByteToWide(std::uint32_t codePage, std::string_view bytes);

// WideCharToMultiByte(codePage, 0, ..., no default character, no used-default
// flag) over exactly `text`.
struct BytesResult {
  std::string bytes;
  bool ok = false;
};
BytesResult WideToMultiByte(std::uint32_t codePage, std::u16string_view text);

}  // namespace kelar::platform
