#pragma once
// A machine-wide lock per program folder. The engine lock serialises the
// vendor engine within one process; two server processes started from the
// same folder (one per user session, or a second one while the first is
// ending) would otherwise write the same exchange file names and quarantine
// each other's live input.

#include <string>

#include "support/win/handle.h"

namespace kelar {

class FolderMutex {
 public:
  // Waits, without a time limit, until no other process holds the lock for
  // `folder`. A lock left by a process that died is taken over. When no
  // mutex can be created at all the holder still works, unguarded across
  // processes, as the server did without it.
  explicit FolderMutex(const std::string& folder);
  ~FolderMutex();

  FolderMutex(const FolderMutex&) = delete;
  FolderMutex& operator=(const FolderMutex&) = delete;

  // The kernel object name used for `folder` (without namespace prefix).
  static std::string NameFor(const std::string& folder);

 private:
  UniqueHandle mutex_;
  bool held_ = false;
};

}  // namespace kelar
