#include "core/win/engine_lock.h"

#include <windows.h>

#include "core/win/folder_mutex.h"
#include "core/win/folders.h"
#include "core/win/kelar_engine.h"

namespace kelar {
namespace {

// Initialised during start-up, before any object can be created, and deleted
// at process exit.
class EngineCriticalSection {
 public:
  EngineCriticalSection() { InitializeCriticalSection(&section_); }
  ~EngineCriticalSection() { DeleteCriticalSection(&section_); }
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

EngineCriticalSection g_engineLock;
KelarEngine* g_currentEngine = nullptr;

}  // namespace

KelarEngine* CurrentEngine() { return g_currentEngine; }

EngineLock::EngineLock(const EngineOptions& options) {
  g_engineLock.Enter();
  try {
    // Other server processes sharing the program folder wait here too.
    folderMutex_ = std::make_unique<FolderMutex>(ProgramFolder());
    g_currentEngine = new KelarEngine(options);
  } catch (...) {
    folderMutex_.reset();
    g_engineLock.Leave();
    throw;
  }
}

EngineLock::~EngineLock() {
  delete g_currentEngine;
  g_currentEngine = nullptr;
  folderMutex_.reset();
  g_engineLock.Leave();
}

std::u16string EngineLock::Translate(std::u16string_view text) { return g_currentEngine->Translate(text); }

std::u16string EngineLock::Features() { return g_currentEngine->BuildFeatures(); }

}  // namespace kelar
