#pragma once
// Preparing a text for the vendor engine: a few characters are normalised,
// a leading part that is not in the source script (and leading numbering) is
// kept aside untranslated, and over-long runs without a break are split.

#include <string>
#include <string_view>

namespace kelar {

// True for what the C runtime's iswpunct accepts in its default locale, and
// for U+0020, U+2018, U+2019, U+201C and U+201D.
bool IsPunctuation(char16_t unit);

// Returns the text to send to the vendor engine and appends to `keptPrefix`
// the leading part that stays untranslated in front of the translation.
// `sourceLanguage` is the source language code of the call ("ps", "en", ...).
std::u16string PrepareText(std::u16string_view text, std::u16string& keptPrefix,
                           std::u16string_view sourceLanguage);

// The longest run of characters the vendor engine is given without a break.
inline constexpr std::size_t kMaximumRunLength = 122;

}  // namespace kelar
