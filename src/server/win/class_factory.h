#pragma once
// The class object of TranslationEngine. Its own references do not count in
// the module's lock count (COM holds it while it is registered); only
// LockServer and the engines it creates do.

#include <windows.h>
#include <unknwn.h>

#include "engine/module_lock.h"

namespace kelar {

class ClassFactory final : public IClassFactory {
 public:
  // Starts with one reference, the creator's.
  explicit ClassFactory(ModuleLock& module) : module_(module) {}

  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // E_POINTER for a null result, CLASS_E_NOAGGREGATION for an outer object,
  // otherwise a new TranslationEngine queried for `iid`.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // TRUE takes a module lock, FALSE releases one. Always S_OK.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~ClassFactory() = default;

  volatile LONG references_ = 1;
  ModuleLock& module_;
};

}  // namespace kelar
