#pragma once
// IUnknown and IDispatch for a small COM object with one dual interface:
// an interlocked reference count that starts at 0 (the first QueryInterface
// gives the first reference; the last Release destroys the object) and the
// standard automation dispatch over the interface's type information from
// this module's embedded client type library.

#include <windows.h>
#include <oleauto.h>

#include "engine/win/module_type_info.h"

namespace kelar {

template <class Interface>
class DispatchObject : public Interface {
 public:
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
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

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* typeInfo = nullptr;
    const HRESULT hr = typeInfo_.Get(&typeInfo);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(typeInfo, names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* typeInfo = nullptr;
    const HRESULT hr = typeInfo_.Get(&typeInfo);
    if (FAILED(hr)) return hr;
    return DispInvoke(static_cast<Interface*>(this), typeInfo, id, flags, parameters, result, exception,
                      argumentError);
  }

 protected:
  // Never fails on account of the type library: only the IDispatch calls do.
  explicit DispatchObject(const GUID& typeLibraryId) : typeInfo_(typeLibraryId, __uuidof(Interface)) {}
  virtual ~DispatchObject() = default;

 private:
  volatile LONG references_ = 0;
  ModuleTypeInfo typeInfo_;
};

}  // namespace kelar
