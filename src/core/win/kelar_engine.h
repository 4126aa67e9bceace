#pragma once
// The current engine: built from one call's options while the engine lock
// is held, destroyed when the lock is released. It owns nothing but its copy
// of the options; the vendor binding outlives every engine.

#include <string>
#include <string_view>

#include "documents/engine_options.h"

namespace kelar {

class KelarEngine {
 public:
  // Copies the options, makes sure the vendor working folder exists, and in
  // the first engine of the process moves leftover exchange inputs of an
  // earlier process into quarantine.
  explicit KelarEngine(const EngineOptions& options);

  // One text through the vendor engine: the result fragment, with failures
  // of the vendor or of the file exchange reported inside it.
  std::u16string Translate(std::u16string_view text);

  // The features document for this engine's options.
  std::u16string BuildFeatures();

  const EngineOptions& Options() const { return options_; }

 private:
  EngineOptions options_;
};

}  // namespace kelar
