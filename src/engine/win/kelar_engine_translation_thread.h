#pragma once
// The translation job of the engine object: the engine-neutral loop, run
// while this job holds the process-wide engine lock, with every piece
// translated by the one engine built from the job's options.

#include <memory>
#include <string>
#include <string_view>

#include "core/win/engine_lock.h"
#include "documents/engine_options.h"
#include "engine/win/engine_translation_thread.h"

namespace kelar {

class KelarEngineTranslationThread : public EngineTranslationThread {
 public:
  // Builds the job's options on the calling thread; the worker stays
  // suspended until the creator resumes it.
  KelarEngineTranslationThread(std::u16string_view options, IDispatch* source, IDispatch* sink);
  ~KelarEngineTranslationThread() override;

 protected:
  void Run() override;
  std::u16string TranslatePiece(const std::u16string& piece) override;

 private:
  EngineOptions options_;
  std::unique_ptr<EngineLock> engineLock_;  // exists exactly while Run runs
};

}  // namespace kelar
