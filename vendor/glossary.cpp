#include "glossary.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "script.h"
#include "vyn_request.h"

namespace vyn {

// ---------------------------------------------------------------- glossary

void Glossary::Add(Entry entry) {
  longest_ = std::max(longest_, entry.words);
  std::u32string key = entry.key;
  entries_[std::move(key)] = std::move(entry);
}

const Entry* Glossary::Find(std::u32string_view key) const {
  auto it = entries_.find(std::u32string(key));
  return it == entries_.end() ? nullptr : &it->second;
}

bool IsPashto(std::string_view sourceCode) { return sourceCode == "ps"; }

// ---------------------------------------------------------------- parsing

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ConsumePrefix(std::string_view& s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

bool RoleByName(std::string_view name, Role& role) {
  static const std::pair<std::string_view, Role> kRoles[] = {
      {"mod", Role::kModifier},     {"adv", Role::kAdverb},       {"verb", Role::kVerb},
      {"cop", Role::kCopula},       {"post", Role::kPostposition}, {"pre", Role::kPreposition},
      {"gen", Role::kGenitive},     {"conj", Role::kConjunction}, {"q", Role::kQuestion},
  };
  for (const auto& [n, r] : kRoles) {
    if (n == name) {
      role = r;
      return true;
    }
  }
  return false;
}

// "english", "english | tag", "first: english | tag", "last: ...".
bool ParseSense(std::string_view text, bool firstSense, Sense& sense, std::string& error) {
  text = Trim(text);
  if (ConsumePrefix(text, "first:")) {
    sense.position = Position::kFirst;
  } else if (ConsumePrefix(text, "last:")) {
    sense.position = Position::kLast;
  }
  if (firstSense && sense.position != Position::kAnywhere) {
    error = "the first translation must apply anywhere";
    return false;
  }
  if (!firstSense && sense.position == Position::kAnywhere) {
    error = "a further translation needs \"first:\" or \"last:\"";
    return false;
  }
  const size_t bar = text.find('|');
  sense.english = std::string(Trim(text.substr(0, bar)));
  if (bar != std::string_view::npos) {
    const std::string_view tag = Trim(text.substr(bar + 1));
    if (!RoleByName(tag, sense.role)) {
      error = "unknown role \"" + std::string(tag) + "\"";
      return false;
    }
  }
  return true;
}

// Normalised source words, each made only of Arabic-script letters.
bool ParseSource(std::string_view text, std::vector<std::u32string>& words) {
  const std::u32string normalised = Normalise(DecodeUtf8(text));
  std::u32string word;
  for (size_t i = 0; i <= normalised.size(); ++i) {
    if (i == normalised.size() || IsSpace(normalised[i])) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else if (IsArabicLetter(normalised[i])) {
      word += normalised[i];
    } else {
      return false;
    }
  }
  return !words.empty();
}

bool ValidSection(std::string_view name) {
  const size_t dash = name.find('-');
  if (dash == std::string_view::npos) return false;
  const std::string_view source = name.substr(0, dash);
  const std::string_view target = name.substr(dash + 1);
  return LanguageNumber(source) != 0 && LanguageNumber(target) != 0 && source != target;
}

}  // namespace

bool ParseDictionary(std::string_view text, Dictionary& out, std::string& error) {
  Dictionary parsed;
  std::map<std::string, std::unordered_map<std::u32string, size_t>> seen;  // key -> line
  std::string section;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;

    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(lineNumber) + ": " + what;
      return false;
    };

    if (line.front() == '[') {
      if (line.back() != ']' || !ValidSection(line.substr(1, line.size() - 2))) {
        return fail("a section is [source-target] with two known language codes");
      }
      section = std::string(line.substr(1, line.size() - 2));
      parsed[section];
      continue;
    }
    if (section.empty()) return fail("an entry before the first [source-target] section");

    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return fail("no \"=\" between the source words and the translation");

