#include "documents/xml_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kelar {
namespace {

using namespace std::literals;

TEST(XmlElement, WrapsTheValueUnchangedAndEndsWithOneLineFeed) {
  struct Case {
    std::u16string_view name, value, prefix, expected;
  };
  const Case cases[] = {
      {u"Translation", u"abc", u"", u"<Translation>abc</Translation>\n"},
      {u"Name", u"", u"", u"<Name></Name>\n"},
      {u"Name", u"x", u"t", u"<t:Name>x</t:Name>\n"},
      {u"Translation", u"a<b & \"c\"\r\n", u"", u"<Translation>a<b & \"c\"\r\n</Translation>\n"},
      {u"Translation", u"x\0y"sv, u"", u"<Translation>x\0y</Translation>\n"sv},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlElement(c.name, c.value, c.prefix), c.expected)
        << "name " << testing::PrintToString(std::u16string(c.name));
  }
}

TEST(XmlEscape, ReplacesMarkupAndControlCharactersAndKeepsEverythingElse) {
  struct Case {
    std::u16string_view text, expected;
  };
  const Case cases[] = {
      {u"", u""},
      {u"Tom & Jerry <x>", u"Tom &amp; Jerry &lt;x&gt;"},
      {u"&amp;", u"&amp;amp;"},  // existing references are not recognised
      {u"&#7;", u"&amp;#7;"},
      {u"A\u0007B", u"A&#7;B"},
      {u"\t\n\r", u"\t\n\r"},
      {u"A\0B"sv, u"A&#0;B"},
      {u"\u0001\u001F\u007F\u0085\u009F", u"&#1;&#31;&#127;&#133;&#159;"},
      {u" '\"\u00A0\u00E9\u4E2D\u6587\U0001F600", u" '\"\u00A0\u00E9\u4E2D\u6587\U0001F600"},
      // Runs that start or end the text, and escapes back to back.
      {u"<<x>>", u"&lt;&lt;x&gt;&gt;"},
      {u"<", u"&lt;"},
      {u"abc\u0002", u"abc&#2;"},
      {u"\u0002abc", u"&#2;abc"},
      // A lone surrogate is passed through like any other code unit.
      {u"a\xD800" u"b", u"a\xD800" u"b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlEscape(c.text), c.expected) << "input " << testing::PrintToString(std::u16string(c.text));
  }
}

// Every code unit on its own, so an off-by-one at a range edge cannot hide.
TEST(XmlEscape, EscapesExactlyTheC0AndC1ControlsOtherThanTabLfCr) {
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    const char16_t c = static_cast<char16_t>(u);
    const std::u16string text(1, c);
    std::u16string expected;
    if (c == u'&') {
      expected = u"&amp;";
    } else if (c == u'<') {
      expected = u"&lt;";
    } else if (c == u'>') {
      expected = u"&gt;";
    } else if ((u <= 0x1F && c != u'\t' && c != u'\n' && c != u'\r') ||
               (u >= 0x7F && u <= 0x9F)) {
      for (char ch : "&#" + std::to_string(u) + ";") expected += static_cast<char16_t>(ch);
    } else {
      expected = text;
    }
    ASSERT_EQ(XmlEscape(text), expected) << "code unit " << u;
  }
}

TEST(XmlEscape, LongTextWithManyEscapesIsComplete) {
  // More growth than the up-front reservation allows for.
  std::u16string text;
  std::u16string expected;
  for (int i = 0; i < 1000; ++i) {
    text += u"&\u0001x";
    expected += u"&amp;&#1;x";
  }
  EXPECT_EQ(XmlEscape(text), expected);
}

}  // namespace
}  // namespace kelar
