#include "core/text_preparation.h"

#include <gtest/gtest.h>

#include <string>

namespace kelar {
namespace {

struct PrepareCase {
  const char* name;
  std::u16string source;
  std::u16string text;
  std::u16string prefix;    // expected kept prefix
  std::u16string prepared;  // expected text for the vendor
};

// Pashto words used below: سلام (hello), کور (house).
const PrepareCase kCases[] = {
    {"empty", u"ps", u"", u"", u""},
    {"pashto alone", u"ps", u"سلام", u"", u"سلام"},
    {"no source script: digits", u"ps", u"12345", u"", u""},
    {"no source script: punctuation", u"ps", u"?!...", u"", u""},
    {"no source script: latin", u"ps", u"hello world", u"", u""},
    {"numbering before pashto", u"ps", u"1. سلام", u"1. ", u"سلام"},
    {"latin word before pashto", u"ps", u"Kabul سلام کور", u"Kabul", u" سلام کور"},
    {"english numbering from the numbering step", u"en", u"12. Hello", u"12. ", u"Hello"},
    {"numbering needs two characters left", u"en", u"1. ab", u"1. ", u"ab"},
    {"numbering leaves short texts whole", u"en", u"1. a", u"", u"1. a"},
    {"two characters are never numbered", u"en", u"1a", u"", u"1a"},
    {"ellipsis and no-break space normalised", u"en", u"a\u2026b\u00A0c\u2003d", u"", u"a...b c d"},
    {"turkish letters are source script", u"tr", u"\u00C7ok", u"", u"\u00C7ok"},
    {"presentation forms count as arabic script", u"ps", u"\uFE8D", u"", u"\uFE8D"},
    {"U+FC40 is not taken as arabic script", u"ps", u"\uFC40", u"", u""},
};

TEST(PrepareText, SplitsKeptPrefixAndNormalises) {
  for (const PrepareCase& c : kCases) {
    std::u16string prefix;
    std::u16string prepared = PrepareText(c.text, prefix, c.source);
    EXPECT_EQ(prefix, c.prefix) << c.name;
    EXPECT_EQ(prepared, c.prepared) << c.name;
  }
}

TEST(PrepareText, BreaksRunsLongerThanTheVendorTakes) {
  std::u16string prefix;
  std::u16string run(200, u'a');
  std::u16string prepared = PrepareText(run, prefix, u"en");
  ASSERT_EQ(prepared.size(), 200u);
  for (std::size_t i = 0; i < prepared.size(); ++i) {
    EXPECT_EQ(prepared[i], (i == 123) ? u' ' : u'a') << i;
  }

  // A break in the text restarts the count; the overwritten character is lost.
  std::u16string withBreak = std::u16string(100, u'b') + u" " + std::u16string(150, u'c');
  prepared = PrepareText(withBreak, prefix, u"en");
  EXPECT_EQ(prepared[100 + 123], u' ');
  EXPECT_EQ(prepared.find(u' ', 101), 100u + 123u);
}

TEST(IsPunctuation, FollowsTheRuntimeAndTheQuotes) {
  const std::u16string yes = u" !,.?;:'\"()[]{}-\u060C\u061F\u061B\u2018\u2019\u201C\u201D";
  const std::u16string no = u"aZ09\u0633\u0660\u06F1\u00E9";
  for (char16_t c : yes) EXPECT_TRUE(IsPunctuation(c)) << std::hex << static_cast<int>(c);
  for (char16_t c : no) EXPECT_FALSE(IsPunctuation(c)) << std::hex << static_cast<int>(c);
}

}  // namespace
}  // namespace kelar
