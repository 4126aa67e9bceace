#pragma once
// Settable answers to the platform questions for the native build's tests.
// The defaults are those of an English (United States) Windows system.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "support/platform.h"

namespace kelar::platform::test {

void SetAnsiCodePage(std::uint32_t codePage);    // default 1252
void SetUserDefaultLocale(std::uint32_t lcid);   // default 0x0409

// Replaces the platform's conversions for code pages the core does not handle
// itself. Without them both conversions report failure (empty text).
using ToWideFunction = std::function<WideResult(std::uint32_t, std::string_view)>;
using ToBytesFunction = std::function<BytesResult(std::uint32_t, std::u16string_view)>;
void SetConversions(ToWideFunction toWide, ToBytesFunction toBytes);

// Restores every default.
void Reset();

}  // namespace kelar::platform::test
