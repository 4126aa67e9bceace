// The single-byte tables checked byte by byte against the platform's own
// conversion. Code page 2 is the Macintosh code page of the current locale,
// so the comparison only means something in the English (United States)
// locale, whose Macintosh code page is Mac OS Roman. The bytes that a code
// page leaves undefined, the private-use characters of Greek and Hebrew and
// the ohm sign of Mac OS Roman are compared like every other byte: the
// platform gives them the same units.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/code_page_tables.h"

namespace kelar {
namespace {

std::string Describe(std::uint32_t codePage, int byte, unsigned unit) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "code page %u byte 0x%02X platform U+%04X", codePage, byte, unit);
  return buf;
}

TEST(CodePageTables, AgreeWithThePlatformOnEveryByte) {
  if (GetACP() != 1252 || GetUserDefaultLCID() != 0x0409) {
    GTEST_SKIP() << "written for code page 1252 and locale 0x0409";
  }
  for (std::size_t t = 0; t < code_page_tables::kSingleByteTableCount; ++t) {
    const code_page_tables::SingleByteTable& table = code_page_tables::kSingleByteTables[t];
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      wchar_t unit = 0;
      ASSERT_EQ(MultiByteToWideChar(table.codePage, 0, &byte, 1, &unit, 1), 1)
          << Describe(table.codePage, b, 0);
      EXPECT_EQ(static_cast<unsigned>(unit), static_cast<unsigned>(table.toWide[b]))
          << Describe(table.codePage, b, unit);
    }
  }
}

}  // namespace
}  // namespace kelar
