#include "support/code_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#ifndef _WIN32
#include "support/host/test_platform.h"
#endif

namespace kelar {
namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    out += buf;
  }
  return out;
}

std::string Hex(const std::u16string& text) {
  std::string out;
  char buf[6];
  for (char16_t u : text) {
    std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(u));
    out += buf;
  }
  return out;
}

// The decoder never rejects anything: malformed forms come out of the plain
// arithmetic, and an incomplete sequence at the end takes the terminating NUL
// as its last byte when that is enough to complete it.
TEST(Utf8Decoding, DecodesWellFormedAndMalformedInputByArithmetic) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string wide;
  };
  const Case cases[] = {
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
      {"four bytes become a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"byte-order mark stays", "\xEF\xBB\xBF" "A", u"\uFEFFA"},
      {"overlong", "\xC0\xAF", u"/"},
      {"stray continuation byte", "\x80", u"\u0080"},
      {"trailing byte unchecked", "\xC3\x28", u"h"},
      {"unchecked trailing bytes pass 0xFFFF", "\xEF\xFF\xFF", u"\xD804\xDC3F"},
      {"above U+10FFFF", "\xF5\x80\x80\x80", u"\uFFFD"},
      {"five-byte form", "\xF8\x88\x80\x80\x80", u"\uFFFD"},
      {"surrogate value", "\xED\xA0\x80", u"\xD800"},
      {"too short even with the NUL", "A\xE2", u"A"},
      {"NUL completes the sequence", "A\xE2\x82", u"A\u2000"},
      {"NUL completes and the value wraps", "A\xC0", u"A\uFFFD"},
      {"NUL byte ends the text", std::string("A\0B", 3), u"A"},
      {"overlong NUL ends the text", "A\xC0\x80" "B", u"A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(CodePageToWide(c.bytes, kCodePageUtf8)), Hex(c.wide)) << c.name;
  }
}

TEST(Utf8Encoding, EncodesPairsAndKeepsLoneSurrogatesAndNuls) {
  struct Case {
    const char* name;
    std::u16string wide;
    std::string bytes;
  };
  const Case cases[] = {
      {"one byte", u"A\u007F", "A\x7F"},
      {"two bytes", u"\u0080\u07FF", "\xC2\x80\xDF\xBF"},
      {"three bytes", u"\u0800\u20AC\uFFFF", "\xE0\xA0\x80\xE2\x82\xAC\xEF\xBF\xBF"},
      {"pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"highest pair", u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {"lone high surrogate", u"\xD800" "A", "\xED\xA0\x80" "A"},
      {"lone low surrogate", u"\xDC00", "\xED\xB0\x80"},
      {"high surrogate at the end", u"A\xD83D", "A\xED\xA0\xBD"},
      {"reversed pair", u"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD"},
      {"no byte-order mark added or removed", u"\uFEFF", "\xEF\xBB\xBF"},
      {"embedded NUL kept", std::u16string(u"A\0B", 3), std::string("A\0B", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(WideToCodePage(c.wide, kCodePageUtf8)), Hex(c.bytes)) << c.name;
  }
}

// Every unit but U+0000, in order: the sequence holds every BMP character,
// every lone surrogate and one surrogate pair (U+DBFF U+DC00).
std::u16string EveryUnit() {
  std::u16string text;
  for (std::uint32_t u = 1; u <= 0xFFFF; ++u) text += static_cast<char16_t>(u);
  return text;
}

TEST(CodePageRoundTrip, EveryUnitSurvivesUtf8AndUtf16) {
  const std::u16string text = EveryUnit() + u"\U0001F600\U0010FFFF\xD800";
  for (std::uint32_t codePage : {kCodePageUtf8, kCodePageUtf16Le, kCodePageUtf16Be}) {
    const std::string bytes = WideToCodePage(text, codePage);
    EXPECT_TRUE(CodePageToWide(bytes, codePage) == text) << codePage;
  }
}

TEST(CodePageRoundTrip, EveryByteSurvivesTheTablesThatEncode) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  for (std::uint32_t codePage : {1252u, 437u, 850u, kCodePageMac}) {
    const std::u16string wide = CodePageToWide(bytes, codePage);
    ASSERT_EQ(wide.size(), 255u) << codePage;
    EXPECT_EQ(Hex(WideToCodePage(wide, codePage)), Hex(bytes)) << codePage;
  }
}

TEST(SingleByteTables, MapBytesAsTheCodePagesDefineThem) {
  struct Case {
    std::uint32_t codePage;
    unsigned char byte;
    char16_t unit;
  };
  const Case cases[] = {
      {1252, 0x80, u'\u20AC'}, {1252, 0x81, u'\u0081'}, {1252, 0x9D, u'\u009D'},
      {1252, 0x9F, u'\u0178'}, {1252, 0xE9, u'\u00E9'},
      {1253, 0x88, u'\u0088'}, {1253, 0xAA, u'\uF8F9'}, {1253, 0xC1, u'\u0391'},
      {1253, 0xD2, u'\uF8FA'}, {1253, 0xFF, u'\uF8FB'},
      {1254, 0x8E, u'\u008E'}, {1254, 0xD0, u'\u011E'}, {1254, 0xFD, u'\u0131'},
      {1255, 0xCA, u'\u05BA'}, {1255, 0xD9, u'\uF88D'}, {1255, 0xDF, u'\uF893'},
      {1255, 0xE0, u'\u05D0'}, {1255, 0xFB, u'\uF894'}, {1255, 0xFF, u'\uF896'},
      {1256, 0x81, u'\u067E'}, {1256, 0xC7, u'\u0627'},
      {437, 0x01, u'\u0001'}, {437, 0x0A, u'\u000A'}, {437, 0x7F, u'\u007F'},
      {437, 0x82, u'\u00E9'}, {437, 0xB0, u'\u2591'}, {437, 0xFF, u'\u00A0'},
      {850, 0x1F, u'\u001F'}, {850, 0x9E, u'\u00D7'}, {850, 0xD5, u'\u0131'},
      {kCodePageMac, 0x8E, u'\u00E9'}, {kCodePageMac, 0xBD, u'\u2126'},
      {kCodePageMac, 0xDB, u'\u20AC'}, {kCodePageMac, 0xF0, u'\uF8FF'},
  };
  for (const Case& c : cases) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(Hex(CodePageToWide(byte, c.codePage)), Hex(std::u16string(1, c.unit)))
        << c.codePage << " byte " << Hex(byte);
  }
}

TEST(SingleByteTables, UnitsATableLacksBecomeQuestionMarksWithoutBestFit) {
  struct Case {
    std::uint32_t codePage;
    std::u16string wide;
    std::string bytes;
  };
  const Case cases[] = {
      {1252, u"\u20AC\u0081\u00FF", "\x80\x81\xFF"},
      {1252, u"\u0100\u0101A", "??A"},  // no "A" for A-macron
      {1252, u"\U0001F600", "??"},
      {437, u"\u00E9\u2591\u00A0", "\x82\xB0\xFF"},
      {437, u"\u20AC", "?"},
      {850, u"\u0131\u00D7", "\xD5\x9E"},
      {kCodePageMac, u"\u2126\u03A9", "\xBD?"},  // the ohm sign only
      {1252, std::u16string(u"A\0B", 3), std::string("A\0B", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(WideToCodePage(c.wide, c.codePage)), Hex(c.bytes)) << c.codePage;
  }
}

TEST(Utf16CodePages, CopyUnitsInTheirByteOrderAndDropALastOddByte) {
  struct Case {
    const char* name;
    std::uint32_t codePage;
    std::string bytes;
    std::u16string wide;
  };
  const Case cases[] = {
      {"little-endian", kCodePageUtf16Le, std::string("A\0\xAC\x20", 4), u"A\u20AC"},
      {"big-endian", kCodePageUtf16Be, std::string("\0A\x20\xAC", 4), u"A\u20AC"},
      {"odd byte pairs with the NUL", kCodePageUtf16Le, std::string("A\0B", 3), u"AB"},
      {"odd byte pairs with the NUL, big-endian", kCodePageUtf16Be, std::string("\0A\x30", 3),
       u"A\u3000"},
      {"NUL unit ends the text", kCodePageUtf16Le, std::string("A\0\0\0B\0", 6), u"A"},
      {"byte-order mark stays", kCodePageUtf16Le, std::string("\xFF\xFE" "A\0", 4), u"\uFEFFA"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(CodePageToWide(c.bytes, c.codePage)), Hex(c.wide)) << c.name;
  }
  EXPECT_EQ(Hex(WideToCodePage(u"A\u20AC", kCodePageUtf16Le)), Hex(std::string("A\0\xAC\x20", 4)));
  EXPECT_EQ(Hex(WideToCodePage(u"A\u20AC", kCodePageUtf16Be)), Hex(std::string("\0A\x20\xAC", 4)));
}

const std::uint32_t kEveryKind[] = {2,    437,  850,  1252, 1253,  1254, 1255,
                                    1256, 1200, 1201, 932,  65001, 12345};

TEST(CodePageConversion, EmptyTextStaysEmptyForEveryCodePage) {
  for (std::uint32_t codePage : kEveryKind) {
    EXPECT_EQ(WideToCodePage(u"", codePage), "") << codePage;
    EXPECT_EQ(CodePageToWide("", codePage), u"") << codePage;
  }
}

TEST(CodePageConversion, ANulByteEndsTheTextInEveryByteCodePage) {
  const std::string bytes("A\0B", 3);
  for (std::uint32_t codePage : {2u, 437u, 850u, 1252u, 1253u, 1254u, 1255u, 1256u, 65001u}) {
    EXPECT_EQ(CodePageToWide(bytes, codePage), u"A") << codePage;
  }
}

TEST(CodePageConversion, ACodePageThePlatformDoesNotKnowGivesEmptyText) {
  EXPECT_EQ(WideToCodePage(u"abc", 12345), "");
  EXPECT_EQ(CodePageToWide("abc", 12345), u"");
}

TEST(CodePageConversion, LongTextsConvertWhole) {
  // Past the room kept on the stack, in both directions.
  std::u16string wide;
  for (int i = 0; i < 5000; ++i) wide += u"\u00E9\U0001F600";
  const std::string utf8 = WideToCodePage(wide, kCodePageUtf8);
  EXPECT_EQ(utf8.size(), 5000u * 6);
  EXPECT_TRUE(CodePageToWide(utf8, kCodePageUtf8) == wide);
  const std::string latin(9000, '\xE9');
  EXPECT_TRUE(CodePageToWide(latin, 1252) == std::u16string(9000, u'\u00E9'));
  EXPECT_EQ(WideToCodePage(std::u16string(9000, u'\u00E9'), 1252), latin);
}

#ifndef _WIN32

// The platform's conversions, replaced by a recorder.
class PlatformConversions : public testing::Test {
 protected:
  struct Call {
    std::uint32_t codePage;
    std::string bytes;
    std::u16string text;
  };

  void SetUp() override {
    platform::test::SetConversions(
        [this](std::uint32_t codePage, std::string_view bytes) {
          calls_.push_back({codePage, std::string(bytes), {}});
          return platform::WideResult{wideAnswer_, true};
        },
        [this](std::uint32_t codePage, std::u16string_view text) {
          calls_.push_back({codePage, {}, std::u16string(text)});
          return platform::BytesResult{bytesAnswer_, true};
        });
  }
  void TearDown() override { platform::test::Reset(); }

  std::vector<Call> calls_;
  std::u16string wideAnswer_;
  std::string bytesAnswer_;
};

TEST_F(PlatformConversions, GetTheBytesWithTheirNulAndTheResultEndsAtTheFirstNul) {
  wideAnswer_ = std::u16string(u"\u3042X\0tail\0", 9);
  EXPECT_EQ(CodePageToWide("\x82\xA0X", 932), u"\u3042X");
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].codePage, 932u);
  EXPECT_EQ(Hex(calls_[0].bytes), Hex(std::string("\x82\xA0X\0", 4)));
}

