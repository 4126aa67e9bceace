// Code pages the system leaves to the platform, through the real Win32
// conversions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/code_page.h"

namespace kelar {
namespace {

TEST(PlatformCodePages, ConvertBothWaysAndEndAtTheFirstNul) {
  struct Case {
    std::uint32_t codePage;
    std::string bytes;
    std::u16string wide;
  };
  const Case cases[] = {
      {1253, "\xE1\xF9", u"\u03B1\u03C9"},
      {1255, "\xE0\xFA", u"\u05D0\u05EA"},
      {1256, "\xC7\x81", u"\u0627\u067E"},
      {932, "\x82\xA0" "A", u"\u3042A"},
      {936, "\xC4\xE3", u"\u4F60"},
      {1251, "\xC0\xFF", u"\u0410\u044F"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideToCodePage(c.wide, c.codePage), c.bytes) << c.codePage;
    EXPECT_TRUE(CodePageToWide(c.bytes, c.codePage) == c.wide) << c.codePage;
    EXPECT_TRUE(CodePageToWide(c.bytes + std::string("\0tail", 5), c.codePage) == c.wide)
        << c.codePage;
  }
  // Embedded NULs are encoded like any other unit.
  EXPECT_EQ(WideToCodePage(std::u16string(u"\u3042\0A", 3), 932), std::string("\x82\xA0\0A", 4));
}

TEST(PlatformCodePages, AnsiFollowsTheSystemCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
  EXPECT_EQ(WideToAnsi(u"\u20AC\u00E9\u0100"), "\x80\xE9?");
  EXPECT_TRUE(AnsiToWide("\x80\x81\xE9") == u"\u20AC\u0081\u00E9");
}

}  // namespace
}  // namespace kelar
