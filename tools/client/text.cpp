#include "text.h"

#include <cstdint>

namespace kelar::client {
namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::wstring& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<wchar_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (cp >> 10));
    out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
  }
}

bool IsHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The numeric reference "&#...;" or "&#x...;" starting at `at`; its code
// point and length, or nothing when it is not one we decode.
bool ReadNumericReference(std::wstring_view text, std::size_t at, std::uint32_t& cp, std::size_t& length) {
  std::size_t i = at + 2;
  const bool hex = i < text.size() && (text[i] == L'x' || text[i] == L'X');
  if (hex) ++i;
  const std::size_t digitsStart = i;
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] != L';'; ++i) {
    const wchar_t c = text[i];
    std::uint32_t digit;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (hex && c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (hex && c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      return false;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) return false;
  }
  if (i == digitsStart || i >= text.size()) return false;
  if (value == 0 || IsHighSurrogate(value) || IsLowSurrogate(value)) return false;
  cp = value;
  length = i + 1 - at;
  return true;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = static_cast<std::uint16_t>(text[i]);
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<std::uint16_t>(text[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

DecodedUtf8 FromUtf8(std::string_view bytes) {
  DecodedUtf8 result;
  std::size_t i = 0;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  result.text.reserve(bytes.size());
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::uint32_t cp;
    std::size_t extra;
    std::uint32_t minimum;
    if (lead < 0x80) {
      cp = lead, extra = 0, minimum = 0;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1F, extra = 1, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0F, extra = 2, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      cp = lead & 0x07, extra = 3, minimum = 0x10000;
    } else {
      result.badOffset = i;
      return result;
    }
    if (bytes.size() - i <= extra) {
      result.badOffset = i;
      return result;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        result.badOffset = i;
        return result;
      }
      cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
      result.badOffset = i;
      return result;
    }
    AppendUtf16(result.text, cp);
    i += extra + 1;
  }
  result.ok = true;
  return result;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    const std::size_t next = end == std::wstring_view::npos ? text.size() : end + 1;
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = next;
  }
  return lines;
}

std::wstring DecodeXmlText(std::wstring_view text) {
  static constexpr struct {
    std::wstring_view name;
    wchar_t character;
  } kEntities[] = {{L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&amp;", L'&'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}};

  std::wstring out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find(L'&', i);
    if (amp == std::wstring_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, amp - i));
    i = amp;
    bool decoded = false;
    if (text.substr(amp, 2) == L"&#") {
      std::uint32_t cp = 0;
      std::size_t length = 0;
      if (ReadNumericReference(text, amp, cp, length)) {
        AppendUtf16(out, cp);
        i += length;
        decoded = true;
      }
    } else {
      for (const auto& entity : kEntities) {
        if (text.substr(amp, entity.name.size()) == entity.name) {
          out += entity.character;
          i += entity.name.size();
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) {
      out += L'&';
      ++i;
    }
  }
  return out;
}

std::optional<std::wstring_view> ElementContent(std::wstring_view xml, std::wstring_view name) {
  const std::wstring open = L"<" + std::wstring(name) + L">";
  const std::wstring close = L"</" + std::wstring(name) + L">";
  const std::size_t start = xml.find(open);
  if (start == std::wstring_view::npos) return std::nullopt;
  const std::size_t contentStart = start + open.size();
  const std::size_t end = xml.find(close, contentStart);
  if (end == std::wstring_view::npos) return std::nullopt;
  return xml.substr(contentStart, end - contentStart);
}

std::optional<Fragment> ParseFragment(std::wstring_view xml) {
  Fragment fragment;
  std::wstring_view rest = xml;
  // The error message is not escaped, so the translation is looked for only
  // after the end of the "Errors" element.
  static constexpr std::wstring_view kErrorsOpen = L"<Errors>";
  static constexpr std::wstring_view kErrorsClose = L"</Errors>";
  const std::size_t firstTag = rest.find(L'<');
  if (firstTag != std::wstring_view::npos && rest.substr(firstTag, kErrorsOpen.size()) == kErrorsOpen) {
    const std::size_t end = rest.find(kErrorsClose, firstTag + kErrorsOpen.size());
    if (end == std::wstring_view::npos) return std::nullopt;
    fragment.errors = std::wstring(rest.substr(firstTag + kErrorsOpen.size(), end - firstTag - kErrorsOpen.size()));
    rest = rest.substr(end + kErrorsClose.size());
  }
  const auto translation = ElementContent(rest, L"Translation");
  if (!translation) return std::nullopt;
  fragment.translation = DecodeXmlText(*translation);
  return fragment;
}

bool IsSafeOptionValue(std::wstring_view value) {
  for (wchar_t c : value) {
    const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
                    c == L'_';
    if (!ok) return false;
  }
  return true;
}

std::wstring OptionsText(const Languages& languages) {
  const auto entry = [](std::wstring_view name, std::wstring_view value) {
    return L"<t:Option Name=\"" + std::wstring(name) + L"\">" + std::wstring(value) + L"</t:Option>";
  };
  std::wstring text = entry(L"SourceLanguage", languages.from) + L"\n" + entry(L"TranslationLanguage", languages.to);
  if (!languages.ui.empty()) text += L"\n" + entry(L"UILanguage", languages.ui);
  return text;
}

}  // namespace kelar::client