TEST_F(PlatformConversions, EncodeExactlyTheUnitsAndReturnExactlyTheirBytes) {
  // Greek to Arabic decode with the tables but encode through the platform.
  bytesAnswer_ = std::string("\xE1\0", 2);
  for (std::uint32_t codePage : {1253u, 1254u, 1255u, 1256u, 932u}) {
    calls_.clear();
    EXPECT_EQ(WideToCodePage(std::u16string(u"\u03B1\0", 2), codePage), bytesAnswer_);
    ASSERT_EQ(calls_.size(), 1u) << codePage;
    EXPECT_EQ(calls_[0].codePage, codePage);
    EXPECT_TRUE(calls_[0].text == std::u16string(u"\u03B1\0", 2)) << codePage;
  }
}

TEST_F(PlatformConversions, AreNotAskedForOwnCodePagesOrEmptyText) {
  for (std::uint32_t codePage : {2u, 437u, 850u, 1252u, 1253u, 1254u, 1255u, 1256u, 1200u,
                                 1201u, 65001u}) {
    CodePageToWide("abc", codePage);
  }
  for (std::uint32_t codePage : {2u, 437u, 850u, 1252u, 1200u, 1201u, 65001u}) {
    WideToCodePage(u"abc", codePage);
  }
  for (std::uint32_t codePage : kEveryKind) {
    CodePageToWide("", codePage);
    WideToCodePage(u"", codePage);
  }
  EXPECT_EQ(calls_.size(), 0u);
}

TEST(AnsiConversions, FollowTheAnsiCodePageAtEveryCall) {
  platform::test::Reset();
  EXPECT_EQ(WideToAnsi(u"\u00E9"), "\xE9");
  EXPECT_EQ(AnsiToWide("\xE9"), u"\u00E9");
  platform::test::SetAnsiCodePage(65001);
  EXPECT_EQ(WideToAnsi(u"\u00E9"), "\xC3\xA9");
  EXPECT_EQ(AnsiToWide("\xC3\xA9"), u"\u00E9");
  platform::test::SetAnsiCodePage(936);  // the platform's, which fails here
  EXPECT_EQ(WideToAnsi(u"\u00E9"), "");
  EXPECT_EQ(AnsiToWide("\xA8\xA6"), u"");
  platform::test::Reset();
}

#endif  // !_WIN32

}  // namespace
}  // namespace kelar
