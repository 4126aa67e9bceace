#pragma once
// Type information for one interface, taken from the type library embedded
// in this module's resources. Loaded at the first request, so an object
// that never answers an IDispatch call never pays for it, and a library
// that is missing fails only those calls.

#include <windows.h>
#include <oaidl.h>

namespace kelar {

// Resource index of the client-interface type library (TYPELIB 2) in the
// server and in every program that uses the in-memory source and sink.
constexpr int kClientTypeLibraryResource = 2;
// Resource index of the engine's own type library (TYPELIB 1) in the server.
constexpr int kEngineTypeLibraryResource = 1;

class ModuleTypeInfo {
 public:
  // `libraryId` names the library expected at TYPELIB `resource`: another
  // one there counts as missing.
  ModuleTypeInfo(const GUID& libraryId, const IID& interfaceId, int resource = kClientTypeLibraryResource)
      : libraryId_(libraryId), interfaceId_(interfaceId), resource_(resource) {}
  ~ModuleTypeInfo();
  ModuleTypeInfo(const ModuleTypeInfo&) = delete;
  ModuleTypeInfo& operator=(const ModuleTypeInfo&) = delete;

  // Stores a pointer that stays owned here and valid for this object's life,
  // or returns why the library or the interface could not be found. Safe to
  // call from several threads at once.
  HRESULT Get(ITypeInfo** info);

 private:
  GUID libraryId_;
  IID interfaceId_;
  int resource_;
  ITypeInfo* volatile info_ = nullptr;
};

}  // namespace kelar
