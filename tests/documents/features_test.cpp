#include "documents/features.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "documents/technical_dictionary_table.h"
#include "support/ui_language.h"

// Labels are widened with the ANSI code page: 1252 both in the native build's
// default test platform and in the default Wine locale, so the Western labels
// read as written here. Chinese labels are checked under code page 936 in the
// Windows build (win/features_chinese_test.cpp).

namespace kelar {
namespace {

using Dictionaries = std::vector<std::pair<std::u16string, std::u16string>>;

EngineOptions Options(std::u16string source, std::u16string translation, std::u16string ui) {
  EngineOptions options;
  options.sourceLanguage = std::move(source);
  options.translationLanguage = std::move(translation);
  options.uiLanguage = std::move(ui);
  return options;
}

// Puts CurrentUiLanguage back after tests that set it themselves.
class FeaturesTest : public testing::Test {
 protected:
  ~FeaturesTest() override { CurrentUiLanguage = saved_; }

 private:
  int saved_ = CurrentUiLanguage;
};

bool StartsWith(const std::u16string& text, std::u16string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The content of the one "Features" element, with its three entities decoded
// once: what a client reads.
std::u16string DecodedBody(const std::u16string& document) {
  const std::u16string_view open = u"<Features>", close = u"</Features>\n";
  if (document.size() < open.size() + close.size() || !StartsWith(document, open) ||
      document.compare(document.size() - close.size(), close.size(), close) != 0) {
    ADD_FAILURE() << "not one Features element";
    return {};
  }
  const std::u16string content =
      document.substr(open.size(), document.size() - open.size() - close.size());
  static const struct {
    std::u16string_view entity;
    char16_t character;
  } kEntities[] = {{u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&amp;", u'&'}};
  std::u16string body;
  for (std::size_t i = 0; i < content.size();) {
    bool decoded = false;
    for (const auto& e : kEntities) {
      if (content.compare(i, e.entity.size(), e.entity) == 0) {
        body += e.character;
        i += e.entity.size();
        decoded = true;
        break;
      }
    }
    if (!decoded) body += content[i++];
  }
  return body;
}

// Contents of every <tag>...</tag> in the body, in order.
std::vector<std::u16string> Contents(const std::u16string& body, std::u16string_view tag) {
  const std::u16string open = u"<" + std::u16string(tag) + u">";
  const std::u16string close = u"</" + std::u16string(tag) + u">";
  std::vector<std::u16string> contents;
  for (std::size_t at = body.find(open); at != std::u16string::npos; at = body.find(open, at)) {
    at += open.size();
    const std::size_t end = body.find(close, at);
    if (end == std::u16string::npos) break;
    contents.push_back(body.substr(at, end - at));
    at = end;
  }
  return contents;
}

// The "TD" elements, each required in its three-line shape; they follow the
// one group and nothing follows them.
Dictionaries TechnicalDictionariesIn(const std::u16string& body) {
  const std::u16string_view afterGroup = u"</FL>\n";
  const std::size_t start = body.find(afterGroup);
  if (start == std::u16string::npos) {
    ADD_FAILURE() << "no group";
    return {};
  }
  Dictionaries found;
  std::u16string_view rest = std::u16string_view(body).substr(start + afterGroup.size());
  const std::u16string_view parts[] = {u"<TD><Name>", u"</Name>\n<UIName>", u"</UIName>\n</TD>\n"};
  while (!rest.empty()) {
    std::u16string fields[2];
    for (int i = 0; i < 2; ++i) {
      const std::size_t end = rest.find(parts[i + 1], parts[i].size());
      if (rest.substr(0, parts[i].size()) != parts[i] || end == std::u16string_view::npos) {
        ADD_FAILURE() << "malformed TD element";
        return found;
      }
      fields[i] = std::u16string(rest.substr(parts[i].size(), end - parts[i].size()));
      rest.remove_prefix(end);
    }
    rest.remove_prefix(parts[2].size());
    found.emplace_back(fields[0], fields[1]);
  }
  return found;
}

// Escaped lines of the document for the English labels and no technical
// dictionaries.
constexpr char16_t kEnglishDocument[] =
    u"<Features>&lt;VendorCode&gt;Kelar&lt;/VendorCode&gt;\n"
    u"&lt;SupportAlternateWord&gt;N&lt;/SupportAlternateWord&gt;\n"
    u"&lt;SupportsDictionaryBrowsing&gt;N&lt;/SupportsDictionaryBrowsing&gt;\n"
    u"&lt;IsCompositeEngine&gt;0&lt;/IsCompositeEngine&gt;\n"
    u"&lt;SupportCreatingUDs&gt;0&lt;/SupportCreatingUDs&gt;\n"
    u"&lt;SupportDeletingUDs&gt;0&lt;/SupportDeletingUDs&gt;\n"
    u"&lt;TopLevelFeatures&gt;&lt;t:Option Name=\"MaximumDictionaries\"&gt;7&lt;/t:Option&gt;\n"
    u"&lt;t:Option Name=\"MaximumUserDictionaries\"&gt;0&lt;/t:Option&gt;&lt;/TopLevelFeatures&gt;\n"
    u"&lt;FL&gt;&lt;Name&gt;Input&lt;/Name&gt;\n"
    u"&lt;UIName&gt;Input&lt;/UIName&gt;\n"
    u"&lt;SourceLanguage&gt;1&lt;/SourceLanguage&gt;\n"
    u"&lt;F&gt;&lt;Name&gt;HandleInputEMailPrefixes&lt;/Name&gt;\n"
    u"&lt;UIName&gt;Recognize email prefix quoting (e.g. '&gt;&gt;&gt;')&lt;/UIName&gt;\n"
    u"&lt;Type&gt;CheckBox&lt;/Type&gt;\n"
    u"&lt;DefaultValue&gt;1&lt;/DefaultValue&gt;\n"
    u"&lt;/F&gt;\n"
    u"&lt;/FL&gt;\n"
    u"</Features>\n";

TEST_F(FeaturesTest, EnglishDocumentForEveryCodeWithoutLabelsOfItsOwn) {
  struct Case {
    const char* what;
    EngineOptions options;
    bool technicalDictionariesEnabled;
  };
  const Case cases[] = {
      {"no UILanguage", Options(u"ps", u"en", u""), true},
      {"en", Options(u"ps", u"en", u"en"), true},
      {"upper-case code", Options(u"ps", u"en", u"FR"), true},
      {"code with a region", Options(u"ps", u"en", u"fr-FR"), true},
      {"known language without labels", Options(u"ps", u"en", u"ar"), true},
      {"unknown code", Options(u"ps", u"en", u"xx"), true},
      {"no language pair", Options(u"", u"", u"en"), true},
      {"a pair with dictionaries, disabled", Options(u"en", u"ar", u""), false},
  };
  for (const Case& c : cases) {
    // The process's own language must not show through an unusable code.
    CurrentUiLanguage = kUiFrench;
    EXPECT_EQ(BuildFeaturesDocument(c.options, c.technicalDictionariesEnabled), kEnglishDocument)
        << c.what;
  }
}

TEST_F(FeaturesTest, GroupAndOptionLabelsFollowTheRequestedLanguage) {
  struct Case {
    std::u16string ui;
    std::u16string group;
    std::u16string option;
  };
  const Case cases[] = {
      {u"fr", u"Entrée", u"Reconnaître les caractères de préfixe email (ex. >>>)"},
      {u"it", u"Input", u"Riconoscimento virgolette dei prefissi di posta elettronica (es. '>>>')"},
      {u"es", u"Entrada", u"Reconocer comillas de prefijo de correo electrónico (por ej. '>>>')"},
      {u"de", u"Eingabe", u"Email-Zitaten-Präfix erkennen (z.B. '>>>')"},
      {u"nl", u"Invoer", u"Herken email voorvoegsel quoting (e.g. '>>>')"},
      {u"pt", u"Entrada", u"Reconhecer prefixo de e-mail (por exemplo \">>>\")"},
  };
  for (const Case& c : cases) {
    const std::u16string body =
        DecodedBody(BuildFeaturesDocument(Options(u"ps", u"en", c.ui), true));
    // Only the labels change: names, types and the rest stay as in English.
    EXPECT_EQ(Contents(body, u"Name"),
              (std::vector<std::u16string>{u"Input", u"HandleInputEMailPrefixes"}));
    EXPECT_EQ(Contents(body, u"UIName"), (std::vector<std::u16string>{c.group, c.option}));
    EXPECT_TRUE(TechnicalDictionariesIn(body).empty());
  }
}

TEST_F(FeaturesTest, TechnicalDictionariesDependOnTheExactPairAndAreOrderedAsText) {
  const Dictionaries englishArabic = {
      {u"1", u"Business"},  {u"10", u"Telecommunications"},
      {u"2", u"Chemical"},  {u"3", u"Computer"},
      {u"4", u"Crime"},     {u"5", u"Diplomatic"},
      {u"6", u"Drug Terms"}, {u"7", u"Special Aircraft Terminology"},
      {u"8", u"Military"},  {u"9", u"Nuclear"}};
  const Dictionaries sixDomains = {{u"1", u"Business"},   {u"2", u"Computer"},
                                   {u"3", u"Diplomatic"}, {u"4", u"Military"},
                                   {u"5", u"Nuclear"},    {u"6", u"Telecommunications"}};
  struct Case {
    std::u16string source, translation;
    bool enabled;
    Dictionaries expected;
  };
  const Case cases[] = {
      {u"en", u"ar", true, englishArabic},
      {u"en", u"ar", false, {}},
      {u"ar", u"en", true,
       {{u"1", u"Business"}, {u"2", u"Chemical"}, {u"3", u"Computer"}, {u"4", u"Crime"},
        {u"5", u"Diplomatic"}, {u"6", u"Drug Terms"}, {u"7", u"Military"}, {u"8", u"Nuclear"},
        {u"9", u"Telecommunications"}}},
      {u"en", u"fa", true,
       {{u"0", u"Aviation"}, {u"1", u"Business"}, {u"2", u"Computer"}, {u"3", u"Diplomatic"},
        {u"4", u"Special Aircraft Terminology"}, {u"5", u"Military"}, {u"6", u"Nuclear"},
        {u"7", u"Telecommunications"}}},
      {u"fa", u"en", true, sixDomains},
      {u"en", u"tr", true, sixDomains},
      {u"tr", u"en", true, sixDomains},
      {u"ps", u"en", true, {}},
      {u"EN", u"ar", true, {}},
      {u"en", u"AR", true, {}},
      {u"ar", u"fa", true, {}},
      {u"en ", u"ar", true, {}},
      {u"", u"", true, {}},
  };
  for (const Case& c : cases) {
    const std::u16string body =
        DecodedBody(BuildFeaturesDocument(Options(c.source, c.translation, u"en"), c.enabled));
    EXPECT_EQ(TechnicalDictionariesIn(body), c.expected)
        << std::string(c.source.begin(), c.source.end()) << "->"
        << std::string(c.translation.begin(), c.translation.end()) << " enabled " << c.enabled;
  }
}

TEST_F(FeaturesTest, DomainLabelsFollowTheRequestedLanguage) {
  // Every accented label, and one per language that has labels of its own.
  struct Case {
    std::u16string ui, translation, identifier, label;
  };
  const Case cases[] = {
      {u"es", u"fa", u"0", u"Aviación"},
      {u"es", u"fa", u"4", u"Aeronáutica"},
      {u"es", u"fa", u"2", u"Informática"},
      {u"es", u"fa", u"6", u"Energía nuclear"},
      {u"es", u"ar", u"2", u"Química"},
      {u"es", u"ar", u"4", u"Criminología"},
      {u"es", u"ar", u"8", u"Milicia"},
      {u"pt", u"fa", u"0", u"Aviação"},
      {u"pt", u"fa", u"1", u"Negócios"},
      {u"pt", u"fa", u"2", u"Computação"},
      {u"pt", u"fa", u"4", u"Terminologia especial para aviação"},
      {u"pt", u"fa", u"7", u"Telecomunicações"},
      {u"pt", u"ar", u"2", u"Química"},
      {u"fr", u"ar", u"4", u"Criminalité"},
      {u"fr", u"ar", u"7", u"Terminologie aéronautique spécifique"},
      {u"fr", u"ar", u"9", u"Nucléaire"},
      {u"fr", u"ar", u"10", u"Télécommunications"},
      {u"fr", u"ar", u"1", u"Commerce"},
      {u"de", u"ar", u"4", u"Kriminalität"},
      {u"de", u"ar", u"8", u"Militär"},
      {u"de", u"ar", u"7", u"Flugzeugterminologie"},
      {u"it", u"fa", u"0", u"Aeronautica"},
      {u"it", u"ar", u"8", u"Discipline militari"},
      {u"nl", u"ar", u"6", u"Geneesmiddelentermen"},
      {u"nl", u"fa", u"0", u"Luchtvaart"},
      {u"ja", u"ar", u"6", u"Drug Terms"},
  };
  for (const Case& c : cases) {
    const std::u16string body =
        DecodedBody(BuildFeaturesDocument(Options(u"en", c.translation, c.ui), true));
    std::u16string label = u"(none)";
    for (const auto& [identifier, uiName] : TechnicalDictionariesIn(body)) {
      if (identifier == c.identifier) label = uiName;
    }
    EXPECT_EQ(label, c.label) << std::string(c.ui.begin(), c.ui.end()) << " en->"
                              << std::string(c.translation.begin(), c.translation.end()) << " "
                              << std::string(c.identifier.begin(), c.identifier.end());
  }
}

TEST_F(FeaturesTest, TableLabelsAreEightBitTextsOfTheCurrentLanguage) {
  std::vector<std::string> identifiers;
  for (const auto& entry : TechnicalDictionaryTable(u"en", u"ar")) identifiers.push_back(entry.first);
  EXPECT_EQ(identifiers, (std::vector<std::string>{"1", "10", "2", "3", "4", "5", "6", "7", "8", "9"}));

  CurrentUiLanguage = kUiSpanish;
  TechnicalDictionaryMap spanish = TechnicalDictionaryTable(u"en", u"fa");
  EXPECT_EQ(spanish["0"], "Aviaci\xF3n");
  EXPECT_EQ(spanish["4"], "Aeron\xE1utica");
  CurrentUiLanguage = kUiChinese;
  EXPECT_EQ(TechnicalDictionaryTable(u"en", u"fa")["0"], "\xBA\xBD\xBF\xD5\xD1\xA7");
}

TEST_F(FeaturesTest, BuildingPutsTheInterfaceLanguageBack) {
  for (int before : {int{kUiEnglish}, int{kUiFrench}, int{kUiChinese}, 0, 99}) {
    CurrentUiLanguage = before;
    const std::u16string body =
        DecodedBody(BuildFeaturesDocument(Options(u"en", u"fa", u"de"), true));
    EXPECT_EQ(Contents(body, u"UIName").front(), u"Eingabe") << before;
    EXPECT_EQ(CurrentUiLanguage, before);
  }
}

TEST_F(FeaturesTest, TheLanguageGuardRestoresOnEveryWayOut) {
  CurrentUiLanguage = kUiDutch;
  try {
    const ScopedUiLanguage outer(kUiGerman);
    EXPECT_EQ(CurrentUiLanguage, kUiGerman);
    {
      const ScopedUiLanguage inner(kUiSpanish);
      EXPECT_EQ(CurrentUiLanguage, kUiSpanish);
    }
    EXPECT_EQ(CurrentUiLanguage, kUiGerman);
    throw std::bad_alloc();
  } catch (const std::bad_alloc&) {
  }
  EXPECT_EQ(CurrentUiLanguage, kUiDutch);
}

TEST(WriteFeatures, WritesEveryPartInDocumentOrder) {
  FeaturesDescription d;
  d.vendorCode = u"A&B";
  d.alternateWordSupport = 1;
  d.dictionaryBrowsing = 2;
  d.compositeEngine = false;
  d.canCreateUserDictionaries = true;
  d.canDeleteUserDictionaries = false;
  d.topLevelFeatures = {{u"Limit", u"3"}};
  d.groups = {{u"G1", u"Group one", false,
               {{u"Mode", u"Mode label", u"Combo", u"b", {{u"a", u"Alpha"}, {u"b", u"Beta"}}}}},
              {u"G2", u"Group two", true, {}}};
  d.technicalDictionaries = {{u"3", u"Law"}};
  d.userDictionaries = {u"mine", u"yours"};

  const std::u16string document = WriteFeatures(d);
  EXPECT_EQ(DecodedBody(document),
            u"<VendorCode>A&B</VendorCode>\n"
            u"<SupportAlternateWord>S</SupportAlternateWord>\n"
            u"<SupportsDictionaryBrowsing>E</SupportsDictionaryBrowsing>\n"
            u"<IsCompositeEngine>0</IsCompositeEngine>\n"
            u"<SupportCreatingUDs>1</SupportCreatingUDs>\n"
            u"<SupportDeletingUDs>0</SupportDeletingUDs>\n"
            u"<TopLevelFeatures><t:Option Name=\"Limit\">3</t:Option></TopLevelFeatures>\n"
            u"<FL><Name>G1</Name>\n<UIName>Group one</UIName>\n<SourceLanguage>0</SourceLanguage>\n"
            u"<F><Name>Mode</Name>\n<UIName>Mode label</UIName>\n<Type>Combo</Type>\n"
            u"<DefaultValue>b</DefaultValue>\n"
            u"<V><Name>a</Name>\n<UIName>Alpha</UIName>\n</V>\n"
            u"<V><Name>b</Name>\n<UIName>Beta</UIName>\n</V>\n"
            u"</F>\n</FL>\n"
            u"<FL><Name>G2</Name>\n<UIName>Group two</UIName>\n<SourceLanguage>1</SourceLanguage>\n"
            u"</FL>\n"
            u"<TD><Name>3</Name>\n<UIName>Law</UIName>\n</TD>\n"
            u"<UD>mine</UD>\n<UD>yours</UD>\n");
  // The body is escaped once as a whole, values included.
  EXPECT_TRUE(StartsWith(document, u"<Features>&lt;VendorCode&gt;A&amp;B&lt;/VendorCode&gt;\n"));
}

TEST(WriteFeatures, WritesKnownCodesAsLettersAndLeavesOthersOut) {
  struct Case {
    std::int32_t code;
    std::u16string alternateWord, browsing;  // empty: element left out
  };
  const Case cases[] = {
      {0, u"N", u"N"},
      {1, u"S", u"B"},
      {2, u"I", u"E"},
      {3, u"", u""},
      {-1, u"", u""},
      {std::numeric_limits<std::int32_t>::min(), u"", u""},
      {std::numeric_limits<std::int32_t>::max(), u"", u""},
  };
  const auto asList = [](const std::u16string& letter) {
    return letter.empty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{letter};
  };
  for (const Case& c : cases) {
    FeaturesDescription d;
    d.alternateWordSupport = c.code;
    d.dictionaryBrowsing = c.code;
    const std::u16string body = DecodedBody(WriteFeatures(d));
    EXPECT_EQ(Contents(body, u"SupportAlternateWord"), asList(c.alternateWord)) << c.code;
    EXPECT_EQ(Contents(body, u"SupportsDictionaryBrowsing"), asList(c.browsing)) << c.code;
    // Nothing else moves when an element is left out.
    EXPECT_TRUE(StartsWith(body, u"<VendorCode></VendorCode>\n")) << c.code;
    EXPECT_NE(body.find(u"<IsCompositeEngine>0</IsCompositeEngine>\n"), std::u16string::npos);
  }
}

}  // namespace
}  // namespace kelar