    std::vector<std::u32string> words;
    if (!ParseSource(line.substr(0, equals), words)) return fail("the source must be Arabic-script words");
    const bool pashto = IsPashto(section.substr(0, section.find('-')));
    Entry entry;
    entry.words = words.size();
    for (size_t i = 0; i < words.size(); ++i) {
      if (i) entry.key += U' ';
      entry.key += MatchKey(words[i], pashto);
    }

    std::string_view rest = line.substr(equals + 1);
    for (bool first = true;; first = false) {
      const size_t semicolon = rest.find(';');
      Sense sense;
      std::string what;
      if (!ParseSense(rest.substr(0, semicolon), first, sense, what)) return fail(what);
      entry.senses.push_back(std::move(sense));
      if (semicolon == std::string_view::npos) break;
      rest.remove_prefix(semicolon + 1);
    }

    auto [it, added] = seen[section].emplace(entry.key, lineNumber);
    if (!added) return fail("the same source words as line " + std::to_string(it->second));
    parsed[section].push_back(std::move(entry));
  }

  for (auto& [pair, entries] : parsed) {
    auto& target = out[pair];
    for (Entry& e : entries) target.push_back(std::move(e));
  }
  return true;
}

// ---------------------------------------------------------------- translation

namespace {

enum class TokenKind { kWord, kSpace, kPunct, kOther };

struct Token {
  TokenKind kind;
  std::u32string text;
};

bool IsPunctuation(char32_t c) {
  if (c < 0x80) return std::ispunct(static_cast<int>(c)) != 0;
  return c == 0x00AB || c == 0x00BB || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) ||
         (c >= 0x0600 && c <= 0x060F) || c == 0x061D || c == 0x061E || c == 0x06DD || c == 0x06DE ||
         c == 0x06E9 || c == 0x06FD || c == 0x06FE || c == 0x00BF || c == 0x00A1;
}

std::vector<Token> Tokenise(std::u32string_view line) {
  std::vector<Token> tokens;
  for (char32_t c : line) {
    const TokenKind kind = IsArabicLetter(c) ? TokenKind::kWord
                           : IsSpace(c)      ? TokenKind::kSpace
                           : IsPunctuation(c) ? TokenKind::kPunct
                                              : TokenKind::kOther;
    if (kind != TokenKind::kPunct && !tokens.empty() && tokens.back().kind == kind) {
      tokens.back().text += c;
    } else {
      tokens.push_back({kind, std::u32string(1, c)});
    }
  }
  return tokens;
}

// Dari writes the verb prefixes "mi" and "nami" joined, with a zero-width
// non-joiner (which Normalise removes) or with a space; the glossary holds
// the joined form.
void JoinDariVerbPrefixes(std::vector<Token>& tokens) {
  static const std::u32string kMi = U"\u0645\u06CC";
  static const std::u32string kNami = U"\u0646\u0645\u06CC";
  for (size_t i = 0; i + 2 < tokens.size(); ++i) {
    Token& t = tokens[i];
    if (t.kind == TokenKind::kWord && (t.text == kMi || t.text == kNami) &&
        tokens[i + 1].kind == TokenKind::kSpace && tokens[i + 2].kind == TokenKind::kWord) {
      t.text += tokens[i + 2].text;
      tokens.erase(tokens.begin() + i + 1, tokens.begin() + i + 3);
    }
  }
}

struct Unit {
  std::string english;
  Role role = Role::kWord;
  bool fromSource = false;       // came from an Arabic-script word
  const Entry* entry = nullptr;  // senses still to choose
};

struct Piece {
  bool isPunct = false;
  Unit unit;
  char32_t punct = 0;
  bool spaceBefore = false;
  bool spaceAfter = false;
};

