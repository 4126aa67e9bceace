// Native-build answers to the platform questions, settable by tests.
#include "support/host/test_platform.h"

#include <utility>

namespace kelar::platform {
namespace {

struct State {
  std::uint32_t ansiCodePage = 1252;
  std::uint32_t userLocale = 0x0409;
  test::ToWideFunction toWide;
  test::ToBytesFunction toBytes;
};

State& TheState() {
  static State state;
  return state;
}

}  // namespace

std::uint32_t AnsiCodePage() { return TheState().ansiCodePage; }

std::uint32_t UserDefaultLocale() { return TheState().userLocale; }

WideResult MultiByteToWide(std::uint32_t codePage, std::string_view bytes) {
  if (TheState().toWide) return TheState().toWide(codePage, bytes);
  return {};
}

BytesResult WideToMultiByte(std::uint32_t codePage, std::u16string_view text) {
  if (TheState().toBytes) return TheState().toBytes(codePage, text);
  return {};
}

namespace test {

void SetAnsiCodePage(std::uint32_t codePage) { TheState().ansiCodePage = codePage; }
void SetUserDefaultLocale(std::uint32_t lcid) { TheState().userLocale = lcid; }
void SetConversions(ToWideFunction toWide, ToBytesFunction toBytes) {
  TheState().toWide = std::move(toWide);
  TheState().toBytes = std::move(toBytes);
}
void Reset() { TheState() = State{}; }

}  // namespace test
}  // namespace kelar::platform
