#include "engine/win/memory_translation_source.h"

#include "support/win/bstr.h"

namespace kelar {

MemoryTranslationSource::MemoryTranslationSource(const GUID& typeLibraryId)
    : DispatchObject<ITranslationSource>(typeLibraryId) {}

HRESULT MemoryTranslationSource::ReadText(BSTR* text) {
  if (text == nullptr) return E_FAIL;
  *text = nullptr;
  BSTR piece = nullptr;
  if (readIndex_ < texts_.size()) {
    piece = AllocBstr(texts_[readIndex_]);
    if (piece == nullptr) return E_FAIL;
    ++readIndex_;
  } else if (ended_) {
    return E_FAIL;
  } else {
    // Still open: an empty text, which a job takes as the end of its input.
    piece = SysAllocStringLen(L"", 0);
    if (piece == nullptr) return E_FAIL;
  }
  *text = piece;
  ResetEvent(dataEvent_.Get());
  return S_OK;
}

void MemoryTranslationSource::AddText(std::u16string_view text) {
  if (text.empty()) {
    ended_ = true;
  } else {
    texts_.emplace_back(text);
  }
  SetEvent(dataEvent_.Get());
}

}  // namespace kelar