std::vector<Piece> Match(const Glossary& glossary, const std::vector<Token>& tokens, bool pashto) {
  std::vector<Piece> pieces;
  bool pendingSpace = false;
  for (size_t t = 0; t < tokens.size(); ++t) {
    const Token& token = tokens[t];
    Piece piece;
    switch (token.kind) {
      case TokenKind::kSpace:
        if (!pieces.empty() && pieces.back().isPunct) pieces.back().spaceAfter = true;
        pendingSpace = true;
        continue;
      case TokenKind::kPunct:
        piece.isPunct = true;
        piece.punct = token.text[0];
        piece.spaceBefore = pendingSpace;
        break;
      case TokenKind::kOther:
        piece.unit.english = EncodeUtf8(token.text);
        break;
      case TokenKind::kWord: {
        // Longest phrase first: extend the key word by word while the words
        // are separated by white space only, remember the longest hit.
        std::u32string key = MatchKey(token.text, pashto);
        const Entry* best = glossary.Find(key);
        size_t bestEnd = t;
        for (size_t j = t, words = 1; words < glossary.LongestPhrase(); ++words) {
          if (j + 2 >= tokens.size() || tokens[j + 1].kind != TokenKind::kSpace ||
              tokens[j + 2].kind != TokenKind::kWord) {
            break;
          }
          j += 2;
          key += U' ';
          key += MatchKey(tokens[j].text, pashto);
          if (const Entry* e = glossary.Find(key)) {
            best = e;
            bestEnd = j;
          }
        }
        if (!best && pashto) {
          const std::u32string swapped = SwapFinalYeh(MatchKey(token.text, pashto));
          if (!swapped.empty()) best = glossary.Find(swapped);
        }
        piece.unit.fromSource = true;
        if (best) {
          piece.unit.entry = best;
          t = bestEnd;
        } else {
          piece.unit.english = Transliterate(token.text, pashto);
        }
        break;
      }
    }
    pendingSpace = false;
    pieces.push_back(std::move(piece));
  }
  return pieces;
}

std::string Join(const std::vector<Unit>& units, size_t first, size_t last) {
  std::string out;
  for (size_t i = first; i < last; ++i) {
    if (!out.empty()) out += ' ';
    out += units[i].english;
  }
  return out;
}

// "of X Y" -> "Y of X", where X and Y are nouns with their modifiers.
void ApplyGenitives(std::vector<Unit>& c) {
  for (size_t i = 0; i < c.size(); ++i) {
    if (c[i].role != Role::kGenitive) continue;
    size_t j = i + 1;
    while (j < c.size() && c[j].role == Role::kModifier) ++j;
    if (j >= c.size() || c[j].role != Role::kWord) continue;
    size_t k = j + 1;
    while (k < c.size() && c[k].role == Role::kModifier) ++k;
    if (k >= c.size() || c[k].role != Role::kWord) continue;
    Unit merged;
    merged.english = Join(c, j + 1, k + 1) + " " + c[i].english + " " + Join(c, i + 1, j + 1);
    merged.fromSource = true;
    c.erase(c.begin() + i + 1, c.begin() + k + 1);
    c[i] = std::move(merged);
  }
}

// "X post" -> "post X", taking an opening preposition of X with it.
void ApplyPostpositions(std::vector<Unit>& c) {
  std::vector<Unit> out;
  for (Unit& u : c) {
    if (u.role != Role::kPostposition || out.empty() || out.back().role != Role::kWord) {
      out.push_back(std::move(u));
      continue;
    }
    size_t start = out.size() - 1;
    while (start > 0 && out[start - 1].role == Role::kModifier) --start;
    Unit merged;
    merged.english = u.english + " " + Join(out, start, out.size());
    merged.role = Role::kPhrase;
    merged.fromSource = true;
    if (start > 0 && (out[start - 1].role == Role::kPreposition || out[start - 1].role == Role::kGenitive)) {
      --start;
    }
    out.resize(start);
    out.push_back(std::move(merged));
  }
  c = std::move(out);
}

bool IsVerb(const Unit& u) { return u.role == Role::kVerb || u.role == Role::kCopula; }

