#include "core/win/kelar_engine.h"
#include "core/win/technical_dictionaries.h"
#include "documents/features.h"

namespace kelar {

std::u16string KelarEngine::BuildFeatures() {
  return BuildFeaturesDocument(options_, TechnicalDictionariesEnabled());
}

}  // namespace kelar
