// Options documents come straight from clients, so the option-list reader and
// EngineOptions must take any text without crashing, without looping and
// without losing what they have already read.
//
// Input: the form byte of fuzz_input.h (bit 0), whose upper seven bits also
// choose where the text is cut for the prefix check below; then the text.
//
// Invariants:
// - Reading is a scan over the text: NextOption moves its position strictly
//   forward and never past the end, and ParseOptionList gives what the
//   NextOption loop gives, the first occurrence of each name winning.
// - What was read can be written and read again unchanged:
//   ParseOptionList(FormatOptionList(m)) == m for every map read from text,
//   and for any map whose names are non-empty and free of the separator and
//   whose values are free of the closing delimiter (the delimiters cannot
//   overlap themselves, so nothing else can be mistaken for them).
// - Reading more text never takes back what a shorter text gave: every
//   entry read from a prefix of the text is read with the same value from
//   the whole text.
// - EngineOptions keeps the map that ParseOptionList gives, its three codes
//   are the values of their options, and ListOptionKeys lists "TDs_0",
//   "TDs_1", ... exactly as long as each is present and not empty.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "documents/engine_options.h"
#include "documents/option_list.h"
#include "fuzz_input.h"

namespace {

using kelar::OptionMap;

constexpr std::u16string_view kSeparator = u"\">";
constexpr std::u16string_view kClose = u"</t:Option>";

OptionMap ReadByNextOption(std::u16string_view text) {
  OptionMap map;
  std::size_t position = 0;
  std::u16string name, value;
  for (;;) {
    const std::size_t before = position;
    if (!kelar::NextOption(text, position, name, value)) break;
    KELAR_FUZZ_CHECK(position > before && position <= text.size(),
                     "a read moves forward and stays inside the text");
    KELAR_FUZZ_CHECK(!name.empty(), "a read entry has a name");
    map.try_emplace(name, value);
  }
  return map;
}

bool WritableEntry(const std::u16string& name, const std::u16string& value) {
  return !name.empty() && name.find(kSeparator) == std::u16string::npos &&
         value.find(kClose) == std::u16string::npos;
}

bool Writable(const OptionMap& map) {
  for (const auto& [name, value] : map) {
    if (!WritableEntry(name, value)) return false;
  }
  return true;
}

// The writable name/value pairs of the text split at U+0001, for the
// write-and-read check on maps that were not read from an options document.
OptionMap SplitIntoMap(std::u16string_view text) {
  OptionMap map;
  std::u16string name, value;
  bool inValue = false;
  const auto add = [&] {
    if (WritableEntry(name, value)) map.insert_or_assign(name, value);
    name.clear();
    value.clear();
    inValue = false;
  };
  for (char16_t c : text) {
    if (c != u'\x01') {
      (inValue ? value : name) += c;
    } else if (!inValue) {
      inValue = true;
    } else {
      add();
    }
  }
  if (inValue) add();
  return map;
}

void CheckEngineOptions(std::u16string_view text, const OptionMap& parsed) {
  kelar::EngineOptions options;
  // Whatever an earlier document left must be replaced.
  options.SetFromXml(u"<t:Option Name=\"SourceLanguage\">xx</t:Option>"
                     u"<t:Option Name=\"TDs_0\">1</t:Option>");
  options.SetFromXml(text);
  KELAR_FUZZ_CHECK(options.options == parsed, "EngineOptions keeps the parsed map");

  const auto valueOf = [&](std::u16string_view name) {
    const auto found = parsed.find(name);
    return found == parsed.end() ? std::u16string() : found->second;
  };
  KELAR_FUZZ_CHECK(options.sourceLanguage == valueOf(u"SourceLanguage"), "sourceLanguage");
  KELAR_FUZZ_CHECK(options.translationLanguage == valueOf(u"TranslationLanguage"),
                   "translationLanguage");
  KELAR_FUZZ_CHECK(options.uiLanguage == valueOf(u"UILanguage"), "uiLanguage");

  for (const auto& [name, value] : parsed) {
    KELAR_FUZZ_CHECK(options.GetOption(name, u"\xFFFF") == value,
                     "GetOption gives a present value, even an empty one");
  }
  KELAR_FUZZ_CHECK(parsed.count(u"\xFFFF" u"absent") != 0 ||
                       options.GetOption(u"\xFFFF" u"absent", u"d") == u"d",
                   "GetOption gives the default for an absent name");

  // The list needs no more than the map's size to end.
  const std::u16string prefix = u"TDs_";
  const auto keys = options.ListOptionKeys(prefix);
  KELAR_FUZZ_CHECK(keys.size() <= parsed.size(), "ListOptionKeys ends");
  for (std::size_t n = 0; n <= keys.size(); ++n) {
    const std::string digits = std::to_string(n);
    const std::u16string expected = prefix + std::u16string(digits.begin(), digits.end());
    if (n < keys.size()) {
      KELAR_FUZZ_CHECK(keys[n] == expected && !valueOf(expected).empty(),
                       "ListOptionKeys lists the numbers in order while present");
    } else {
      KELAR_FUZZ_CHECK(valueOf(expected).empty(), "ListOptionKeys stops at the first gap");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = kelar::fuzz::TextAfterFormByte(data, size);

  const OptionMap parsed = kelar::ParseOptionList(text);
  KELAR_FUZZ_CHECK(parsed == ReadByNextOption(text), "ParseOptionList follows NextOption");
  KELAR_FUZZ_CHECK(Writable(parsed), "read entries can be written");
  const std::u16string written = kelar::FormatOptionList(parsed);
  KELAR_FUZZ_CHECK(kelar::ParseOptionList(written) == parsed, "written entries read back");
  KELAR_FUZZ_CHECK(parsed.empty() == written.empty(), "only an empty map writes nothing");

  const OptionMap split = SplitIntoMap(text);
  KELAR_FUZZ_CHECK(kelar::ParseOptionList(kelar::FormatOptionList(split)) == split,
                   "any writable map reads back");

  if (size > 0) {
    const std::size_t cut = text.size() * (data[0] >> 1) / 127;
    const OptionMap shorter = kelar::ParseOptionList(std::u16string_view(text).substr(0, cut));
    for (const auto& [name, value] : shorter) {
      const auto found = parsed.find(name);
      KELAR_FUZZ_CHECK(found != parsed.end() && found->second == value,
                       "more text keeps every entry a prefix gave");
    }
  }

  CheckEngineOptions(text, parsed);
  return 0;
}
