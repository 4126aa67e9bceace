#pragma once
// A translation sink that gathers the fragments in memory: how TranslateText
// collects the result of an ordinary translation job. Written only by the
// job and read only after the job has reported its end, so it takes no lock.

#include <windows.h>

#include <string>

#include "engine/win/dispatch_object.h"
#include "support/win/handle.h"
#include "translation_client.h"

namespace kelar {

class MemoryTranslationSink final : public DispatchObject<ITranslationSink> {
 public:
  // Starts with no reference: hand it out through QueryInterface or a
  // ComPtr. `completionEvent` (may be null) is signalled by TranslationDone.
  // The sink keeps a handle of its own to that event, so the creator may
  // close its handle at any time, even while a job still holds the sink.
  // Raises SystemErrorException("DuplicateHandle", ...) when it cannot.
  explicit MemoryTranslationSink(HANDLE completionEvent,
                                 const GUID& typeLibraryId = LIBID_KelarTranslationClientLib);

  // Appends the fragment up to its first NUL. E_FAIL when memory runs out;
  // the completion event is left alone then: only the job's end may wake
  // the waiter, which would otherwise read the result under a running job.
  HRESULT STDMETHODCALLTYPE WriteTranslation(BSTR fragment) override;

  // Signals the completion event; E_INVALIDARG when there is none.
  HRESULT STDMETHODCALLTYPE TranslationDone(LONG success) override;

  // Hands out everything gathered so far (the caller frees it) and starts
  // over empty. E_FAIL for a null out-pointer or when the copy cannot be
  // made; the gathered text is kept then.
  HRESULT TakeResult(BSTR* text);

 private:
  ~MemoryTranslationSink() override = default;

  std::u16string gathered_;
  UniqueHandle completionEvent_;
};

}  // namespace kelar
