#pragma once
// The server's lock count as an engine object sees it. Every engine object
// holds one lock while it lives, so the server process stays up exactly as
// long as someone uses it; the server module implements this and hands it to
// the objects it creates, which keeps the engine free of the server.

namespace kelar {

class ModuleLock {
 public:
  // Both return the new count. Safe from any thread.
  virtual long Lock() = 0;
  virtual long Unlock() = 0;

 protected:
  ModuleLock() = default;
  ModuleLock(const ModuleLock&) = default;
  ModuleLock& operator=(const ModuleLock&) = default;
  ~ModuleLock() = default;
};

}  // namespace kelar
