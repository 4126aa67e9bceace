#pragma once
// The COM object the server hands out: the dual automation interface
// IQVSTranslationEngine plus ISupportErrorInfo. The object keeps no state
// between calls; each method stands alone. While it lives it holds one lock
// on the server module, so the server ends when the last engine goes.

#include <windows.h>
#include <oaidl.h>

#include "engine/module_lock.h"
#include "engine/win/module_type_info.h"
#include "kelar_engine.h"

namespace kelar {

class TranslationEngine final : public IQVSTranslationEngine, public ISupportErrorInfo {
 public:
  // Creates an engine and queries it for `iid`; the object's first reference
  // is the one handed out. E_OUTOFMEMORY when it cannot be allocated; on any
  // failure *object is null and nothing is left behind.
  static HRESULT Create(ModuleLock& module, REFIID iid, void** object);

  TranslationEngine(const TranslationEngine&) = delete;
  TranslationEngine& operator=(const TranslationEngine&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, over the interface's type information in this module's
  // TYPELIB 1.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IQVSTranslationEngine
  HRESULT STDMETHODCALLTYPE get_Features(BSTR curOptions, BSTR* features) override;
  HRESULT STDMETHODCALLTYPE Translate(BSTR options, IDispatch* translationSource,
                                      IDispatch* translationSink) override;
  HRESULT STDMETHODCALLTYPE TranslateText(BSTR options, BSTR source, BSTR* translation) override;
  HRESULT STDMETHODCALLTYPE get_AlternateWords(BSTR options, BSTR currentTranslation, BSTR* alternates) override;
  HRESULT STDMETHODCALLTYPE SetAlternateWord(BSTR options, BSTR currentTranslation, BSTR alternativeToUse,
                                             BSTR* newTranslation) override;
  HRESULT STDMETHODCALLTYPE ScanSentences(BSTR options, IDispatch* translationSource,
                                          IDispatch* translationSink) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  explicit TranslationEngine(ModuleLock& module);
  ~TranslationEngine();

  volatile LONG references_ = 0;
  ModuleLock& module_;
  // The interface's type information from the server's own TYPELIB 1,
  // loaded at the first IDispatch call and kept for the object's life.
  ModuleTypeInfo typeInfo_;
};

}  // namespace kelar
