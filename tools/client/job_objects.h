#pragma once
// The client's own source and sink for a translation job. The engine calls
// them from its process through the automation marshaler, so both are dual
// objects; their IDispatch face is described by the client type library
// embedded in this executable.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "translation_client.h"

namespace kelar::client {

// Type information of one of the client interfaces, from this executable's
// TYPELIB 1 (loaded without registering it).
HRESULT ClientTypeInfo(REFIID iid, ITypeInfo** info);

// IUnknown and IDispatch of a small object with one dual interface. The
// reference count starts at 1, owned by whoever created the object.
template <class Interface>
class DualObject : public Interface {
 public:
  DualObject(const DualObject&) = delete;
  DualObject& operator=(const DualObject&) = delete;

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
    return ClientTypeInfo(__uuidof(Interface), info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT hr = ClientTypeInfo(__uuidof(Interface), &info);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(info.Get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT hr = ClientTypeInfo(__uuidof(Interface), &info);
    if (FAILED(hr)) return hr;
    return DispInvoke(static_cast<Interface*>(this), info.Get(), id, flags, parameters, result, exception,
                      argumentError);
  }

 protected:
  DualObject() = default;
  virtual ~DualObject() = default;

 private:
  volatile LONG references_ = 1;
};

// Hands out the given pieces one per ReadText, then an empty text, which
// ends the job's input.
class PieceSource final : public DualObject<ITranslationSource> {
 public:
  static Microsoft::WRL::ComPtr<PieceSource> Create(std::vector<std::wstring> pieces);

  HRESULT STDMETHODCALLTYPE ReadText(BSTR* text) override;

  std::size_t PiecesRead() const;

 private:
  explicit PieceSource(std::vector<std::wstring> pieces) : pieces_(std::move(pieces)) {}

  mutable std::mutex mutex_;
  std::vector<std::wstring> pieces_;
  std::size_t next_ = 0;
};

// Passes every fragment, numbered from 0, to a handler and remembers how the
// job ended.
class FragmentSink final : public DualObject<ITranslationSink> {
 public:
  using Handler = std::function<void(std::size_t index, const std::wstring& fragment)>;
  static Microsoft::WRL::ComPtr<FragmentSink> Create(Handler handler);

  HRESULT STDMETHODCALLTYPE WriteTranslation(BSTR fragment) override;
  HRESULT STDMETHODCALLTYPE TranslationDone(LONG success) override;

  // Drops the handler: fragments written after this are counted only.
  void Detach();

  std::size_t FragmentsWritten() const;
  // The flag of TranslationDone; nullopt while the engine has not called it.
  std::optional<LONG> Done() const;

 private:
  explicit FragmentSink(Handler handler) : handler_(std::move(handler)) {}

  mutable std::mutex mutex_;
  Handler handler_;
  std::size_t written_ = 0;
  std::optional<LONG> done_;
};

}  // namespace kelar::client
