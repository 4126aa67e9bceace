#pragma once
// Names of the configuration keys. The machine-wide keys live below the
// "Velora" brand; each user's overrides live below "Orvane" at the same place.
// All text is 8-bit, in the system ANSI code page.

#include <string>
#include <string_view>

namespace kelar {

// "Software\Velora\Configuration\<name>", or "Software\Velora\Configuration"
// for an empty name.
std::string ConfigurationKeyPath(std::string_view name);

// `path` with every "Velora" replaced by "Orvane".
std::string UserKeyPath(std::string_view path);

// The file name of `path` without its folder and without its extension: the
// text after the last backslash, cut at its last dot (dots in folder names
// do not count).
std::string FileBaseName(std::string_view path);

}  // namespace kelar
