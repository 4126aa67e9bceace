// The bundled engine's glossary code: dictionary parsing, text decoding and
// normalisation, and translation by longest phrase with the word-order rules.
// A small glossary of its own keeps each rule visible; the shipped
// dictionaries are checked apart.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "glossary.h"
#include "script.h"

namespace {

using vyn::Dictionary;
using vyn::Glossary;

Glossary Build(const std::string& dictionaryText, const std::string& pair) {
  Dictionary dictionary;
  std::string error;
  EXPECT_TRUE(vyn::ParseDictionary(dictionaryText, dictionary, error)) << error;
  Glossary glossary;
  for (const vyn::Entry& e : dictionary[pair]) glossary.Add(e);
  return glossary;
}

const char kPashto[] =
    "[ps-en]\n"
    "سلام = hello\n"
    "مننه = thank you\n"
    "ډېره = very | mod\n"
    "ډېره مننه = thank you very much\n"
    "سهار مو پخیر = good morning\n"
    "کتاب = book\n"
    "زه = I\n"
    "زما = my | mod\n"
    "ورور = brother\n"
    "ښه = good | mod\n"
    "یم = am | cop\n"
    "دی = is | cop ; first: he\n"
    "ته = to | post ; first: you\n"
    "یې = his/her ; last: are | cop\n"
    "کابل = Kabul\n"
    "افغانستان = Afghanistan\n"
    "پلازمېنه = capital\n"
    "ده = is | cop\n"
    "ځم = go | verb\n"
    "ځي = goes | verb\n"
    "نن = today | adv\n"
    "په = in | pre\n"
    "کې = in | post\n"
    "د = of | gen\n"
    "نوم = name\n"
    "ستا = your | mod\n"
    "څه = what | q\n"
    "او = and | conj\n"
    "خور = sister\n"
    "لرم = have | verb\n"
    "دوه = two | mod\n"
    "سړي = men\n"
    "به =\n";

TEST(VendorGlossary, TranslatesByLongestPhraseAndReordersIntoEnglish) {
  const Glossary glossary = Build(kPashto, "ps-en");
  struct Case {
    const char* what;
    const char* pashto;
    const char* english;
  } cases[] = {
      {"single word, capitalised", "سلام", "Hello"},
      {"the longer phrase wins", "ډېره مننه", "Thank you very much"},
      {"three-word phrase", "سهار مو پخیر", "Good morning"},
      {"a phrase never spans punctuation", "ډېره، مننه", "Very, thank you"},
      {"copula after the subject", "زه ښه یم", "I am good"},
      {"modifiers stay with their noun", "زما ورور ښه دی", "My brother is good"},
      {"sense chosen at the start of a clause", "دی ښه دی", "He is good"},
      {"sense chosen at the end of a clause", "ته ښه یې", "You are good"},
      {"postposition goes before its noun", "زه کابل ته ځم", "I go to Kabul"},
      {"preposition closed by a postposition", "زما ورور په کابل کې دی", "My brother is in Kabul"},
      {"genitive: of X Y is Y of X", "کابل د افغانستان پلازمېنه ده", "Kabul is capital of Afghanistan"},
      {"adverb stays in front", "نن زه کابل ته ځم", "Today I go to Kabul"},
      {"question word and copula invert", "ستا نوم څه دی؟", "What is your name?"},
      {"a verbless clause joins the next", "زه دوه ورور او خور لرم", "I have two brother and sister"},
      {"each clause keeps its verb", "زه ښه یم او ورور ښه دی", "I am good and brother is good"},
      {"no subject: the verb leads", "کابل ته ځم", "Go to Kabul"},
      {"words translated to nothing drop out", "زه به ځم", "I go"},
      {"unknown word transliterated", "ګلالۍ", "Glalay"},
      {"unknown word keeps its place", "زما ورور ګلالۍ ته ځي", "My brother goes to Glalay"},
      {"Latin text and digits pass through", "Kabul 2024 سلام", "Kabul 2024 hello"},
      {"sentence starts capitalised", "سلام. مننه! سلام؟", "Hello. Thank you! Hello?"},
      {"comma gains its space", "سلام،مننه", "Hello, thank you"},
      {"guillemets become quotes", "«سلام»", "\"Hello\""},
      {"wrong final yeh still found", "سړی", "Men"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vyn::TranslateText(glossary, "ps", c.pashto), c.english) << c.what;
  }
}

TEST(VendorGlossary, NormalisesLetterVariantsDigitsAndPunctuation) {
  const Glossary glossary = Build(kPashto, "ps-en");
  struct Case {
    const char* what;
    const char* pashto;
    const char* english;
  } cases[] = {
      {"Arabic kaf", "كتاب", "Book"},
      {"harakat", "مَنَنَه", "Thank you"},
      {"tatweel", "سلـــام", "Hello"},
      {"zero-width non-joiner inside a word", "سل\u200Cام", "Hello"},
      {"presentation forms", "\uFEB3\uFEDF\uFE8E\uFEE1", "Hello"},
      {"lam-alef ligature", "س\uFEFBم", "Hello"},
      {"Arabic yeh inside a word", "زيم", "Zim"},
      {"Persian gaf for Pashto gaf", "گلالۍ", "Glalay"},
      {"Extended Arabic-Indic digits", "۱۲۳", "123"},
      {"Arabic-Indic digits", "٤٥", "45"},
      {"decimal and thousands separators", "٣٫٥ ١٬٠٠٠", "3.5 1,000"},
      {"Arabic comma, question mark, semicolon, full stop", "سلام، مننه؟ سلام؛ مننه۔",
       "Hello, thank you? Hello; thank you."},
      {"Arabic percent sign", "۵۰٪", "50%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vyn::TranslateText(glossary, "ps", c.pashto), c.english) << c.what;
  }
}

TEST(VendorGlossary, KeepsLinesAndSurvivesMalformedText) {
  const Glossary glossary = Build(kPashto, "ps-en");
  EXPECT_EQ(vyn::TranslateText(glossary, "ps", "سلام\n\nمننه\n"), "Hello\n\nThank you\n");
  EXPECT_EQ(vyn::TranslateText(glossary, "ps", ""), "");
  EXPECT_EQ(vyn::TranslateText(glossary, "ps", "  سلام  "), "Hello");
  // A cut sequence and a stray continuation byte become replacement
  // characters; the words around them survive.
  EXPECT_EQ(vyn::TranslateText(glossary, "ps", "سلام \xD8 مننه \x80"),
            "Hello \xEF\xBF\xBD thank you \xEF\xBF\xBD");
}

TEST(VendorGlossary, DecodesUtf8Strictly) {
  struct Case {
    const char* bytes;
    std::u32string text;
  } cases[] = {
      {"a\xD8\xB3", U"a\u0633"},
      {"\xF0\x9F\x98\x80", U"\U0001F600"},
      {"\xED\xA0\x80", U"\uFFFD"},          // surrogate
      {"\xE0\x80\xAF", U"\uFFFD"},          // overlong
      {"\xF4\x90\x80\x80", U"\uFFFD"},      // above U+10FFFF
      {"\xE2\x82", U"\uFFFD"},              // cut at the end
      {"\xE2\x82" "a", U"\uFFFD" "a"},      // cut before an ASCII byte
      {"\xFF\xFE", U"\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vyn::DecodeUtf8(c.bytes), c.text) << c.bytes;
  }
}

TEST(VendorGlossary, RejectsMalformedDictionariesWithTheLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"سلام = hello\n", "line 1: an entry before the first [source-target] section"},
      {"[ps-xx]\n", "line 1: a section is [source-target] with two known language codes"},
      {"[ps-ps]\n", "line 1: a section is [source-target] with two known language codes"},
      {"[ps-en]\nسلام hello\n", "line 2: no \"=\" between the source words and the translation"},
      {"[ps-en]\nsalam = hello\n", "line 2: the source must be Arabic-script words"},
      {"[ps-en]\nسلام، = hello\n", "line 2: the source must be Arabic-script words"},
      {"[ps-en]\n = hello\n", "line 2: the source must be Arabic-script words"},
      {"[ps-en]\nسلام = hello | noun\n", "line 2: unknown role \"noun\""},
      {"[ps-en]\nسلام = first: hello\n", "line 2: the first translation must apply anywhere"},
      {"[ps-en]\nسلام = hello ; hi\n", "line 2: a further translation needs \"first:\" or \"last:\""},
      {"[ps-en]\nسلام = hello\n# note\n\nسلـام = hi\n", "line 5: the same source words as line 2"},
  };
  for (const Case& c : cases) {
    Dictionary dictionary;
    std::string error;
    EXPECT_FALSE(vyn::ParseDictionary(c.text, dictionary, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(dictionary.empty()) << "a faulty file contributes nothing";
  }
}

TEST(VendorGlossary, AcceptsByteOrderMarkCrlfCommentsAndEmptyTranslations) {
  Dictionary dictionary;
  std::string error;
  ASSERT_TRUE(vyn::ParseDictionary("\xEF\xBB\xBF# glossary\r\n[ps-en]\r\n  سلام  =  hello there  \r\n"
                                   "به =\r\n\r\n[fa-en]\r\nسلام = hi\r\n",
                                   dictionary, error))
      << error;
  ASSERT_EQ(dictionary["ps-en"].size(), 2u);
  EXPECT_EQ(dictionary["ps-en"][0].senses.front().english, "hello there");
  EXPECT_EQ(dictionary["ps-en"][1].senses.front().english, "");
  // The same words in another language pair are another entry.
  EXPECT_EQ(dictionary["fa-en"].size(), 1u);
}

TEST(VendorGlossary, DariJoinsVerbPrefixesAndFoldsEveryYeh) {
  const Glossary glossary = Build(
      "[fa-en]\nمن = I\nبه = to | pre\nخانه = home\nمیروم = go | verb\nکشتی = ship\n", "fa-en");
  for (const char* text : {"من به خانه میروم", "من به خانه می روم", "من به خانه می\u200Cروم"}) {
    EXPECT_EQ(vyn::TranslateText(glossary, "fa", text), "I go to home") << text;
  }
  EXPECT_EQ(vyn::TranslateText(glossary, "fa", "کشتي"), "Ship") << "Dari has one yeh";
}

#ifdef KELAR_VENDOR_SOURCE_DIR
TEST(VendorGlossary, ShippedDictionariesParseAndHoldTheGlossaries) {
  auto parse = [](const char* relative, Dictionary& dictionary) {
    std::ifstream in(std::string(KELAR_VENDOR_SOURCE_DIR) + "/vendor/dictionaries/" + relative,
                     std::ios::binary);
    ASSERT_TRUE(in) << relative;
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    EXPECT_TRUE(vyn::ParseDictionary(text.str(), dictionary, error)) << relative << ": " << error;
  };
  Dictionary pashto, dari;
  parse("FaEn/FA-EN.din", pashto);
  parse("EnFa/EN-FA.din", dari);
  EXPECT_GE(pashto["ps-en"].size(), 500u);
  EXPECT_GE(dari["fa-en"].size(), 100u);
}
#endif

}  // namespace
