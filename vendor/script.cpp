#include "script.h"

#include <cctype>

namespace vyn {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool InRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Diacritics, tatweel, and the invisible marks (joiners, direction marks,
// byte-order mark) that change how a word is drawn but not which word it is.
bool IsDropped(char32_t c) {
  return InRange(c, 0x0610, 0x061A) || InRange(c, 0x064B, 0x065F) || c == 0x0670 ||
         InRange(c, 0x06D6, 0x06DC) || InRange(c, 0x06DF, 0x06E4) || InRange(c, 0x06E7, 0x06E8) ||
         InRange(c, 0x06EA, 0x06ED) || InRange(c, 0x08D3, 0x08FF) || c == 0x0640 || c == 0x061C ||
         InRange(c, 0x200B, 0x200F) || InRange(c, 0x202A, 0x202E) || InRange(c, 0x2066, 0x2069) ||
         c == 0xFEFF || InRange(c, 0xFE70, 0xFE7F);
}

struct FormRange {
  char32_t first;
  char32_t last;
  char32_t letter;
};

// Contextual presentation forms (as left behind by PDF extraction and old
// software) back to their letters. Lam-alef ligatures are handled apart.
constexpr FormRange kPresentationForms[] = {
    {0xFB50, 0xFB51, 0x0671}, {0xFB56, 0xFB59, 0x067E}, {0xFB7A, 0xFB7D, 0x0686}, {0xFB8A, 0xFB8B, 0x0698},
    {0xFB8E, 0xFB91, 0x06A9}, {0xFB92, 0xFB95, 0x06AF}, {0xFB9E, 0xFB9F, 0x06BA}, {0xFBA4, 0xFBA5, 0x06C0},
    {0xFBA6, 0xFBA9, 0x06C1}, {0xFBAA, 0xFBAD, 0x06BE}, {0xFBE4, 0xFBE7, 0x06D0}, {0xFBFC, 0xFBFF, 0x06CC},
    {0xFE80, 0xFE80, 0x0621}, {0xFE81, 0xFE82, 0x0622}, {0xFE83, 0xFE84, 0x0623}, {0xFE85, 0xFE86, 0x0624},
    {0xFE87, 0xFE88, 0x0625}, {0xFE89, 0xFE8C, 0x0626}, {0xFE8D, 0xFE8E, 0x0627}, {0xFE8F, 0xFE92, 0x0628},
    {0xFE93, 0xFE94, 0x0629}, {0xFE95, 0xFE98, 0x062A}, {0xFE99, 0xFE9C, 0x062B}, {0xFE9D, 0xFEA0, 0x062C},
    {0xFEA1, 0xFEA4, 0x062D}, {0xFEA5, 0xFEA8, 0x062E}, {0xFEA9, 0xFEAA, 0x062F}, {0xFEAB, 0xFEAC, 0x0630},
    {0xFEAD, 0xFEAE, 0x0631}, {0xFEAF, 0xFEB0, 0x0632}, {0xFEB1, 0xFEB4, 0x0633}, {0xFEB5, 0xFEB8, 0x0634},
    {0xFEB9, 0xFEBC, 0x0635}, {0xFEBD, 0xFEC0, 0x0636}, {0xFEC1, 0xFEC4, 0x0637}, {0xFEC5, 0xFEC8, 0x0638},
    {0xFEC9, 0xFECC, 0x0639}, {0xFECD, 0xFED0, 0x063A}, {0xFED1, 0xFED4, 0x0641}, {0xFED5, 0xFED8, 0x0642},
    {0xFED9, 0xFEDC, 0x0643}, {0xFEDD, 0xFEE0, 0x0644}, {0xFEE1, 0xFEE4, 0x0645}, {0xFEE5, 0xFEE8, 0x0646},
    {0xFEE9, 0xFEEC, 0x0647}, {0xFEED, 0xFEEE, 0x0648}, {0xFEEF, 0xFEF0, 0x0649}, {0xFEF1, 0xFEF4, 0x064A},
};

char32_t PresentationLetter(char32_t c) {
  for (const FormRange& r : kPresentationForms) {
    if (InRange(c, r.first, r.last)) return r.letter;
  }
  return 0;
}

// The alef that a lam-alef ligature carries, or 0.
char32_t LigatureAlef(char32_t c) {
  switch (c) {
    case 0xFEF5: case 0xFEF6: return 0x0622;
    case 0xFEF7: case 0xFEF8: return 0x0623;
    case 0xFEF9: case 0xFEFA: return 0x0625;
    case 0xFEFB: case 0xFEFC: return 0x0627;
    default: return 0;
  }
}

// Letters that writers and keyboards use for one another.
char32_t FoldVariant(char32_t c) {
  switch (c) {
    case 0x0643: case 0x06AA: return 0x06A9;                  // Arabic kaf, swash kaf
    case 0x0649: return 0x06CC;                               // alef maksura
    case 0x0623: case 0x0625: case 0x0671: case 0x0672: case 0x0673: return 0x0627;  // alef with hamza, wasla
    case 0x0624: return 0x0648;                               // waw with hamza
    case 0x0629: case 0x06C0: case 0x06C1: case 0x06C2: case 0x06BE: case 0x06D5: return 0x0647;  // heh forms
    default: return c;
  }
}

char32_t LatinForm(char32_t c) {
  if (InRange(c, 0x0660, 0x0669)) return U'0' + (c - 0x0660);
  if (InRange(c, 0x06F0, 0x06F9)) return U'0' + (c - 0x06F0);
  switch (c) {
    case 0x060C: return U',';
    case 0x061F: return U'?';
    case 0x061B: return U';';
    case 0x06D4: return U'.';
    case 0x066A: return U'%';
    case 0x066B: return U'.';   // decimal separator
    case 0x066C: return U',';   // thousands separator
    case 0x066D: return U'*';
    default: return 0;
  }
}

bool IsYeh(char32_t c) { return c == 0x06CC || c == 0x064A; }

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char32_t c : text) AppendUtf8(out, c);
  return out;
}