// The last unit of the noun (modifiers, then a noun or a lone modifier)
// starting at `first`, or `limit` when there is none before it.
size_t NounPhraseEnd(const std::vector<Unit>& c, size_t first, size_t limit) {
  size_t s = first;
  while (s + 1 < limit && c[s].role == Role::kModifier) ++s;
  if (s >= limit || (c[s].role != Role::kWord && c[s].role != Role::kModifier)) return limit;
  return s;
}

// Source clauses end with their verb; English wants it after the subject.
void PlaceVerb(std::vector<Unit>& c) {
  const size_t n = c.size();
  size_t a = 0;  // leading adverbs stay in front
  while (a < n && c[a].role == Role::kAdverb) ++a;
  size_t g = n;  // start of the clause-final verb group
  while (g > a && IsVerb(c[g - 1])) --g;
  if (g == n || g == a) return;

  // "your name what is" -> "what is your name"
  if (n - g == 1 && c[g].role == Role::kCopula) {
    for (size_t q = a; q < g; ++q) {
      if (c[q].role != Role::kQuestion) continue;
      std::rotate(c.begin() + a, c.begin() + q, c.begin() + q + 1);  // question word first
      std::rotate(c.begin() + a + 1, c.begin() + g, c.end());         // then the copula
      return;
    }
  }
  switch (c[a].role) {
    case Role::kWord:
    case Role::kModifier: {
      size_t s = NounPhraseEnd(c, a, g);  // the subject
      if (s == g) return;
      // "Ahmad and Ali": nouns joined by a conjunction share the verb.
      while (s + 2 < g && c[s + 1].role == Role::kConjunction) {
        const size_t next = NounPhraseEnd(c, s + 2, g);
        if (next == g) break;
        s = next;
      }
      if (s + 1 < g) std::rotate(c.begin() + (s + 1), c.begin() + g, c.end());
      return;
    }
    case Role::kPhrase:
    case Role::kPreposition:
    case Role::kGenitive:
      // No subject word (Pashto drops pronouns): the verb leads.
      std::rotate(c.begin() + a, c.begin() + g, c.end());
      return;
    default:
      return;
  }
}

// Chooses each unit's sense by its place in its clause and drops words
// that translate to nothing.
std::vector<Unit> ResolveSenses(std::vector<Unit> units) {
  std::vector<Unit> c;
  for (size_t i = 0; i < units.size(); ++i) {
    Unit& u = units[i];
    if (u.entry) {
      const Sense* chosen = &u.entry->senses.front();
      for (const Sense& s : u.entry->senses) {
        if ((s.position == Position::kFirst && i == 0) ||
            (s.position == Position::kLast && i + 1 == units.size() && units.size() > 1)) {
          chosen = &s;
          break;
        }
      }
      u.english = chosen->english;
      u.role = chosen->role;
    }
    if (!u.english.empty()) c.push_back(std::move(u));
  }
  return c;
}

bool HasVerb(const std::vector<Unit>& c) { return std::any_of(c.begin(), c.end(), IsVerb); }
bool IsLoneConjunction(const std::vector<Unit>& c) { return c.size() == 1 && c[0].role == Role::kConjunction; }

// Reorders the units between two punctuation marks. Conjunctions split them
// into clauses; a clause without a verb is only part of the next one's noun
// list ("I one brother and two sisters have"), so the two are arranged as one.
std::vector<Unit> ArrangeSegment(std::vector<std::vector<Unit>> clauses) {
  std::vector<std::vector<Unit>> merged;
  for (auto& clause : clauses) {
    clause = ResolveSenses(std::move(clause));
    if (clause.empty()) continue;
    merged.push_back(std::move(clause));
    // Fold back while a verbless clause and a conjunction precede a clause
    // with a verb.
    while (merged.size() >= 3 && HasVerb(merged.back()) && IsLoneConjunction(merged[merged.size() - 2]) &&
           !HasVerb(merged[merged.size() - 3])) {
      std::vector<Unit> tail = std::move(merged.back());
      merged.pop_back();
      Unit conjunction = std::move(merged.back()[0]);
      merged.pop_back();
      merged.back().push_back(std::move(conjunction));
      for (Unit& u : tail) merged.back().push_back(std::move(u));
    }
  }
  std::vector<Unit> out;
  for (auto& c : merged) {
    ApplyGenitives(c);
    ApplyPostpositions(c);
    PlaceVerb(c);
    for (Unit& u : c) out.push_back(std::move(u));
  }
  return out;
}

