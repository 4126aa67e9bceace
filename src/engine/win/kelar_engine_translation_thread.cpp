#include "engine/win/kelar_engine_translation_thread.h"

namespace kelar {

KelarEngineTranslationThread::KelarEngineTranslationThread(std::u16string_view options, IDispatch* source,
                                                           IDispatch* sink)
    : EngineTranslationThread(options, source, sink) {
  options_.SetFromXml(options);
}

KelarEngineTranslationThread::~KelarEngineTranslationThread() = default;

void KelarEngineTranslationThread::Run() {
  try {
    engineLock_ = std::make_unique<EngineLock>(options_);
  } catch (...) {
    // The loop never starts, so nobody else would tell the sink: a caller
    // waiting for the end (TranslateText) must still hear it.
    ReportDone(false);
    throw;
  }
  try {
    EngineTranslationThread::Run();
  } catch (...) {
    engineLock_.reset();  // leave the lock before the failure goes on
    throw;
  }
  engineLock_.reset();
}

std::u16string KelarEngineTranslationThread::TranslatePiece(const std::u16string& piece) {
  return engineLock_->Translate(piece);
}

}  // namespace kelar