std::u32string DecodeUtf8(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out += lead;
      ++i;
      continue;
    }
    size_t length;
    char32_t c;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2; c = lead & 0x1F; minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3; c = lead & 0x0F; minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4; c = lead & 0x07; minimum = 0x10000;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t k = 1;
    for (; k < length && i + k < n; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) break;
      c = (c << 6) | (next & 0x3F);
    }
    if (k < length || c < minimum || c > 0x10FFFF || InRange(c, 0xD800, 0xDFFF)) {
      // Resynchronise at the first byte that is not part of the bad sequence.
      out += kReplacement;
      i += k;
      continue;
    }
    out += c;
    i += length;
  }
  return out;
}

std::u32string Normalise(std::u32string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (char32_t alef = LigatureAlef(c)) {
      out += 0x0644;
      out += FoldVariant(alef);
      continue;
    }
    if (char32_t letter = PresentationLetter(c)) c = letter;
    // Madda and hamza written as separate marks: the madda makes a distinct
    // letter, the hamza above yeh makes the Pashto letter yeh with hamza.
    if (c == 0x0653 && !out.empty() && out.back() == 0x0627) {
      out.back() = 0x0622;
      continue;
    }
    if (c == 0x0654 && !out.empty() && IsYeh(out.back())) {
      out.back() = 0x0626;
      continue;
    }
    if (IsDropped(c)) continue;
    if (char32_t latin = LatinForm(c)) {
      out += latin;
      continue;
    }
    out += FoldVariant(c);
  }
  return out;
}

