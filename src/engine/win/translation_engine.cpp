#include "engine/win/translation_engine.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <new>
#include <string>

#include "core/win/engine_lock.h"
#include "documents/engine_options.h"
#include "engine/win/kelar_engine_translation_thread.h"
#include "engine/win/memory_translation_sink.h"
#include "engine/win/memory_translation_source.h"
#include "support/exceptions.h"
#include "support/win/bstr.h"
#include "threading/win/auto_reset_event.h"
#include "threading/win/waits.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

// Runs one interface method so that no exception leaves it: a failure inside
// becomes a failure HRESULT, never a COM error object.
template <class Body>
HRESULT Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const HResultException& e) {
    return FAILED(e.HResult()) ? e.HResult() : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

HRESULT TranslationEngine::Create(ModuleLock& module, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  auto* engine = new (std::nothrow) TranslationEngine(module);
  if (engine == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = engine->QueryInterface(iid, object);
  if (FAILED(hr)) delete engine;  // still without references
  return hr;
}

TranslationEngine::TranslationEngine(ModuleLock& module)
    : module_(module), typeInfo_(LIBID_KelarEngineLib, IID_IQVSTranslationEngine, kEngineTypeLibraryResource) {
  module_.Lock();
}

TranslationEngine::~TranslationEngine() { module_.Unlock(); }

HRESULT TranslationEngine::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IQVSTranslationEngine)) {
    *object = static_cast<IQVSTranslationEngine*>(this);
  } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TranslationEngine::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG TranslationEngine::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}


HRESULT TranslationEngine::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT TranslationEngine::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* typeInfo = nullptr;
  const HRESULT hr = typeInfo_.Get(&typeInfo);
  if (FAILED(hr)) return hr;
  typeInfo->AddRef();
  *info = typeInfo;
  return S_OK;
}

HRESULT TranslationEngine::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* typeInfo = nullptr;
  const HRESULT hr = typeInfo_.Get(&typeInfo);
  if (FAILED(hr)) return hr;
  return DispGetIDsOfNames(typeInfo, names, count, ids);
}

HRESULT TranslationEngine::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* typeInfo = nullptr;
  const HRESULT hr = typeInfo_.Get(&typeInfo);
  if (FAILED(hr)) return hr;
  return DispInvoke(static_cast<IQVSTranslationEngine*>(this), typeInfo, id, flags, parameters, result, exception,
                    argumentError);
}

HRESULT TranslationEngine::get_Features(BSTR curOptions, BSTR* features) {
  return Guarded([&]() -> HRESULT {
    if (features == nullptr) return E_POINTER;
    EngineOptions options;
    options.SetFromXml(BstrText(curOptions));
    std::u16string document;
    {
      EngineLock lock(options);  // released on every way out
      document = lock.Features();
    }
    BSTR result = AllocBstr(document);
    if (result == nullptr) return E_OUTOFMEMORY;
    *features = result;
    return S_OK;
  });
}

HRESULT TranslationEngine::Translate(BSTR options, IDispatch* translationSource, IDispatch* translationSink) {
  return Guarded([&]() -> HRESULT {
    // The worker holds the job's first reference; this call holds the second.
    // A job that cannot be built leaves no worker behind and fails the call.
    ComPtr<KelarEngineTranslationThread> job =
        new KelarEngineTranslationThread(BstrText(options), translationSource, translationSink);
    job->Resume();
    job->WaitWhilePumping();
    return S_OK;
  });
}

HRESULT TranslationEngine::TranslateText(BSTR options, BSTR source, BSTR* translation) {
  return Guarded([&]() -> HRESULT {
    if (translation == nullptr) return E_POINTER;
    AutoResetEvent finished;
    ComPtr<MemoryTranslationSource> memorySource = new MemoryTranslationSource();
    memorySource->AddText(BstrText(source));
    ComPtr<MemoryTranslationSink> memorySink = new MemoryTranslationSink(finished.Get());
    ComPtr<IDispatch> sourceDispatch;
    ComPtr<IDispatch> sinkDispatch;
    HRESULT hr = memorySource.As(&sourceDispatch);
    if (SUCCEEDED(hr)) hr = memorySink.As(&sinkDispatch);
    if (FAILED(hr)) return hr;

    // A job that could not even start never reports its end: waiting for it
    // would never return.
    hr = Translate(options, sourceDispatch.Get(), sinkDispatch.Get());
    if (FAILED(hr)) return hr;

    // Translate returns once the worker has ended, so the job has reported
    // its end by now or never will (it failed before its loop): the wait
    // needs no time of its own, and a job that never reported still gives
    // back what the sink gathered.
    if (WaitAlertable(finished.Get(), 0) == WAIT_FAILED) return HRESULT_FROM_WIN32(GetLastError());
    memorySink->TakeResult(translation);
    return S_OK;
  });
}

HRESULT TranslationEngine::get_AlternateWords(BSTR, BSTR, BSTR*) { return S_OK; }

HRESULT TranslationEngine::SetAlternateWord(BSTR, BSTR, BSTR, BSTR*) { return S_OK; }

HRESULT TranslationEngine::ScanSentences(BSTR options, IDispatch* translationSource, IDispatch* translationSink) {
  // Sentence scanning runs the very same job as a translation.
  return Translate(options, translationSource, translationSink);
}

HRESULT TranslationEngine::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID_IQVSTranslationEngine) ? S_OK : S_FALSE;
}

}  // namespace kelar
