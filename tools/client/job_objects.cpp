#include "job_objects.h"

#include <new>

#include "system.h"

using Microsoft::WRL::ComPtr;

namespace kelar::client {

HRESULT ClientTypeInfo(REFIID iid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  const std::wstring path = ExecutablePath();
  if (path.empty()) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  ComPtr<ITypeLib> library;
  // REGKIND_NONE: describing our own objects must not register anything.
  const HRESULT hr = LoadTypeLibEx((path + L"\\1").c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(iid, info);
}

ComPtr<PieceSource> PieceSource::Create(std::vector<std::wstring> pieces) {
  ComPtr<PieceSource> source;
  source.Attach(new PieceSource(std::move(pieces)));
  return source;
}

HRESULT PieceSource::ReadText(BSTR* text) {
  if (text == nullptr) return E_POINTER;
  std::lock_guard<std::mutex> lock(mutex_);
  const std::wstring empty;
  const std::wstring& piece = next_ < pieces_.size() ? pieces_[next_] : empty;
  *text = SysAllocStringLen(piece.data(), static_cast<UINT>(piece.size()));
  if (*text == nullptr) return E_OUTOFMEMORY;
  if (next_ < pieces_.size()) ++next_;
  return S_OK;
}

std::size_t PieceSource::PiecesRead() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return next_;
}

ComPtr<FragmentSink> FragmentSink::Create(Handler handler) {
  ComPtr<FragmentSink> sink;
  sink.Attach(new FragmentSink(std::move(handler)));
  return sink;
}

HRESULT FragmentSink::WriteTranslation(BSTR fragment) {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::wstring text(fragment == nullptr ? L"" : fragment, fragment == nullptr ? 0 : SysStringLen(fragment));
    if (handler_) handler_(written_, text);
    ++written_;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT FragmentSink::TranslationDone(LONG success) {
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = success;
  return S_OK;
}

void FragmentSink::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = nullptr;
}

std::size_t FragmentSink::FragmentsWritten() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

std::optional<LONG> FragmentSink::Done() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

}  // namespace kelar::client
