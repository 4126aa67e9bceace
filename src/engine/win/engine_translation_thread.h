#pragma once
// A translation job: on its own worker thread it reads pieces of text from a
// caller's source, turns each into one fragment and writes that to the
// caller's sink, then tells the sink whether the job ended normally. How a
// piece becomes a fragment is the subclass's business (TranslatePiece).
//
// The end of the input is a failed read, an empty piece or a piece whose
// first character is NUL; a failed write or translation ends the job as
// failed. The sink hears TranslationDone(1) after a normal end, (0) after a
// failure, once per job.

#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

#include "threading/win/ole_call_thread.h"
#include "translation_client.h"

namespace kelar {

class EngineTranslationThread : public OLECallThread {
 protected:
  // Takes counted ITranslationSource and ITranslationSink references from
  // the two objects; either stays null when its object is null or does not
  // answer the query, and every call through a null one raises
  // HResultException(E_NOINTERFACE). The options text is for the subclass,
  // which builds its own options from it.
  EngineTranslationThread(std::u16string_view options, IDispatch* source, IDispatch* sink);
  ~EngineTranslationThread() override;

  // The read/translate/write loop. A failure reports TranslationDone(0) and
  // goes on out of Run, which marks the worker failed.
  void Run() override;

  // One piece (never empty) in, one fragment out.
  virtual std::u16string TranslatePiece(const std::u16string& piece) = 0;

  // Reads the next piece, up to its first NUL. Returns false when the input
  // has ended: every failure of the read itself counts as that end.
  bool ReadNext(std::u16string& piece);

  // Hands one fragment (up to its first NUL) to the sink. Raises
  // HResultException with the sink's failure, or E_OUTOFMEMORY.
  void WriteResult(const std::u16string& fragment);

  // TranslationDone with 1 or 0; the sink's answer does not matter.
  void ReportDone(bool success);

 private:
  Microsoft::WRL::ComPtr<ITranslationSource> source_;
  Microsoft::WRL::ComPtr<ITranslationSink> sink_;
};

}  // namespace kelar
