#pragma once
// The engine calls a client's source and sink from its own process, so
// ITranslationSource and ITranslationSink must be registered for marshaling.
// On a real installation the host product owns that registration and the
// client uses it. Only where there is none does the client register its own
// type library (extracted from this executable) for the current user.

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace kelar::client {

struct InterfaceMarshaling {
  std::wstring name;       // "ITranslationSource"
  bool usable = false;     // an object of ours marshals through it
  std::wstring servedBy;   // which registration serves it, in words
  HRESULT failure = S_OK;  // why it is not usable
};

struct MarshalingReport {
  bool usable = false;          // both interfaces marshal
  bool registeredOwn = false;   // this call registered the client's own library
  std::wstring ownLibraryPath;  // where the client's own library was written
  std::wstring problem;         // why registering failed, when it did
  std::vector<InterfaceMarshaling> interfaces;
};

// Makes sure `source` (an ITranslationSource) and `sink` (an
// ITranslationSink) can be marshaled to another process, registering the
// client's own library only when the interfaces are not registered at all,
// or when the registration that exists is the client's own and broken.
// Must run inside an apartment.
MarshalingReport EnsureClientMarshaling(IUnknown* source, IUnknown* sink);

struct InterfaceRegistration {
  bool registered = false;  // Interface\{IID} names a type library or a proxy/stub class
  bool fileFound = false;   // and the file that registration names exists
  std::wstring text;        // which registration serves it, in words
};

InterfaceRegistration DescribeInterfaceRegistration(REFIID iid);

// Where the client writes its own type library:
// <local application data>\Orvane\Translate Client\translation_client.tlb
std::wstring OwnTypeLibraryPath();

}  // namespace kelar::client
