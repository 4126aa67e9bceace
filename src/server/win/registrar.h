#pragma once
// Applies the registration script to the registry, in either direction.

#include <windows.h>

#include <vector>

#include "server/registration_script.h"

namespace kelar {

enum class RegistrarMode { Register, Unregister };

// Registering: a replaced key is deleted with everything below it and then
// written; a deleted key is only deleted; every other key is created where
// missing and its values written. Unregistering: a kept key stays, losing
// only the named values the script gives it, and its subkeys are visited;
// every other key is removed with everything below it. A key that is already
// gone counts as removed. Goes on past failures and returns the first.
HRESULT ApplyRegistrationScript(const std::vector<ScriptRootBlock>& script, RegistrarMode mode);

// Reads the script from the resource REGISTRY `resourceId` of `module` (8-bit
// text in the ANSI code page), expands `replacements`, parses and applies it.
HRESULT RunRegistrationScript(HMODULE module, int resourceId, const ScriptReplacements& replacements,
                              RegistrarMode mode);

}  // namespace kelar
