#include "documents/engine_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelar {
namespace {

std::u16string Entry(std::u16string_view name, std::u16string_view value) {
  return u"<t:Option Name=\"" + std::u16string(name) + u"\">" + std::u16string(value) +
         u"</t:Option>";
}

TEST(EngineOptions, SetFromXmlTakesTheThreeCodesVerbatimByExactName) {
  struct Case {
    const char* what;
    std::u16string text;
    std::u16string source, translation, ui;
  };
  const Case cases[] = {
      {"empty document", u"", u"", u"", u""},
      {"all three inside an enclosing element",
       u"<Options>" + Entry(u"SourceLanguage", u"ps") + Entry(u"TranslationLanguage", u"en") +
           Entry(u"UILanguage", u"fr") + Entry(u"TDs_0", u"3") + u"</Options>",
       u"ps", u"en", u"fr"},
      {"names are case-sensitive",
       Entry(u"sourcelanguage", u"ps") + Entry(u"UiLanguage", u"fr") +
           Entry(u"TranslationLanguage ", u"en"),
       u"", u"", u""},
      {"values are not trimmed or folded",
       Entry(u"SourceLanguage", u" ps") + Entry(u"TranslationLanguage", u"EN"), u" ps", u"EN",
       u""},
      {"the first of two entries counts",
       Entry(u"UILanguage", u"de") + Entry(u"UILanguage", u"fr"), u"", u"", u"de"},
      {"a malformed entry hides everything after it",
       Entry(u"SourceLanguage", u"ps") + Entry(u"", u"x") + Entry(u"UILanguage", u"fr"), u"ps",
       u"", u""},
  };
  for (const Case& c : cases) {
    EngineOptions options;
    options.SetFromXml(c.text);
    EXPECT_EQ(options.sourceLanguage, c.source) << c.what;
    EXPECT_EQ(options.translationLanguage, c.translation) << c.what;
    EXPECT_EQ(options.uiLanguage, c.ui) << c.what;
  }
}

TEST(EngineOptions, SetFromXmlReplacesEverythingFromAnEarlierDocument) {
  EngineOptions options;
  options.SetFromXml(Entry(u"SourceLanguage", u"ps") + Entry(u"TranslationLanguage", u"en") +
                     Entry(u"UILanguage", u"fr") + Entry(u"Other", u"1"));
  options.SetFromXml(Entry(u"TranslationLanguage", u"de"));
  EXPECT_EQ(options.sourceLanguage, u"");
  EXPECT_EQ(options.translationLanguage, u"de");
  EXPECT_EQ(options.uiLanguage, u"");
  EXPECT_EQ(options.options, (OptionMap{{u"TranslationLanguage", u"de"}}));
}

TEST(EngineOptions, GetOptionGivesThePresentValueEvenWhenEmpty) {
  EngineOptions options;
  options.SetFromXml(Entry(u"SourceLanguage", u"") + Entry(u"Other", u"x"));
  EXPECT_EQ(options.sourceLanguage, u"");
  EXPECT_EQ(options.GetOption(u"SourceLanguage", u"default"), u"");
  EXPECT_EQ(options.GetOption(u"Other", u"default"), u"x");
  EXPECT_EQ(options.GetOption(u"Missing", u"default"), u"default");
  EXPECT_EQ(options.GetOption(u"other", u"default"), u"default");
  EXPECT_EQ(options.GetOption(u"Othe", u"default"), u"default");
}

TEST(EngineOptions, ListOptionKeysEndsAtTheFirstMissingOrEmptyNumber) {
  struct Case {
    const char* what;
    std::u16string text;
    std::vector<std::u16string> expected;
  };
  const Case cases[] = {
      {"no entries", u"", {}},
      {"gap at 2", Entry(u"TDs_0", u"3") + Entry(u"TDs_1", u"1") + Entry(u"TDs_3", u"5"),
       {u"TDs_0", u"TDs_1"}},
      {"empty first value", Entry(u"TDs_0", u"") + Entry(u"TDs_1", u"2"), {}},
      {"no 0", Entry(u"TDs_1", u"2"), {}},
      {"leading zeros never read", Entry(u"TDs_00", u"1") + Entry(u"TDs_01", u"2"), {}},
      {"prefix is case-sensitive", Entry(u"tds_0", u"1"), {}},
      {"order in the document does not matter",
       Entry(u"TDs_2", u"9") + Entry(u"TDs_0", u"7") + Entry(u"TDs_1", u"8"),
       {u"TDs_0", u"TDs_1", u"TDs_2"}},
      {"first occurrence decides emptiness",
       Entry(u"TDs_0", u"1") + Entry(u"TDs_1", u"") + Entry(u"TDs_1", u"2"), {u"TDs_0"}},
  };
  for (const Case& c : cases) {
    EngineOptions options;
    options.SetFromXml(c.text);
    EXPECT_EQ(options.ListOptionKeys(u"TDs_"), c.expected) << c.what;
  }
}

TEST(EngineOptions, ListOptionKeysCountsPastOneDigit) {
  std::u16string text;
  std::vector<std::u16string> expected;
  for (int n = 0; n <= 120; ++n) {
    std::u16string name = u"TDs_";
    for (char ch : std::to_string(n)) name += static_cast<char16_t>(ch);
    text += Entry(name, u"1");
    expected.push_back(name);
  }
  EngineOptions options;
  options.SetFromXml(text);
  EXPECT_EQ(options.ListOptionKeys(u"TDs_"), expected);
  EXPECT_EQ(options.ListOptionKeys(u"Other_"), std::vector<std::u16string>{});
}

}  // namespace
}  // namespace kelar
