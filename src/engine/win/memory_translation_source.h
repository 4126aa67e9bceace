#pragma once
// A translation source over texts held in memory: how TranslateText feeds
// its one text to an ordinary translation job. Filled before the job starts
// and read only by the job afterwards, so it takes no lock.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/win/dispatch_object.h"
#include "threading/win/auto_reset_event.h"
#include "translation_client.h"

namespace kelar {

class MemoryTranslationSource final : public DispatchObject<ITranslationSource> {
 public:
  // Starts with no reference: hand it out through QueryInterface or a
  // ComPtr. Raises SystemErrorException("CreateEvent", ...) when its data
  // event cannot be created. `typeLibraryId` names the embedded library
  // behind the IDispatch face.
  explicit MemoryTranslationSource(const GUID& typeLibraryId = LIBID_KelarTranslationClientLib);

  // The texts in the order added, one per call; then an empty text with
  // S_OK while the input is open, E_FAIL once it has been ended.
  HRESULT STDMETHODCALLTYPE ReadText(BSTR* text) override;

  // A non-empty text joins the input; an empty one ends it. Either way the
  // data event is signalled. Throws std::bad_alloc when memory runs out.
  void AddText(std::u16string_view text);

  // Signalled by AddText, reset by every successful ReadText. Owned here.
  HANDLE DataEvent() const { return dataEvent_.Get(); }

 private:
  ~MemoryTranslationSource() override = default;

  std::vector<std::u16string> texts_;
  std::size_t readIndex_ = 0;
  bool ended_ = false;
  AutoResetEvent dataEvent_;
};

}  // namespace kelar
