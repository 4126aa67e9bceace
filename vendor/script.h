#pragma once
// Arabic-script text as this engine sees it: UTF-8 in and out, one spelling
// per letter for matching, Latin digits and punctuation, and a Latin
// spelling for words the glossary does not know.

#include <string>
#include <string_view>

namespace vyn {

// Malformed sequences (bad lead or continuation bytes, overlong forms,
// surrogates, values above U+10FFFF, a cut final sequence) each become
// U+FFFD, so the rest of the text survives.
std::u32string DecodeUtf8(std::string_view bytes);
std::string EncodeUtf8(std::u32string_view text);
void AppendUtf8(std::string& out, char32_t c);

// The spelling every later step works on: presentation forms become their
// letters, diacritics, tatweel and invisible joiners go, letter variants
// that writers use interchangeably become one letter (Arabic kaf, alef
// maksura, the hamza-carrying alefs, the heh variants), Arabic-Indic and
// Extended Arabic-Indic digits become 0-9, and the Arabic comma, question
// mark, semicolon, full stop, percent and decimal signs become their Latin
// forms. Guillemets are kept: the renderer decides their spacing.
std::u32string Normalise(std::u32string_view text);

// Letters that make up a source word after Normalise.
bool IsArabicLetter(char32_t c);
bool IsSpace(char32_t c);

// The lookup form of one normalised word. Gaf is one letter whichever
// keyboard typed it. Yeh is one letter except at the end of a Pashto word,
// where the dotted and the dotless yeh are different endings.
std::u32string MatchKey(std::u32string_view word, bool pashto);

// The same word with the other final yeh (dotted for dotless and back), or
// empty when it does not end in one: texts typed on a Persian or Arabic
// keyboard often carry the wrong one.
std::u32string SwapFinalYeh(std::u32string_view word);

// A readable Latin spelling of a normalised word, first letter capitalised:
// the glossary does not know it, and most such words are names.
std::string Transliterate(std::u32string_view word, bool pashto);

}  // namespace vyn
