// The client's reading of the engine's fragments and of its input files.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "text.h"

namespace kelar::client {
namespace {

TEST(ClientFragments, TranslationIsDecodedAndTheErrorKeptAsWritten) {
  const struct {
    std::wstring fragment;
    std::optional<std::wstring> errors;  // nullopt: no "Errors" element
    std::wstring translation;
  } cases[] = {
      {L"<Translation>Thank you</Translation>\n", std::nullopt, L"Thank you"},
      {L"<Translation></Translation>\n", std::nullopt, L""},
      {L"<Translation>a &lt;b&gt; &amp;amp; &quot;c&apos;</Translation>\n", std::nullopt, L"a <b> &amp; \"c'"},
      {L"<Translation>&#7;&#x1F600;&#133;</Translation>\n", std::nullopt, L"\x0007\xD83D\xDE00\x0085"},
      // Not references: left as they stand.
      {L"<Translation>&#0; &#xD800; &#1114112; &nbsp; & &#12</Translation>\n", std::nullopt,
       L"&#0; &#xD800; &#1114112; &nbsp; & &#12"},
      // The message is not escaped by the engine and may hold markup of its own.
      {L"<Errors>Error = 4 <in_psen1.txt> & more</Errors>\n<Translation>\x0645&amp;</Translation>\n",
       L"Error = 4 <in_psen1.txt> & more", L"\x0645&"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fragment.begin(), c.fragment.end()));
    const auto fragment = ParseFragment(c.fragment);
    ASSERT_TRUE(fragment.has_value());
    EXPECT_EQ(fragment->errors, c.errors);
    EXPECT_EQ(fragment->translation, c.translation);
  }
}

TEST(ClientFragments, AnswersWithoutATranslationAreNotFragments) {
  for (const wchar_t* answer : {L"", L"plain text", L"<Errors>unfinished", L"<Errors>x</Errors>\n",
                                L"<Translation>unfinished"}) {
    EXPECT_FALSE(ParseFragment(answer).has_value()) << std::string(answer, answer + wcslen(answer));
  }
}

TEST(ClientInput, Utf8IsDecodedStrictlyWithTheFirstBadByteNamed) {
  const struct {
    std::string bytes;
    bool ok;
    std::wstring text;        // when ok
    std::size_t badOffset;    // when not
  } cases[] = {
      {"", true, L"", 0},
      {"\xEF\xBB\xBF" "a", true, L"a", 0},
      {"\xD9\x85\xF0\x9F\x98\x80", true, L"\x0645\xD83D\xDE00", 0},
      {"ab\xFF", false, L"", 2},
      {"a\xC0\xAF", false, L"", 1},          // overlong "/"
      {"a\xED\xA0\x80", false, L"", 1},      // a surrogate
      {"a\xF4\x90\x80\x80", false, L"", 1},  // beyond U+10FFFF
      {"abc\xD9", false, L"", 3},            // cut short
      {"\xD9" "a", false, L"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const DecodedUtf8 decoded = FromUtf8(c.bytes);
    EXPECT_EQ(decoded.ok, c.ok);
    if (c.ok) {
      EXPECT_EQ(decoded.text, c.text);
    } else {
      EXPECT_EQ(decoded.badOffset, c.badOffset);
    }
  }
}

TEST(ClientInput, OutputEncodingReplacesLoneSurrogates) {
  EXPECT_EQ(ToUtf8(L"\x0645\xD83D\xDE00"), "\xD9\x85\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(std::wstring(L"a\xD800") + L"b\xDC00"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

TEST(ClientInput, LinesSplitAtLineFeedsWithCarriageReturnsDropped) {
  EXPECT_EQ(SplitLines(L"a\r\n\r\nb\n"), (std::vector<std::wstring>{L"a", L"", L"b"}));
  EXPECT_EQ(SplitLines(L"a\n\n"), (std::vector<std::wstring>{L"a", L""}));
  EXPECT_EQ(SplitLines(L"a\rb"), (std::vector<std::wstring>{L"a\rb"}));
  EXPECT_TRUE(SplitLines(L"").empty());
}

}  // namespace
}  // namespace kelar::client
