#include "documents/xml_text.h"

namespace kelar {
namespace {

bool NeedsEscape(char16_t c) {
  if (c == u'&' || c == u'<' || c == u'>') return true;
  if (c == u'\t' || c == u'\n' || c == u'\r') return false;
  return c <= 0x1F || (c >= 0x7F && c <= 0x9F);
}

void AppendEscaped(std::u16string& out, char16_t c) {
  switch (c) {
    case u'&': out += u"&amp;"; return;
    case u'<': out += u"&lt;"; return;
    case u'>': out += u"&gt;"; return;
    default: break;
  }
  // Only C0/C1 controls get here, so at most three decimal digits.
  char16_t digits[3];
  int count = 0;
  unsigned value = c;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  out += u"&#";
  while (count > 0) out += digits[--count];
  out += u';';
}

}  // namespace

std::u16string XmlElement(std::u16string_view name, std::u16string_view value,
                          std::u16string_view prefix) {
  std::u16string out;
  // "<" ">" "</" ">" "\n", plus the two ":" when there is a prefix.
  const std::size_t fixed = prefix.empty() ? 6 : 8;
  out.reserve(value.size() + 2 * name.size() + 2 * prefix.size() + fixed);
  const auto appendTagName = [&] {
    if (!prefix.empty()) {
      out += prefix;
      out += u':';
    }
    out += name;
  };
  out += u'<';
  appendTagName();
  out += u'>';
  out += value;
  out += u"</";
  appendTagName();
  out += u">\n";
  return out;
}

std::u16string XmlEscape(std::u16string_view text) {
  std::u16string out;
  out.reserve(2 * text.size());
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!NeedsEscape(text[i])) continue;
    out.append(text, runStart, i - runStart);
    AppendEscaped(out, text[i]);
    runStart = i + 1;
  }
  out.append(text, runStart, text.size() - runStart);
  return out;
}

}  // namespace kelar
