// Every translated text and every message goes through XmlEscape into the
// documents clients parse, so whatever the text holds the result must be
// well-formed element content that means exactly the original text.
//
// Input: the form byte of fuzz_input.h, then the text.
//
// Invariants:
// - The result holds no "<" or ">", no control character other than TAB, LF
//   and CR, and every "&" starts one of "&amp;", "&lt;", "&gt;" or "&#N;"
//   with N a C0 or C1 control other than TAB, LF and CR.
// - Reading those references back gives the text exactly: nothing lost,
//   added or reordered, surrogates and U+0000 included.
// - A text that needs no escaping comes back as an exact copy.
// - XmlElement puts the value between the tags unchanged.

#include <cstddef>
#include <cstdint>
#include <string>

#include "documents/xml_text.h"
#include "fuzz_input.h"

namespace {

bool IsEscapedControl(unsigned value) {
  if (value == 0x09 || value == 0x0A || value == 0x0D) return false;
  return value <= 0x1F || (value >= 0x7F && value <= 0x9F);
}

bool NeedsEscape(char16_t c) { return c == u'&' || c == u'<' || c == u'>' || IsEscapedControl(c); }

// Reads the result back as an XML parser would, accepting only what the
// escaping may produce. Returns false on anything else.
bool Unescape(const std::u16string& escaped, std::u16string& text) {
  text.clear();
  for (std::size_t i = 0; i < escaped.size();) {
    const char16_t c = escaped[i];
    if (c == u'<' || c == u'>' || IsEscapedControl(c)) return false;
    if (c != u'&') {
      text += c;
      ++i;
      continue;
    }
    const std::size_t end = escaped.find(u';', i);
    if (end == std::u16string::npos) return false;
    const std::u16string name = escaped.substr(i + 1, end - i - 1);
    if (name == u"amp") {
      text += u'&';
    } else if (name == u"lt") {
      text += u'<';
    } else if (name == u"gt") {
      text += u'>';
    } else {
      // "#" and decimal digits without leading zeros.
      if (name.size() < 2 || name.size() > 4 || name[0] != u'#') return false;
      if (name.size() > 2 && name[1] == u'0') return false;
      unsigned value = 0;
      for (std::size_t k = 1; k < name.size(); ++k) {
        if (name[k] < u'0' || name[k] > u'9') return false;
        value = value * 10 + (name[k] - u'0');
      }
      if (!IsEscapedControl(value)) return false;
      text += static_cast<char16_t>(value);
    }
    i = end + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = kelar::fuzz::TextAfterFormByte(data, size);
  const std::u16string escaped = kelar::XmlEscape(text);

  std::u16string back;
  KELAR_FUZZ_CHECK(Unescape(escaped, back), "the result is well-formed element content");
  KELAR_FUZZ_CHECK(back == text, "the references read back to the text");

  bool needsNone = true;
  for (char16_t c : text) needsNone = needsNone && !NeedsEscape(c);
  if (needsNone) KELAR_FUZZ_CHECK(escaped == text, "text needing no escapes is copied");

  const std::u16string element = kelar::XmlElement(u"Translation", escaped, u"");
  KELAR_FUZZ_CHECK(element == u"<Translation>" + escaped + u"</Translation>\n",
                   "XmlElement wraps the value unchanged");
  return 0;
}
