#include "engine/win/memory_translation_sink.h"

#include "support/exceptions.h"
#include "support/win/bstr.h"

namespace kelar {

MemoryTranslationSink::MemoryTranslationSink(HANDLE completionEvent, const GUID& typeLibraryId)
    : DispatchObject<ITranslationSink>(typeLibraryId) {
  if (completionEvent == nullptr) return;
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, completionEvent, process, completionEvent_.Receive(), 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    throw SystemErrorException("DuplicateHandle", GetLastError());
  }
}

HRESULT MemoryTranslationSink::WriteTranslation(BSTR fragment) {
  try {
    gathered_ += BstrText(fragment);
  } catch (...) {  // std::bad_alloc, std::length_error
    return E_FAIL;
  }
  return S_OK;
}

HRESULT MemoryTranslationSink::TranslationDone(LONG) {
  if (!completionEvent_) return E_INVALIDARG;
  SetEvent(completionEvent_.Get());
  return S_OK;
}

HRESULT MemoryTranslationSink::TakeResult(BSTR* text) {
  if (text == nullptr) return E_FAIL;
  *text = AllocBstr(gathered_);
  if (*text == nullptr) return E_FAIL;
  gathered_.clear();
  return S_OK;
}

}  // namespace kelar
