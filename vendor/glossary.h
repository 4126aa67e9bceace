#pragma once
// The glossary: dictionary files, their entries by language pair, and the
// translation of text by longest-phrase lookup with a few word-order rules
// that turn Pashto's verb-final, postpositional sentences into readable
// English.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vyn {

// What a glossary entry does in a sentence; see vendor/README.md.
enum class Role {
  kWord,          // plain word or name
  kModifier,      // precedes its noun: possessives, adjectives, numbers
  kAdverb,        // may open a clause before its subject
  kVerb,          // ends the clause in the source; moves after the subject
  kCopula,        // a verb that also inverts after a question word
  kPostposition,  // follows its noun in the source; goes in front of it
  kPreposition,   // opens a noun that a postposition may close
  kGenitive,      // "X of" that turns "of X Y" into "Y of X"
  kConjunction,   // separates clauses
  kQuestion,      // question word
  kPhrase,        // a postposition joined with its noun; never in a file
};

// Where in its clause a sense applies.
enum class Position { kAnywhere, kFirst, kLast };

struct Sense {
  std::string english;  // may be empty: the word is left out
  Role role = Role::kWord;
  Position position = Position::kAnywhere;
};

// A source phrase: its lookup key (words joined by one space) and its senses,
// the first of which applies unless a later one's position matches.
struct Entry {
  std::u32string key;
  std::size_t words = 1;
  std::vector<Sense> senses;
};

class Glossary {
 public:
  // Adds an entry, replacing one with the same key.
  void Add(Entry entry);
  const Entry* Find(std::u32string_view key) const;
  std::size_t Size() const { return entries_.size(); }
  // The most words any entry spans: how far a lookup has to look ahead.
  std::size_t LongestPhrase() const { return longest_; }

 private:
  std::unordered_map<std::u32string, Entry> entries_;
  std::size_t longest_ = 0;
};

// A dictionary file's entries by language pair ("ps-en").
using Dictionary = std::map<std::string, std::vector<Entry>>;

// Parses a dictionary file (format in vendor/README.md). On failure returns
// false and describes the first fault with its line number in `error`; a
// file with a fault contributes nothing.
bool ParseDictionary(std::string_view text, Dictionary& out, std::string& error);

// Whether words of this source language keep the two final yehs apart.
bool IsPashto(std::string_view sourceCode);

// Translates UTF-8 text line by line; line breaks are kept as they are.
std::string TranslateText(const Glossary& glossary, std::string_view sourceCode, std::string_view text);

}  // namespace vyn
