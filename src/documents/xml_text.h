#pragma once
// The engine writes XML as plain text: no document tree, only elements
// concatenated around values that the caller has already made safe.

#include <string>
#include <string_view>

namespace kelar {

// "<prefix:name>value</prefix:name>\n", or "<name>value</name>\n" when the
// prefix is empty. The value goes in as it stands: escape it first if it may
// hold markup.
std::u16string XmlElement(std::u16string_view name, std::u16string_view value,
                          std::u16string_view prefix);

// Makes text safe as element content: "&", "<", ">" become entities, and
// control characters other than TAB, LF and CR become "&#N;" so the
// document stays well-formed. Existing references are escaped again.
std::u16string XmlEscape(std::u16string_view text);

}  // namespace kelar
