#include "marshaling.h"

#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cwchar>
#include <optional>
#include <string_view>

#include "owners.h"
#include "system.h"
#include "translation_client.h"

// Present in oleaut32 (and its import library), missing from mingw's headers.
extern "C" __declspec(dllimport) HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path,
                                                                       OLECHAR* helpFolder);

using Microsoft::WRL::ComPtr;

namespace kelar::client {
namespace {

const CLSID kUniversalMarshaler = {0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::wstring InterfaceKey(REFIID iid) { return L"Interface\\" + GuidText(iid); }

bool IsRegistered(REFIID iid) {
  const std::wstring key = InterfaceKey(iid);
  return RegistryKeyExists(HKEY_CLASSES_ROOT, key + L"\\TypeLib") ||
         RegistryKeyExists(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32");
}

struct RegisteredLibrary {
  GUID id{};
  WORD major = 0;
  WORD minor = 0;
  std::wstring idText;
  std::wstring version;
};

std::optional<RegisteredLibrary> LibraryOf(REFIID iid) {
  const std::wstring key = InterfaceKey(iid) + L"\\TypeLib";
  RegisteredLibrary library;
  const auto id = ReadRegistryString(HKEY_CLASSES_ROOT, key, nullptr);
  if (!id || FAILED(CLSIDFromString(id->c_str(), &library.id))) return std::nullopt;
  library.idText = *id;
  library.version = ReadRegistryString(HKEY_CLASSES_ROOT, key, L"Version").value_or(L"");
  unsigned major = 0;
  unsigned minor = 0;
  if (std::swscanf(library.version.c_str(), L"%x.%x", &major, &minor) >= 1) {
    library.major = static_cast<WORD>(major);
    library.minor = static_cast<WORD>(minor);
  }
  return library;
}

// The file a registered library points to, looked up the way the marshaler
// does it (the system default locale, falling back to the neutral one).
std::optional<std::wstring> LibraryPath(const RegisteredLibrary& library) {
  for (LCID locale : {static_cast<LCID>(LOCALE_SYSTEM_DEFAULT), static_cast<LCID>(0x409)}) {
    UniqueBstr path;
    if (SUCCEEDED(QueryPathOfRegTypeLib(library.id, library.major, library.minor, locale, path.Receive())) &&
        path) {
      std::wstring text(path.Get(), SysStringLen(path.Get()));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      return text;
    }
  }
  return std::nullopt;
}

// Marshals `object` as `iid` for another process and takes the marshaling
// back: proves that a stub can be built, which needs a usable registration.
HRESULT TryMarshal(IUnknown* object, REFIID iid) {
  ComPtr<IStream> stream;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  if (FAILED(hr)) return hr;
  hr = CoMarshalInterface(stream.Get(), iid, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL);
  if (FAILED(hr)) return hr;
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  CoReleaseMarshalData(stream.Get());
  return S_OK;
}

std::wstring LocalAppDataFolder() {
  wchar_t* folder = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder)) && folder) {
    result = folder;
  }
  CoTaskMemFree(folder);
  if (result.empty()) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) result = buffer;
  }
  return result;
}

bool SameContent(const std::wstring& path, const void* data, DWORD size) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file.Get(), &fileSize) || fileSize.QuadPart != size) return false;
  std::string bytes(size, '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), size, &read, nullptr) || read != size) return false;
  return bytes.compare(0, size, static_cast<const char*>(data), size) == 0;
}

// Writes the executable's TYPELIB 1 to `path`; a file that already holds
// exactly that is left alone, and a new one is written beside it and moved
// into place so that nobody ever loads half a library.
HRESULT ExtractOwnLibrary(const std::wstring& path) {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1), L"TYPELIB");
  if (resource == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  const DWORD size = SizeofResource(nullptr, resource);
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
  if (SameContent(path, data, size)) return S_OK;

  const int created = SHCreateDirectoryExW(nullptr, FolderOf(path).c_str(), nullptr);
  if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS && created != ERROR_FILE_EXISTS) {
    return HRESULT_FROM_WIN32(created);
  }
  const std::wstring temporary = path + L".new";
  {
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.Get(), data, size, &written, nullptr) || written != size) {
      const DWORD error = GetLastError();
      file.Reset();
      DeleteFileW(temporary.c_str());
      return HRESULT_FROM_WIN32(error ? error : ERROR_WRITE_FAULT);
    }
    if (!FlushFileBuffers(file.Get())) {
      const DWORD error = GetLastError();
      file.Reset();
      DeleteFileW(temporary.c_str());
      return HRESULT_FROM_WIN32(error);
    }
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    return HRESULT_FROM_WIN32(error);
  }
  return S_OK;
}

