#include "core/win/technical_dictionaries.h"

#include "support/win/config_prefs.h"
#include "support/win/registry.h"

namespace kelar {
namespace {

constexpr char kHostServerKey[] = "Software\\Velora\\Wordferry Server";
constexpr char kValueName[] = "SupportsTechnicalDictionaries";

}  // namespace

bool TechnicalDictionariesEnabled() {
  // Kept for the process; function-local statics also keep the first read
  // safe for a caller outside the engine lock.
  static const bool hostSupports =
      Registry(HKEY_LOCAL_MACHINE, kHostServerKey).ReadBoolOr(kValueName, false);
  if (!hostSupports) return false;
  // Only asked when the host supports them, so an engine setting on a host
  // without support is never read.
  static const bool engineAllows = EngineConfig().ReadBoolOr(kValueName, true);
  return engineAllows;
}

}  // namespace kelar
