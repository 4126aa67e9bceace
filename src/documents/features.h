#pragma once
// The features document: what an engine offers a client (a vendor code,
// capability flags and limits, the options a client may show with labels in
// the client's interface language, and the technical dictionaries of the
// language pair). It is plain XML text built fresh for every request.

#include <cstdint>
#include <string>
#include <vector>

#include "documents/engine_options.h"
#include "documents/option_list.h"

namespace kelar {

struct FeatureValue {
  std::u16string name;
  std::u16string uiName;
};

struct FeatureOption {
  std::u16string name;
  std::u16string uiName;
  std::u16string type;
  std::u16string defaultValue;
  std::vector<FeatureValue> values;
};

struct FeatureGroup {
  std::u16string name;
  std::u16string uiName;
  bool sourceLanguage = false;
  std::vector<FeatureOption> options;
};

struct TechnicalDictionary {
  std::u16string name;  // the vendor's identifier, a decimal number as text
  std::u16string uiName;
};

// Fields in the order the document writes them.
struct FeaturesDescription {
  std::u16string vendorCode;
  // 0, 1 or 2, written as "N", "S" or "I"; any other code leaves the
  // element out.
  std::int32_t alternateWordSupport = 0;
  // 0, 1 or 2, written as "N", "B" or "E"; likewise.
  std::int32_t dictionaryBrowsing = 0;
  bool compositeEngine = false;
  bool canCreateUserDictionaries = false;
  bool canDeleteUserDictionaries = false;
  OptionMap topLevelFeatures;
  std::vector<FeatureGroup> groups;
  std::vector<TechnicalDictionary> technicalDictionaries;
  std::vector<std::u16string> userDictionaries;
};

// "<Features>" + escaped body + "</Features>\n". The body is a run of
// elements, one LF after each; the whole body is escaped once, so a client
// reads the content of "Features", decodes it and gets the inner elements.
std::u16string WriteFeatures(const FeaturesDescription& description);

// Sets CurrentUiLanguage for the lifetime of the guard and puts the previous
// number back on every way out, an exception included.
class ScopedUiLanguage {
 public:
  explicit ScopedUiLanguage(int uiLanguage);
  ~ScopedUiLanguage();
  ScopedUiLanguage(const ScopedUiLanguage&) = delete;
  ScopedUiLanguage& operator=(const ScopedUiLanguage&) = delete;

 private:
  int saved_;
};

// This engine's features document for one request. The labels follow the
// request's "UILanguage" (exact code; anything unknown reads English), and
// the technical dictionaries of its language pair are listed only when
// `technicalDictionariesEnabled`. CurrentUiLanguage is switched for the build
// and restored afterwards, so the caller must hold the engine lock.
std::u16string BuildFeaturesDocument(const EngineOptions& options,
                                     bool technicalDictionariesEnabled);

}  // namespace kelar
