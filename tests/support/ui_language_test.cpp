#include "support/ui_language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/localized_text.h"

#ifndef _WIN32
#include "support/host/test_platform.h"
#endif

namespace kelar {
namespace {

TEST(CurrentUiLanguage, IsTakenFromTheUserLocaleBeforeMain) {
  EXPECT_EQ(CurrentUiLanguage, UiLanguageFromLocale());
}

#ifndef _WIN32
TEST(UiLanguageFromLocale, MapsThePrimaryLanguageOfTheUserLocale) {
  struct Case {
    std::uint32_t lcid;
    int expected;
  } const cases[] = {
      {0x0804, 2},  {0x0404, 2},        // Chinese, simplified and traditional
      {0x0413, 3},  {0x0813, 3},        // Dutch, Netherlands and Belgium
      {0x040C, 6},  {0x0C0C, 6},        // French, France and Canada
      {0x0407, 7},  {0x0807, 7},        // German, Germany and Switzerland
      {0x10407, 7},                     // German with the phone-book sort order
      {0x0410, 10}, {0x0416, 15},       // Italian, Portuguese (Brazil)
      {0x0816, 15}, {0x0C0A, 17},       // Portuguese (Portugal), Spanish (modern sort)
      {0x040A, 17},                     // Spanish (traditional sort)
      {0x0409, 4},  {0x0809, 4},        // English
      {0x0411, 4},  {0x0412, 4},        // Japanese, Korean
      {0x0419, 4},  {0x0401, 4},        // Russian, Arabic
      {0x0463, 4},  {0x0000, 4},        // Pashto, neutral
      {0x0107, 4},  {0x0207, 4},        // primary languages 0x107, 0x207: ten bits count, not eight
  };
  for (const Case& c : cases) {
    platform::test::SetUserDefaultLocale(c.lcid);
    EXPECT_EQ(UiLanguageFromLocale(), c.expected) << std::hex << "lcid 0x" << c.lcid;
  }
  platform::test::Reset();
}
#endif

TEST(UiLanguageNumber, ExactLowerCaseCodesOnly) {
  const char16_t* const codes[] = {u"ar", u"zh", u"nl", u"en", u"fa", u"fr", u"de",
                                   u"he", u"id", u"it", u"ja", u"ko", u"ps", u"pl",
                                   u"pt", u"ru", u"es", u"tl", u"tr", u"uk", u"ur"};
  for (int i = 0; i < 21; ++i) EXPECT_EQ(UiLanguageNumber(codes[i]), i + 1) << i;

  struct Case {
    std::u16string code;
    int expected;
  } const others[] = {
      {u"", 4},      {u"DE", 4},   {u"De", 4},       {u"fr-FR", 4}, {u"fr_FR", 4},
      {u"f", 4},     {u"fra", 4},  {u" de", 4},      {u"de ", 4},   {u"xx", 4},
      {std::u16string(u"de\0", 3), 4},  // a NUL inside the text is part of the code
  };
  for (const Case& c : others) {
    EXPECT_EQ(UiLanguageNumber(c.code), c.expected) << std::string(c.code.begin(), c.code.end());
  }
}

TEST(LocalizedText, SevenLanguagesHaveTheirOwnTextAndEveryOtherNumberReadsEnglish) {
  const LocalizedText text = {"en", "zh", "nl", "fr", "de", "it", "pt", "es"};
  struct Case {
    int uiLanguage;
    const char* expected;
  } const cases[] = {
      {2, "zh"},  {3, "nl"},  {6, "fr"},  {7, "de"},  {10, "it"}, {15, "pt"}, {17, "es"},
      {4, "en"},  {1, "en"},  {5, "en"},  {8, "en"},  {9, "en"},  {11, "en"}, {12, "en"},
      {13, "en"}, {14, "en"}, {16, "en"}, {18, "en"}, {21, "en"}, {0, "en"},  {-1, "en"},
      {22, "en"}, {1000, "en"},
  };
  for (const Case& c : cases) EXPECT_STREQ(text.For(c.uiLanguage), c.expected) << c.uiLanguage;
}

TEST(FormatBounded, FormatsPrintfStyleAndCutsAtTheBufferSize) {
  EXPECT_EQ(FormatBounded("%s=%x/%d", "a", 0x80004005u, -5), "a=80004005/-5");
  const std::string longName(3000, 'n');
  const std::string result = FormatBounded("call %s.", longName.c_str());
  ASSERT_EQ(result.size(), 1023u);
  EXPECT_EQ(result, ("call " + longName).substr(0, 1023));
}

}  // namespace
}  // namespace kelar
