#pragma once
// The benchmark's own source and sink: the objects a client hands to
// Translate, called back by the server across processes. They do as little
// as a real client could, so that the time of a job is the server's.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstddef>
#include <string>
#include <vector>

#include "translation_client.h"

namespace kelar::bench {

// Type information of one client interface, from this executable's
// TYPELIB 1 (loaded once, never registered by loading).
HRESULT ClientTypeInfo(REFIID iid, ITypeInfo** info);

// IUnknown and IDispatch of an object with one dual interface. The count
// starts at 0; the first QueryInterface (ComPtr's attach through As) or
// AddRef gives the first reference.
template <class Interface>
class DualObject : public Interface {
 public:
  DualObject() = default;
  virtual ~DualObject() = default;
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
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT hr = ClientTypeInfo(__uuidof(Interface), &info);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(info.Get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT hr = ClientTypeInfo(__uuidof(Interface), &info);
    if (FAILED(hr)) return hr;
    return DispInvoke(static_cast<Interface*>(this), info.Get(), id, flags, parameters, result, exception,
                      argumentError);
  }

 private:
  LONG references_ = 0;
};

// Hands out `count` pieces, cycling through `pieces`, then the empty text
// that ends a job's input.
class PieceSource : public DualObject<ITranslationSource> {
 public:
  PieceSource(const std::vector<std::wstring>& pieces, std::size_t count) : pieces_(pieces), count_(count) {
    readTimes_.reserve(count + 1);
  }

  HRESULT STDMETHODCALLTYPE ReadText(BSTR* text) override;

  // When each read arrived (Now()).
  const std::vector<double>& ReadTimes() const { return readTimes_; }

 private:
  const std::vector<std::wstring>& pieces_;
  const std::size_t count_;
  std::size_t read_ = 0;
  std::vector<double> readTimes_;
};

// Counts what arrives and checks each fragment against the echo of the
// piece it belongs to, so that a benchmark of a vendor that failed (or of
// fragments that went astray) does not pass for a fast one.
class CheckingSink : public DualObject<ITranslationSink> {
 public:
  explicit CheckingSink(const std::vector<std::wstring>& expected) : expected_(expected) {}

  HRESULT STDMETHODCALLTYPE WriteTranslation(BSTR fragment) override;
  HRESULT STDMETHODCALLTYPE TranslationDone(long success) override;

  std::size_t Fragments() const { return fragments_; }
  // When each fragment arrived (Now()).
  const std::vector<double>& WriteTimes() const { return writeTimes_; }
  std::size_t Mismatches() const { return mismatches_; }
  bool Succeeded() const { return done_ && success_ == 1; }

 private:
  const std::vector<std::wstring>& expected_;
  std::size_t fragments_ = 0;
  std::size_t mismatches_ = 0;
  std::vector<double> writeTimes_;
  bool done_ = false;
  long success_ = 0;
};

}  // namespace kelar::bench