HRESULT RegisterOwnLibrary(const std::wstring& path) {
  HRESULT hr = ExtractOwnLibrary(path);
  if (FAILED(hr)) return hr;
  ComPtr<ITypeLib> library;
  hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  return RegisterTypeLibForUser(library.Get(), const_cast<OLECHAR*>(path.c_str()), nullptr);
}

// A library registered from a module's resource may carry the resource
// number after the module's path ("...\\server.exe\\1").
bool LibraryFileExists(const std::wstring& path) {
  if (FileExists(path)) return true;
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 == path.size()) return false;
  for (std::size_t i = slash + 1; i < path.size(); ++i) {
    if (path[i] < L'0' || path[i] > L'9') return false;
  }
  return FileExists(path.substr(0, slash));
}

bool RegisteredAsOwn(REFIID iid) {
  const auto library = LibraryOf(iid);
  return library && IsEqualGUID(library->id, LIBID_KelarTranslationClientLib);
}

}  // namespace

std::wstring OwnTypeLibraryPath() {
  const std::wstring base = LocalAppDataFolder();
  if (base.empty()) return std::wstring();
  return base + L"\\Orvane\\Translate Client\\translation_client.tlb";
}

InterfaceRegistration DescribeInterfaceRegistration(REFIID iid) {
  InterfaceRegistration result;
  if (const auto library = LibraryOf(iid)) {
    result.registered = true;
    result.text = L"type library " + library->idText;
    if (!library->version.empty()) result.text += L" " + library->version;
    if (const auto path = LibraryPath(*library)) {
      result.text += L" at " + *path;
      result.fileFound = LibraryFileExists(*path);
      if (!result.fileFound) result.text += L" (the file is missing)";
    } else {
      result.text += L" (no file registered for it)";
    }
    if (IsEqualGUID(library->id, LIBID_KelarTranslationClientLib)) result.text += L", translate-client's own";
    return result;
  }
  const auto proxy = ReadRegistryString(HKEY_CLASSES_ROOT, InterfaceKey(iid) + L"\\ProxyStubClsid32", nullptr);
  if (!proxy) return result;
  result.registered = true;
  CLSID clsid{};
  if (SUCCEEDED(CLSIDFromString(proxy->c_str(), &clsid)) && IsEqualCLSID(clsid, kUniversalMarshaler)) {
    result.text = L"the automation marshaler, but no type library";
    return result;
  }
  result.text = L"proxy/stub class " + *proxy;
  if (const auto server = ReadRegistryString(HKEY_CLASSES_ROOT, L"CLSID\\" + *proxy + L"\\InprocServer32", nullptr)) {
    result.text += L" in " + *server;
    result.fileFound = true;  // a bare DLL name is found along the search path, which we do not repeat
  } else {
    result.text += L" (its server is not registered)";
  }
  return result;
}

MarshalingReport EnsureClientMarshaling(IUnknown* source, IUnknown* sink) {
  struct Item {
    const wchar_t* name;
    const IID& iid;
    IUnknown* object;
  };
  const Item items[] = {{L"ITranslationSource", __uuidof(ITranslationSource), source},
                        {L"ITranslationSink", __uuidof(ITranslationSink), sink}};

  MarshalingReport report;
  report.ownLibraryPath = OwnTypeLibraryPath();

  const auto registerOwn = [&]() {
    if (report.ownLibraryPath.empty()) {
      report.problem = L"no folder for the client's own type library (local application data is unknown)";
      return;
    }
    const HRESULT hr = RegisterOwnLibrary(report.ownLibraryPath);
    if (SUCCEEDED(hr)) {
      report.registeredOwn = true;
    } else {
      report.problem = L"cannot register the client's own type library " + report.ownLibraryPath + L": " +
                       HResultText(hr);
    }
  };

  bool allRegistered = true;
  for (const Item& item : items) allRegistered = allRegistered && IsRegistered(item.iid);
  if (!allRegistered) registerOwn();

  const auto test = [&]() {
    report.interfaces.clear();
    report.usable = true;
    for (const Item& item : items) {
      InterfaceMarshaling status;
      status.name = item.name;
      status.failure = TryMarshal(item.object, item.iid);
      status.usable = SUCCEEDED(status.failure);
      status.servedBy = DescribeInterfaceRegistration(item.iid).text;
      report.usable = report.usable && status.usable;
      report.interfaces.push_back(std::move(status));
    }
  };
  test();

  // A registration of the client's own library whose file has gone (the
  // folder it was written to was removed) is ours to mend; the host
  // product's registration is left as it is.
  if (!report.usable && !report.registeredOwn) {
    bool ownOnly = true;
    for (const Item& item : items) ownOnly = ownOnly && (!IsRegistered(item.iid) || RegisteredAsOwn(item.iid));
    if (ownOnly) {
      registerOwn();
      if (report.registeredOwn) test();
    }
  }
  return report;
}

}  // namespace kelar::client
