// Win32 answers to the platform questions of the portable core.
#include <windows.h>

#include <climits>

#include "support/platform.h"

namespace kelar::platform {

std::uint32_t AnsiCodePage() { return GetACP(); }

std::uint32_t UserDefaultLocale() { return GetUserDefaultLCID(); }

WideResult MultiByteToWide(std::uint32_t codePage, std::string_view bytes) {
  WideResult result;
  if (bytes.empty()) {
    result.ok = true;
    return result;
  }
  // The Win32 calls count in int: a longer text is refused rather than
  // converted in part.
  if (bytes.size() > INT_MAX - 6) return {};
  // Sized up front (one unit per byte plus slack) so no size query is made.
  result.text.resize(bytes.size() + 6);
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                              reinterpret_cast<wchar_t*>(result.text.data()),
                              static_cast<int>(result.text.size()));
  if (n <= 0) return {};
  result.text.resize(static_cast<size_t>(n));
  result.ok = true;
  return result;
}

BytesResult WideToMultiByte(std::uint32_t codePage, std::u16string_view text) {
  BytesResult result;
  if (text.empty()) {
    result.ok = true;
    return result;
  }
  const size_t perUnit = codePage == 932 ? 2 : codePage == 65000 ? 6 : 8;
  if (text.size() > INT_MAX / perUnit) return {};
  result.bytes.resize(text.size() * perUnit);
  int n = WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(text.data()),
                              static_cast<int>(text.size()), result.bytes.data(),
                              static_cast<int>(result.bytes.size()), nullptr, nullptr);
  if (n <= 0) return {};
  result.bytes.resize(static_cast<size_t>(n));
  // The room asked for is up to eight times the text; keep only what it holds.
  result.bytes.shrink_to_fit();
  result.ok = true;
  return result;
}

}  // namespace kelar::platform
