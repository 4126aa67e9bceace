#include "documents/features.h"

#include <utility>

#include "documents/feature_labels.h"
#include "documents/technical_dictionary_table.h"
#include "documents/xml_text.h"
#include "support/code_page.h"
#include "support/ui_language.h"

namespace kelar {
namespace {

std::u16string Element(std::u16string_view name, std::u16string_view value) {
  return XmlElement(name, value, u"");
}

std::u16string_view Flag(bool value) { return value ? u"1" : u"0"; }

// The letter for a three-valued code, or empty for a code outside 0..2.
std::u16string_view CodeLetter(std::int32_t code, const char16_t (&letters)[4]) {
  if (code < 0 || code > 2) return {};
  return std::u16string_view(&letters[code], 1);
}

std::u16string WriteOption(const FeatureOption& option) {
  std::u16string content = Element(u"Name", option.name);
  content += Element(u"UIName", option.uiName);
  content += Element(u"Type", option.type);
  content += Element(u"DefaultValue", option.defaultValue);
  for (const FeatureValue& value : option.values) {
    content += Element(u"V", Element(u"Name", value.name) + Element(u"UIName", value.uiName));
  }
  return Element(u"F", content);
}

std::u16string WriteGroup(const FeatureGroup& group) {
  std::u16string content = Element(u"Name", group.name);
  content += Element(u"UIName", group.uiName);
  content += Element(u"SourceLanguage", Flag(group.sourceLanguage));
  for (const FeatureOption& option : group.options) content += WriteOption(option);
  return Element(u"FL", content);
}

}  // namespace

std::u16string WriteFeatures(const FeaturesDescription& description) {
  std::u16string body = Element(u"VendorCode", description.vendorCode);
  const std::u16string_view alternateWord =
      CodeLetter(description.alternateWordSupport, u"NSI");
  if (!alternateWord.empty()) body += Element(u"SupportAlternateWord", alternateWord);
  const std::u16string_view browsing = CodeLetter(description.dictionaryBrowsing, u"NBE");
  if (!browsing.empty()) body += Element(u"SupportsDictionaryBrowsing", browsing);
  body += Element(u"IsCompositeEngine", Flag(description.compositeEngine));
  body += Element(u"SupportCreatingUDs", Flag(description.canCreateUserDictionaries));
  body += Element(u"SupportDeletingUDs", Flag(description.canDeleteUserDictionaries));
  body += Element(u"TopLevelFeatures", FormatOptionList(description.topLevelFeatures));
  for (const FeatureGroup& group : description.groups) body += WriteGroup(group);
  for (const TechnicalDictionary& dictionary : description.technicalDictionaries) {
    body += Element(u"TD",
                    Element(u"Name", dictionary.name) + Element(u"UIName", dictionary.uiName));
  }
  for (const std::u16string& name : description.userDictionaries) body += Element(u"UD", name);
  // The body travels as the text content of one element: clients decode it
  // once and then read the inner elements.
  return Element(u"Features", XmlEscape(body));
}

ScopedUiLanguage::ScopedUiLanguage(int uiLanguage) : saved_(CurrentUiLanguage) {
  CurrentUiLanguage = uiLanguage;
}

ScopedUiLanguage::~ScopedUiLanguage() { CurrentUiLanguage = saved_; }

std::u16string BuildFeaturesDocument(const EngineOptions& options,
                                     bool technicalDictionariesEnabled) {
  // Every label below, the dictionary names included, is picked through
  // CurrentUiLanguage; the request's language replaces the process's own
  // only while this document is built.
  const ScopedUiLanguage language(UiLanguageNumber(options.uiLanguage));

  FeaturesDescription description;
  description.vendorCode = u"Kelar";
  description.topLevelFeatures = {{u"MaximumDictionaries", u"7"},
                                  {u"MaximumUserDictionaries", u"0"}};

  FeatureOption emailPrefixes;
  emailPrefixes.name = u"HandleInputEMailPrefixes";
  emailPrefixes.uiName = AnsiToWide(kEmailPrefixOptionLabel.For(CurrentUiLanguage));
  emailPrefixes.type = u"CheckBox";
  emailPrefixes.defaultValue = u"1";

  FeatureGroup input;
  input.name = u"Input";
  input.uiName = AnsiToWide(kInputGroupLabel.For(CurrentUiLanguage));
  input.sourceLanguage = true;
  input.options.push_back(std::move(emailPrefixes));
  description.groups.push_back(std::move(input));

  if (technicalDictionariesEnabled) {
    for (const auto& [identifier, label] :
         TechnicalDictionaryTable(options.sourceLanguage, options.translationLanguage)) {
      description.technicalDictionaries.push_back({AnsiToWide(identifier), AnsiToWide(label)});
    }
  }
  return WriteFeatures(description);
}

}  // namespace kelar
