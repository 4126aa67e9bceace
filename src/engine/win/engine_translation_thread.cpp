#include "engine/win/engine_translation_thread.h"

#include "support/exceptions.h"
#include "support/win/bstr.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

// A counted copy held for the length of one call, so the object survives the
// call even if the job's reference were dropped meanwhile.
template <class Interface>
ComPtr<Interface> CountedCopy(const ComPtr<Interface>& reference) {
  if (!reference) throw HResultException(E_NOINTERFACE);
  return reference;
}

}  // namespace

EngineTranslationThread::EngineTranslationThread(std::u16string_view, IDispatch* source, IDispatch* sink)
    : OLECallThread(INFINITE) {
  if (source != nullptr) source->QueryInterface(IID_ITranslationSource, reinterpret_cast<void**>(source_.GetAddressOf()));
  if (sink != nullptr) sink->QueryInterface(IID_ITranslationSink, reinterpret_cast<void**>(sink_.GetAddressOf()));
}

EngineTranslationThread::~EngineTranslationThread() = default;

void EngineTranslationThread::Run() {
  try {
    std::u16string piece;
    while (ReadNext(piece) && !piece.empty()) {
      WriteResult(TranslatePiece(piece));
    }
    ReportDone(true);
  } catch (...) {
    ReportDone(false);
    throw;
  }
}

bool EngineTranslationThread::ReadNext(std::u16string& piece) {
  UniqueBstr text;
  try {
    ComPtr<ITranslationSource> source = CountedCopy(source_);
    CheckHResult(source->ReadText(text.Receive()));
  } catch (...) {
    piece.clear();
    return false;
  }
  piece = BstrText(text.Get());
  return true;
}

void EngineTranslationThread::WriteResult(const std::u16string& fragment) {
  UniqueBstr text(AllocBstr(fragment));
  if (text.Get() == nullptr) throw HResultException(E_OUTOFMEMORY);
  ComPtr<ITranslationSink> sink = CountedCopy(sink_);
  CheckHResult(sink->WriteTranslation(text.Get()));
}

void EngineTranslationThread::ReportDone(bool success) {
  ComPtr<ITranslationSink> sink = CountedCopy(sink_);
  sink->TranslationDone(success ? 1 : 0);
}

}  // namespace kelar