bool IsArabicLetter(char32_t c) {
  return InRange(c, 0x0620, 0x063F) || InRange(c, 0x0641, 0x064A) || InRange(c, 0x066E, 0x066F) ||
         InRange(c, 0x0671, 0x06D3) || c == 0x06D5 || InRange(c, 0x06EE, 0x06EF) ||
         InRange(c, 0x06FA, 0x06FC) || c == 0x06FF || InRange(c, 0x0750, 0x077F) ||
         InRange(c, 0x08A0, 0x08C9) || InRange(c, 0xFB50, 0xFDFF) || InRange(c, 0xFE80, 0xFEFC);
}

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\v' || c == U'\f' || c == U'\r' || c == 0x00A0 || c == 0x1680 ||
         InRange(c, 0x2000, 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::u32string MatchKey(std::u32string_view word, bool pashto) {
  std::u32string key(word);
  for (size_t i = 0; i < key.size(); ++i) {
    char32_t& c = key[i];
    switch (c) {
      case 0x06AF: c = 0x06AB; break;  // Persian gaf, Pashto gaf
      case 0x0679: c = 0x067C; break;  // Urdu retroflex letters, Pashto ones
      case 0x0688: c = 0x0689; break;
      case 0x0691: c = 0x0693; break;
      case 0x064A:
        if (!pashto || i + 1 < key.size()) c = 0x06CC;
        break;
      default: break;
    }
  }
  return key;
}

std::u32string SwapFinalYeh(std::u32string_view word) {
  if (word.empty() || !IsYeh(word.back())) return {};
  std::u32string swapped(word);
  swapped.back() = swapped.back() == 0x06CC ? 0x064A : 0x06CC;
  return swapped;
}

std::string Transliterate(std::u32string_view word, bool pashto) {
  std::string out;
  const size_t n = word.size();
  for (size_t i = 0; i < n; ++i) {
    const char32_t c = word[i];
    const bool first = i == 0;
    const bool last = i + 1 == n;
    const char32_t previous = first ? 0 : word[i - 1];
    const bool afterVowelLetter = previous == 0x0627 || previous == 0x0622 || previous == 0x0648;
    const char* latin = "";
    switch (c) {
      case 0x0627: case 0x0622: latin = "a"; break;
      case 0x0628: latin = "b"; break;
      case 0x067E: latin = "p"; break;
      case 0x062A: case 0x067C: case 0x0679: case 0x0637: latin = "t"; break;
      case 0x062B: case 0x0633: case 0x0635: latin = "s"; break;
      case 0x062C: latin = "j"; break;
      case 0x0686: latin = "ch"; break;
      case 0x062D: latin = "h"; break;
      case 0x062E: latin = "kh"; break;
      case 0x0685: latin = "ts"; break;
      case 0x0681: latin = "dz"; break;
      case 0x062F: case 0x0689: case 0x0688: latin = "d"; break;
      case 0x0630: case 0x0632: case 0x0636: case 0x0638: latin = "z"; break;
      case 0x0631: case 0x0693: case 0x0691: latin = "r"; break;
      case 0x0698: case 0x0696: latin = "zh"; break;
      case 0x0634: case 0x069A: latin = "sh"; break;
      case 0x063A: latin = "gh"; break;
      case 0x0641: latin = "f"; break;
      case 0x0642: latin = "q"; break;
      case 0x06A9: latin = "k"; break;
      case 0x06AB: case 0x06AF: latin = "g"; break;
      case 0x0644: latin = "l"; break;
      case 0x0645: latin = "m"; break;
      case 0x0646: case 0x06BC: case 0x06BA: latin = "n"; break;
      case 0x0648: latin = first || afterVowelLetter ? "w" : "o"; break;
      case 0x0647: latin = last && !first ? "a" : "h"; break;
      case 0x06CC:
        latin = first || afterVowelLetter ? "y" : last ? (pashto ? "ay" : "i") : "i";
        break;
      case 0x064A: latin = first || afterVowelLetter ? "y" : "i"; break;
      case 0x06D0: latin = "e"; break;
      case 0x06CD: case 0x0626: latin = "ay"; break;
      default: break;  // hamza, ain and letters without a plain Latin sound
    }
    out += latin;
  }
  if (out.empty()) return EncodeUtf8(word);
  out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
  return out;
}

}  // namespace vyn
