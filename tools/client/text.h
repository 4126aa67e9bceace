#pragma once
// Text handling of the client that needs no Windows calls: UTF-8 in and out,
// the options text it sends, and reading the XML the engine answers with.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelar::client {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD rather than
// producing bytes no reader accepts.
std::string ToUtf8(std::wstring_view text);

struct DecodedUtf8 {
  bool ok = false;
  std::wstring text;         // when ok
  std::size_t badOffset = 0;  // byte offset of the first invalid sequence, when not ok
};

// Strict UTF-8 to UTF-16 (overlong forms, surrogates and code points above
// U+10FFFF are invalid). A leading byte-order mark is dropped.
DecodedUtf8 FromUtf8(std::string_view bytes);

// Lines split at LF, with a CR before the LF dropped. A final line feed does
// not start another (empty) line.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// Element content to plain text: &lt; &gt; &amp; &quot; &apos; and numeric
// references (&#N; and &#xH;). Anything else, including a reference to NUL,
// a surrogate or a code point beyond U+10FFFF, stays as written.
std::wstring DecodeXmlText(std::wstring_view text);

// One result fragment of the engine: an optional "Errors" element, then a
// "Translation" element.
struct Fragment {
  std::optional<std::wstring> errors;  // the message as written (the engine does not escape it)
  std::wstring translation;            // decoded
};

// Nullopt when the text is not such a fragment (no "Translation" element).
std::optional<Fragment> ParseFragment(std::wstring_view xml);

// Content of the first element `name` in `xml`, undecoded.
std::optional<std::wstring_view> ElementContent(std::wstring_view xml, std::wstring_view name);

// The language choices a command sends to the engine.
struct Languages {
  std::wstring from = L"ps";
  std::wstring to = L"en";
  std::wstring ui;  // empty: not sent, the engine's labels stay English
};

// A code is written into the options text verbatim and the engine reads it
// verbatim, so only letters, digits, '-' and '_' are accepted: nothing that
// could end the option's element early.
bool IsSafeOptionValue(std::wstring_view value);

// The options text: one t:Option entry per language choice.
std::wstring OptionsText(const Languages& languages);

}  // namespace kelar::client
