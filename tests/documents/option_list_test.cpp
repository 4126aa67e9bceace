#include "documents/option_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelar {
namespace {

using namespace std::literals;

std::u16string Entry(std::u16string_view name, std::u16string_view value) {
  return u"<t:Option Name=\"" + std::u16string(name) + u"\">" + std::u16string(value) +
         u"</t:Option>";
}

TEST(ParseOptionList, ReadsEntriesUpToTheFirstMalformedOne) {
  struct Case {
    const char* what;
    std::u16string text;
    OptionMap expected;
  };
  const Case cases[] = {
      {"empty text", u"", {}},
      {"no entries", u"<x>SourceLanguage=ps</x>", {}},
      {"surrounding text ignored",
       u"<x>" + Entry(u"A", u"1") + u"junk\n" + Entry(u"B", u"") + u"</x>",
       {{u"A", u"1"}, {u"B", u""}}},
      {"first occurrence wins",
       Entry(u"A", u"1") + Entry(u"A", u"2") + Entry(u"B", u"3") + Entry(u"B", u""),
       {{u"A", u"1"}, {u"B", u"3"}}},
      {"empty first value still wins", Entry(u"A", u"") + Entry(u"A", u"2"), {{u"A", u""}}},
      {"empty name stops the scan", Entry(u"", u"x") + Entry(u"B", u"2"), {}},
      {"empty name after a good entry",
       Entry(u"A", u"1") + Entry(u"", u"x") + Entry(u"B", u"2"),
       {{u"A", u"1"}}},
      {"missing closing delimiter keeps earlier entries",
       Entry(u"A", u"1") + u"<t:Option Name=\"B\">2" + u"<t:Option Name=\"C\">3",
       {{u"A", u"1"}}},
      {"missing separator", Entry(u"A", u"1") + u"<t:Option Name=\"B", {{u"A", u"1"}}},
      {"opening delimiter at the very end", u"<t:Option Name=\"", {}},
      // The separator is searched after the opening delimiter, so a
      // separator-less entry takes its name from the next entry's text.
      {"separator found in a later entry",
       u"<t:Option Name=\"A</t:Option>" + Entry(u"B", u"2"),
       {{u"A</t:Option><t:Option Name=\"B", u"2"}}},
      {"lower-case element", u"<t:option Name=\"A\">1</t:option>", {}},
      {"lower-case attribute", u"<t:Option name=\"A\">1</t:Option>", {}},
      {"two spaces before the attribute", u"<t:Option  Name=\"A\">1</t:Option>", {}},
      {"single quotes", u"<t:Option Name='A'>1</t:Option>", {}},
      {"lower-case closing delimiter runs on to the next one",
       u"<t:Option Name=\"A\">1</t:option>" + Entry(u"B", u"2"),
       {{u"A", u"1</t:option><t:Option Name=\"B\">2"}}},
      {"extra attribute becomes part of the name",
       u"<t:Option Name=\"A\" B=\"c\">v</t:Option>",
       {{u"A\" B=\"c", u"v"}}},
      {"values neither decoded nor trimmed",
       Entry(u"A", u" a&amp;b ") + Entry(u"B", u"\r\n\t<x/>\r\n"),
       {{u"A", u" a&amp;b "}, {u"B", u"\r\n\t<x/>\r\n"}}},
      {"a value runs to the first closing delimiter",
       u"<t:Option Name=\"A\">" + Entry(u"B", u"2") + u"</t:Option>",
       {{u"A", u"<t:Option Name=\"B\">2"}}},
      {"names and values beyond ASCII, NUL included",
       Entry(u"\u540D\U0001F600", u"x\0y"sv) + Entry(u"\u00E9", u"\u00E9"),
       {{u"\u540D\U0001F600", u"x\0y"s}, {u"\u00E9", u"\u00E9"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseOptionList(c.text), c.expected) << c.what;
  }
}

TEST(NextOption, AdvancesPastEachEntryAndStopsWhereTheScanFails) {
  const std::u16string text = u"ab" + Entry(u"A", u"1") + u"cd" + Entry(u"B", u"") + u"e";
  const std::size_t firstEnd = 2 + Entry(u"A", u"1").size();
  std::size_t position = 0;
  std::u16string name = u"stale", value = u"stale";

  ASSERT_TRUE(NextOption(text, position, name, value));
  EXPECT_EQ(name, u"A");
  EXPECT_EQ(value, u"1");
  EXPECT_EQ(position, firstEnd);

  ASSERT_TRUE(NextOption(text, position, name, value));
  EXPECT_EQ(name, u"B");
  EXPECT_EQ(value, u"");
  EXPECT_EQ(position, text.size() - 1);

  EXPECT_FALSE(NextOption(text, position, name, value));
  EXPECT_EQ(name, u"");
  EXPECT_EQ(value, u"");
  EXPECT_EQ(position, text.size() - 1);

  // A start beyond the first entry skips it; one past the end finds nothing.
  position = firstEnd - 1;
  ASSERT_TRUE(NextOption(text, position, name, value));
  EXPECT_EQ(name, u"B");
  position = text.size() + 5;
  EXPECT_FALSE(NextOption(text, position, name, value));
}

TEST(NextOption, FailurePositionsPointWhereTheFailingStepLeftThem) {
  struct Case {
    const char* what;
    std::u16string text;
    std::size_t position;
  };
  const Case cases[] = {
      {"no opening delimiter", u"abc", 0},
      {"empty name: just past the opening delimiter", u"xx<t:Option Name=\"\">v</t:Option>", 18},
      {"no separator: just past the opening delimiter", u"<t:Option Name=\"A", 16},
      {"no closing delimiter: just past the separator", u"<t:Option Name=\"AB\">v", 20},
  };
  for (const Case& c : cases) {
    std::size_t position = 0;
    std::u16string name, value;
    EXPECT_FALSE(NextOption(c.text, position, name, value)) << c.what;
    EXPECT_EQ(position, c.position) << c.what;
  }
}

TEST(FormatOptionList, WritesEntriesInCodeUnitOrderSeparatedByLineFeeds) {
  EXPECT_EQ(FormatOptionList({}), u"");
  EXPECT_EQ(FormatOptionList({{u"A", u""}}), Entry(u"A", u""));
  EXPECT_EQ(FormatOptionList({{u"MaximumUserDictionaries", u"0"}, {u"MaximumDictionaries", u"7"}}),
            Entry(u"MaximumDictionaries", u"7") + u"\n" + Entry(u"MaximumUserDictionaries", u"0"));

  // Ordinal, case-sensitive order by UTF-16 code unit: upper case before lower
  // case, a prefix first, and a surrogate pair (0xD83D...) before U+FF21.
  const OptionMap options = {{u"a", u"4"},          {u"AB", u"2"}, {u"\uFF21", u"6"},
                             {u"\U0001F600", u"5"}, {u"A", u"1"},  {u"B", u"3"}};
  const std::u16string expected = Entry(u"A", u"1") + u"\n" + Entry(u"AB", u"2") + u"\n" +
                                  Entry(u"B", u"3") + u"\n" + Entry(u"a", u"4") + u"\n" +
                                  Entry(u"\U0001F600", u"5") + u"\n" + Entry(u"\uFF21", u"6");
  EXPECT_EQ(FormatOptionList(options), expected);
  EXPECT_EQ(ParseOptionList(expected), options);
}

TEST(FormatOptionList, DoesNotEscapeNamesOrValues) {
  EXPECT_EQ(FormatOptionList({{u"a&b", u"<x>&amp;"}}),
            u"<t:Option Name=\"a&b\"><x>&amp;</t:Option>");
}

}  // namespace
}  // namespace kelar
