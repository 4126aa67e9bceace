#pragma once
// The engine behind the four entry points: the registered glossaries and
// the translation of one exchange file into another. Portable, so it can be
// exercised without Windows.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "glossary.h"

namespace vyn {

class Engine {
 public:
  // Starts afresh: glossaries registered before are dropped. The argument
  // is the caller's; nothing in it is needed.
  std::int32_t Init();
  // Reads one dictionary file and merges its sections into the glossaries;
  // a later entry replaces an earlier one with the same source words.
  std::int32_t RegisterDictionary(const char* path);
  // Reads `request` (a FileRequest, checked before anything else is read
  // from it), translates its input file and writes its output file.
  std::int32_t TranslateFile(const void* request);

 private:
  std::mutex mutex_;  // the server serialises its calls; other callers may not
  bool initialised_ = false;
  std::map<std::string, Glossary> glossaries_;  // by "source-target"
};

// The engine the exported entry points use.
Engine& TheEngine();

}  // namespace vyn