bool IsOpener(char32_t c) { return c == U'(' || c == U'[' || c == U'{' || c == 0x00AB || c == 0x201C; }
bool IsCloser(char32_t c) {
  return c == U')' || c == U']' || c == U'}' || c == 0x00BB || c == 0x201D || c == U',' || c == U'.' ||
         c == U'?' || c == U'!' || c == U';' || c == U':' || c == U'%';
}
bool EndsSentence(char32_t c) { return c == U'.' || c == U'?' || c == U'!'; }
bool SeparatesWords(char32_t c) { return c == U',' || c == U'.' || c == U'?' || c == U'!' || c == U';' || c == U':'; }

class Renderer {
 public:
  void AddUnit(const Unit& u) {
    if (last_ == Last::kUnit) {
      out_ += ' ';
    } else if (last_ == Last::kPunct && !IsOpener(lastPunct_.punct) &&
               (lastPunct_.spaceAfter || (u.fromSource && SeparatesWords(lastPunct_.punct)))) {
      out_ += ' ';
    }
    std::string text = u.english;
    if (sentenceStart_ && u.fromSource && !text.empty() && text[0] >= 'a' && text[0] <= 'z') {
      text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    out_ += text;
    sentenceStart_ = false;
    last_ = Last::kUnit;
  }

  void AddPunct(const Piece& p) {
    if ((last_ == Last::kUnit && p.spaceBefore && !IsCloser(p.punct)) ||
        (last_ == Last::kPunct && lastPunct_.spaceAfter)) {
      out_ += ' ';
    }
    AppendUtf8(out_, p.punct == 0x00AB || p.punct == 0x00BB ? U'"' : p.punct);
    if (EndsSentence(p.punct)) sentenceStart_ = true;
    lastPunct_ = p;
    last_ = Last::kPunct;
  }

  std::string Take() { return std::move(out_); }

 private:
  enum class Last { kNothing, kUnit, kPunct };
  std::string out_;
  Last last_ = Last::kNothing;
  Piece lastPunct_;
  bool sentenceStart_ = true;
};

bool IsConjunction(const Unit& u) { return u.entry && u.entry->senses.front().role == Role::kConjunction; }

std::string TranslateLine(const Glossary& glossary, std::string_view sourceCode, std::string_view line) {
  const bool pashto = IsPashto(sourceCode);
  std::vector<Token> tokens = Tokenise(Normalise(DecodeUtf8(line)));
  if (sourceCode == "fa") JoinDariVerbPrefixes(tokens);
  std::vector<Piece> pieces = Match(glossary, tokens, pashto);

  Renderer renderer;
  std::vector<std::vector<Unit>> clauses(1);
  auto flush = [&] {
    for (const Unit& u : ArrangeSegment(std::move(clauses))) renderer.AddUnit(u);
    clauses.assign(1, {});
  };
  for (Piece& p : pieces) {
    if (p.isPunct) {
      flush();
      renderer.AddPunct(p);
    } else if (IsConjunction(p.unit)) {
      clauses.emplace_back(1, std::move(p.unit));
      clauses.emplace_back();
    } else {
      clauses.back().push_back(std::move(p.unit));
    }
  }
  flush();
  return renderer.Take();
}

}  // namespace

std::string TranslateText(const Glossary& glossary, std::string_view sourceCode, std::string_view text) {
  std::string out;
  for (;;) {
    const size_t newline = text.find('\n');
    out += TranslateLine(glossary, sourceCode, text.substr(0, newline));
    if (newline == std::string_view::npos) break;
    out += '\n';
    text.remove_prefix(newline + 1);
  }
  return out;
}

}  // namespace vyn
