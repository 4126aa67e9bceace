#include "engine/win/module_type_info.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

// Path of the module that holds this code (the server, or a test program),
// not necessarily of the process's main executable.
bool ThisModulePath(std::wstring& path) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&ThisModulePath), &module)) {
    return false;
  }
  for (DWORD size = MAX_PATH;; size *= 2) {
    path.resize(size);
    const DWORD length = GetModuleFileNameW(module, path.data(), size);
    if (length == 0) return false;
    if (length < size) {
      path.resize(length);
      return true;
    }
    if (size >= 32768) return false;
  }
}

HRESULT LoadTypeInfo(const GUID& libraryId, const IID& interfaceId, int resource, ITypeInfo** info) {
  std::wstring path;
  if (!ThisModulePath(path)) {
    const DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error != 0 ? error : ERROR_MOD_NOT_FOUND);
  }
  path += L"\\" + std::to_wstring(resource);

  ComPtr<ITypeLib> library;
  // REGKIND_NONE: loading must never register the library (the client one
  // describes a caller's interfaces; the engine's is registered only by
  // /RegServer).
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;

  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  const bool expected = IsEqualGUID(attributes->guid, libraryId);
  library->ReleaseTLibAttr(attributes);
  if (!expected) return TYPE_E_CANTLOADLIBRARY;

  return library->GetTypeInfoOfGuid(interfaceId, info);
}

}  // namespace

ModuleTypeInfo::~ModuleTypeInfo() {
  if (info_ != nullptr) info_->Release();
}

HRESULT ModuleTypeInfo::Get(ITypeInfo** info) {
  *info = nullptr;
  ITypeInfo* current = info_;
  if (current == nullptr) {
    ITypeInfo* loaded = nullptr;
    const HRESULT hr = LoadTypeInfo(libraryId_, interfaceId_, resource_, &loaded);
    if (FAILED(hr)) return hr;
    // Two threads may load at once; the first to store wins.
    current = static_cast<ITypeInfo*>(
        InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&info_), loaded, nullptr));
    if (current == nullptr) {
      current = loaded;
    } else {
      loaded->Release();
    }
  }
  *info = current;
  return S_OK;
}

}  // namespace kelar
