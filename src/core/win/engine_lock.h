#pragma once
// The scoped holder of the process-wide engine lock. Every use of the vendor
// engine goes through one: constructing it waits (without a time limit) for
// the lock and creates the current engine from the caller's options;
// destroying it destroys the engine and releases the lock.

#include <memory>
#include <string>
#include <string_view>

#include "documents/engine_options.h"

namespace kelar {

class FolderMutex;
class KelarEngine;

class EngineLock {
 public:
  // If the engine cannot be created the lock is released again and the
  // failure propagates; a later EngineLock can be taken.
  explicit EngineLock(const EngineOptions& options);
  ~EngineLock();

  EngineLock(const EngineLock&) = delete;
  EngineLock& operator=(const EngineLock&) = delete;

  // Forward to the current engine.
  std::u16string Translate(std::u16string_view text);
  std::u16string Features();

 private:
  std::unique_ptr<FolderMutex> folderMutex_;
};

// The engine published by the EngineLock that exists now; null when none.
KelarEngine* CurrentEngine();

}  // namespace kelar
