#pragma once
// The server's registration script: a tree of registry keys and values in
// the registrar's text syntax, for example
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {C8D3A82F-...} = s 'Some Class'
//       {
//         LocalServer32 = s '%Module%'
//         val AppID = s '{DE306D5F-...}'
//       }
//     }
//   }
//
// Tokens are separated by white space. A token in single quotes may hold
// blanks and braces; a doubled quote inside stands for one quote. "%Name%"
// is replaced before parsing and "%%" stands for one percent sign, so a
// replacement text that may hold a quote must have its quotes doubled.
// Keywords (NoRemove, ForceRemove, Delete, val, the value types s and d and
// the root names) are recognised without regard to case and only unquoted.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelar {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// What unregistration does with a key, and registration before writing it.
enum class KeyRemoval {
  Normal,    // removed, with everything below it, on unregistration
  Kept,      // NoRemove: never removed; its named values are
  Replaced,  // ForceRemove: deleted with everything below it before it is written
  Deleted,   // Delete: deleted and not written again
};

struct ScriptValue {
  enum class Kind { String, Dword };
  Kind kind = Kind::String;
  std::u16string text;       // for String
  std::uint32_t number = 0;  // for Dword

  friend bool operator==(const ScriptValue& a, const ScriptValue& b) {
    return a.kind == b.kind && a.text == b.text && a.number == b.number;
  }
};

struct ScriptKey {
  std::u16string name;
  KeyRemoval removal = KeyRemoval::Normal;
  bool hasDefaultValue = false;
  ScriptValue defaultValue;
  std::vector<std::pair<std::u16string, ScriptValue>> namedValues;
  std::vector<ScriptKey> subkeys;
};

struct ScriptRootBlock {
  RegistryRoot root = RegistryRoot::ClassesRoot;
  std::vector<ScriptKey> keys;
};

using ScriptReplacements = std::map<std::u16string, std::u16string>;

// Replaces every "%Name%" with its text (names compared without regard to
// ASCII case) and "%%" with "%". Throws StringException for a name without a
// replacement or a "%" without its closing partner.
std::u16string ExpandReplacements(std::u16string_view script, const ScriptReplacements& replacements);

// Parses an expanded script. Throws StringException, naming the line, for
// anything the syntax does not allow.
std::vector<ScriptRootBlock> ParseRegistrationScript(std::u16string_view script);

// Doubles every single quote, so that `text` survives as one quoted token.
std::u16string EscapeForScript(std::u16string_view text);

// The replacements of the server's own script: "Module" is the executable's
// path in double quotes, "Module_Raw" the bare path, "APPID" is empty. Quotes
// in the path are doubled for the script's sake; the registry receives the
// path as it is.
ScriptReplacements ModuleReplacements(std::u16string_view modulePath);

}  // namespace kelar
