#include "server/registration_script.h"

#include <cstddef>

#include "support/exceptions.h"

namespace kelar {
namespace {

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Error texts are 8-bit; script names are ASCII in practice.
std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += (c < 0x80) ? static_cast<char>(c) : '?';
  return out;
}

[[noreturn]] void Fail(int line, const std::string& what) {
  throw StringException("registration script, line " + std::to_string(line) + ": " + what);
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

struct Token {
  std::u16string text;
  bool quoted = false;
  int line = 1;

  bool Is(std::u16string_view keyword) const { return !quoted && EqualsIgnoringAsciiCase(text, keyword); }
  // A brace or "=" where a name or value should stand.
  bool IsPunctuation() const { return !quoted && (text == u"{" || text == u"}" || text == u"="); }
};

std::vector<Token> Tokenize(std::u16string_view script) {
  std::vector<Token> tokens;
  int line = 1;
  std::size_t i = 0;
  while (i < script.size()) {
    if (IsSpace(script[i])) {
      if (script[i] == u'\n') ++line;
      ++i;
      continue;
    }
    Token token;
    token.line = line;
    if (script[i] == u'\'') {
      token.quoted = true;
      ++i;
      for (;;) {
        if (i == script.size()) Fail(token.line, "a quoted text is not closed");
        if (script[i] == u'\'') {
          if (i + 1 < script.size() && script[i + 1] == u'\'') {
            token.text += u'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (script[i] == u'\n') ++line;
        token.text += script[i++];
      }
    } else {
      while (i < script.size() && !IsSpace(script[i])) token.text += script[i++];
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  std::vector<ScriptRootBlock> Script() {
    std::vector<ScriptRootBlock> blocks;
    while (!AtEnd()) {
      const Token& rootToken = Next("a root key");
      ScriptRootBlock block;
      block.root = Root(rootToken);
      Expect(u"{", "after the root key");
      KeyList(nullptr, block.keys);
      blocks.push_back(std::move(block));
    }
    return blocks;
  }

 private:
  bool AtEnd() const { return pos_ == tokens_.size(); }
  int LastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }

  const Token& Next(const char* expected) {
    if (AtEnd()) Fail(LastLine(), std::string("the script ends where ") + expected + " should follow");
    return tokens_[pos_++];
  }
  bool PeekIs(std::u16string_view keyword) const { return !AtEnd() && tokens_[pos_].Is(keyword); }

  void Expect(std::u16string_view punctuation, const char* where) {
    const Token& token = Next("a brace or \"=\"");
    if (!token.Is(punctuation)) {
      Fail(token.line, "expected \"" + Narrow(punctuation) + "\" " + where + ", found \"" + Narrow(token.text) + "\"");
    }
  }

  const Token& Name(const char* what) {
    const Token& token = Next(what);
    if (token.IsPunctuation()) Fail(token.line, std::string("expected ") + what + ", found \"" + Narrow(token.text) + "\"");
    // An empty name would address the parent key itself, and removing it
    // would remove the parent.
    if (token.text.empty()) Fail(token.line, std::string("empty ") + what);
    return token;
  }

  static RegistryRoot Root(const Token& token) {
    struct Name { const char16_t* shortName; const char16_t* longName; RegistryRoot root; };
    static const Name kRoots[] = {
        {u"HKCR", u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
        {u"HKCU", u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
        {u"HKLM", u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
        {u"HKU", u"HKEY_USERS", RegistryRoot::Users},
    };
    for (const Name& name : kRoots) {
      if (token.Is(name.shortName) || token.Is(name.longName)) return name.root;
    }
    Fail(token.line, "unknown root key \"" + Narrow(token.text) + "\"");
  }

  // Reads "s 'text'" or "d number" after an "=".
  ScriptValue Value() {
    const Token& type = Next("a value type");
    ScriptValue value;
    const Token& text = Next("a value");
    if (text.IsPunctuation()) Fail(text.line, "a value is missing after its type");
    if (type.Is(u"s")) {
      value.kind = ScriptValue::Kind::String;
      value.text = text.text;
    } else if (type.Is(u"d")) {
      value.kind = ScriptValue::Kind::Dword;
      value.number = Number(text);
    } else {
      Fail(type.line, "unknown value type \"" + Narrow(type.text) + "\"");
    }
    return value;
  }

  static std::uint32_t Number(const Token& token) {
    std::u16string_view digits = token.text;
    unsigned base = 10;
    if (digits.size() > 2 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X')) {
      base = 16;
      digits.remove_prefix(2);
    }
    if (digits.empty()) Fail(token.line, "a number value is empty");
    std::uint64_t number = 0;
    for (char16_t c : digits) {
      unsigned digit;
      if (c >= u'0' && c <= u'9') digit = c - u'0';
      else if (base == 16 && LowerAscii(c) >= u'a' && LowerAscii(c) <= u'f') digit = LowerAscii(c) - u'a' + 10;
      else Fail(token.line, "\"" + Narrow(token.text) + "\" is not a number");
      number = number * base + digit;
      if (number > 0xFFFFFFFFu) Fail(token.line, "\"" + Narrow(token.text) + "\" does not fit in 32 bits");
    }
    return static_cast<std::uint32_t>(number);
  }

  // Reads entries up to and including the closing brace. `owner` is null at
  // the top of a root, where named values have no key to live in.
  void KeyList(ScriptKey* owner, std::vector<ScriptKey>& keys) {
    for (;;) {
      const Token& first = Next("\"}\"");
      if (first.Is(u"}")) return;
      if (first.Is(u"val")) {
        if (owner == nullptr) Fail(first.line, "a named value needs a key to live in");
        std::u16string name = Name("a value name").text;
        Expect(u"=", "after a value name");
        owner->namedValues.emplace_back(std::move(name), Value());
        continue;
      }
      ScriptKey key;
      const Token* nameToken = &first;
      if (first.Is(u"NoRemove") || first.Is(u"ForceRemove") || first.Is(u"Delete")) {
        key.removal = first.Is(u"NoRemove")      ? KeyRemoval::Kept
                      : first.Is(u"ForceRemove") ? KeyRemoval::Replaced
                                                 : KeyRemoval::Deleted;
        nameToken = &Name("a key name");
      } else {
        --pos_;
        nameToken = &Name("a key name");
      }
      key.name = nameToken->text;
      if (PeekIs(u"=")) {
        ++pos_;
        key.hasDefaultValue = true;
        key.defaultValue = Value();
      }
      if (PeekIs(u"{")) {
        ++pos_;
        KeyList(&key, key.subkeys);
      }
      if (key.removal == KeyRemoval::Deleted &&
          (key.hasDefaultValue || !key.namedValues.empty() || !key.subkeys.empty())) {
        Fail(nameToken->line, "a key marked Delete cannot have values or subkeys");
      }
      keys.push_back(std::move(key));
    }
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

}  // namespace

std::u16string ExpandReplacements(std::u16string_view script, const ScriptReplacements& replacements) {
  std::u16string out;
  out.reserve(script.size());
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] != u'%') {
      out += script[i];
      continue;
    }
    std::size_t end = script.find(u'%', i + 1);
    if (end == std::u16string_view::npos) {
      throw StringException("registration script: a \"%\" has no closing partner");
    }
    std::u16string_view name = script.substr(i + 1, end - i - 1);
    if (name.empty()) {
      out += u'%';
    } else {
      const std::u16string* text = nullptr;
      for (const auto& [key, value] : replacements) {
        if (EqualsIgnoringAsciiCase(key, name)) text = &value;
      }
      if (text == nullptr) throw StringException("registration script: nothing replaces %" + Narrow(name) + "%");
      out += *text;
    }
    i = end;
  }
  return out;
}

std::vector<ScriptRootBlock> ParseRegistrationScript(std::u16string_view script) {
  return Parser(Tokenize(script)).Script();
}

std::u16string EscapeForScript(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    out += c;
    if (c == u'\'') out += u'\'';
  }
  return out;
}

ScriptReplacements ModuleReplacements(std::u16string_view modulePath) {
  const std::u16string escaped = EscapeForScript(modulePath);
  return {
      {u"Module", u"\"" + escaped + u"\""},
      {u"Module_Raw", escaped},
      {u"APPID", u""},
  };
}

}  // namespace kelar
