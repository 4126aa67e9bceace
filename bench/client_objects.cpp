#include "client_objects.h"

#include <cwchar>
#include <mutex>

#include "system.h"

using Microsoft::WRL::ComPtr;

namespace kelar::bench {

HRESULT ClientTypeInfo(REFIID iid, ITypeInfo** info) {
  static ComPtr<ITypeLib> library;
  static HRESULT loaded = E_FAIL;
  static std::once_flag once;
  std::call_once(once, [] {
    const std::wstring path = OwnPath() + L"\\1";
    loaded = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  });
  if (FAILED(loaded)) return loaded;
  return library->GetTypeInfoOfGuid(iid, info);
}

HRESULT PieceSource::ReadText(BSTR* text) {
  if (text == nullptr) return E_POINTER;
  readTimes_.push_back(Now());
  if (read_ >= count_ || pieces_.empty()) {
    *text = SysAllocStringLen(L"", 0);
  } else {
    const std::wstring& piece = pieces_[read_++ % pieces_.size()];
    *text = SysAllocStringLen(piece.data(), static_cast<UINT>(piece.size()));
  }
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CheckingSink::WriteTranslation(BSTR fragment) {
  writeTimes_.push_back(Now());
  const std::wstring& expected = expected_[fragments_++ % expected_.size()];
  if (fragment == nullptr || SysStringLen(fragment) != expected.size() ||
      std::wmemcmp(expected.data(), fragment, expected.size()) != 0) {
    ++mismatches_;
  }
  return S_OK;
}

HRESULT CheckingSink::TranslationDone(long success) {
  done_ = true;
  success_ = success;
  return S_OK;
}

}  // namespace kelar::bench
