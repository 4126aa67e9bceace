// What the built executable carries: the engine's type library exactly as
// clients and scripts see it, the client library, the registration script,
// the version block and the manifest.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kelar_engine.h"
#include "server_harness.h"
#include "support/win/bstr.h"

using Microsoft::WRL::ComPtr;

namespace kelar::test {
namespace {

std::string Narrow(const wchar_t* s) {
  std::string out;
  for (; s && *s; ++s) out += (*s < 0x80) ? static_cast<char>(*s) : '?';
  return out;
}

struct DocStrings {
  std::string name;
  std::string help;
};

DocStrings Documentation(ITypeInfo* info, MEMBERID member) {
  UniqueBstr name;
  UniqueBstr help;
  EXPECT_HRESULT_SUCCEEDED(info->GetDocumentation(member, name.Receive(), help.Receive(), nullptr, nullptr));
  return {Narrow(name.Get()), Narrow(help.Get())};
}

TEST(Resources, TypeLibraryDescribesTheEngine) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(BuiltServerPath().c_str(), REGKIND_NONE, &library), S_OK);
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_HRESULT_SUCCEEDED(library->GetLibAttr(&libraryAttributes));
  EXPECT_TRUE(IsEqualGUID(libraryAttributes->guid, LIBID_KelarEngineLib));
  EXPECT_EQ(libraryAttributes->wMajorVerNum, 3);
  EXPECT_EQ(libraryAttributes->wMinorVerNum, 1);
  EXPECT_EQ(libraryAttributes->lcid, 0x409u);
  library->ReleaseTLibAttr(libraryAttributes);
  {
    UniqueBstr name;
    UniqueBstr help;
    ASSERT_HRESULT_SUCCEEDED(library->GetDocumentation(-1, name.Receive(), help.Receive(), nullptr, nullptr));
    EXPECT_EQ(Narrow(name.Get()), "KelarEngineLib");
    EXPECT_EQ(Narrow(help.Get()), "Orvane Pashto Translation Engine Type Library");
  }

  ComPtr<ITypeInfo> coclass;
  ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(CLSID_TranslationEngine, &coclass));
  TYPEATTR* attributes = nullptr;
  ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attributes));
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
  EXPECT_EQ(attributes->cImplTypes, 1);
  coclass->ReleaseTypeAttr(attributes);
  EXPECT_EQ(Documentation(coclass.Get(), MEMBERID_NIL).name, "TranslationEngine");
  EXPECT_EQ(Documentation(coclass.Get(), MEMBERID_NIL).help, "Orvane Pashto Translation Engine");
  INT implFlags = 0;
  ASSERT_HRESULT_SUCCEEDED(coclass->GetImplTypeFlags(0, &implFlags));
  EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);

  ComPtr<ITypeInfo> dispatch;
  ASSERT_HRESULT_SUCCEEDED(library->GetTypeInfoOfGuid(__uuidof(IQVSTranslationEngine), &dispatch));
  ASSERT_HRESULT_SUCCEEDED(dispatch->GetTypeAttr(&attributes));
  // As with any dual interface, the dispatch half does not repeat the
  // automation flag; the vtable half below carries all three.
  const WORD kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
  EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attributes->wTypeFlags & kDualFlags, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
  dispatch->ReleaseTypeAttr(attributes);
  EXPECT_EQ(Documentation(dispatch.Get(), MEMBERID_NIL).help, "Top level Translation Engine object");

  // The vtable half of the dual interface lists the six members in order.
  HREFTYPE vtableRef = 0;
  ComPtr<ITypeInfo> vtable;
  ASSERT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(-1, &vtableRef));
  ASSERT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(vtableRef, &vtable));

  // Parameter kinds: 'b' in BSTR, 'd' in IDispatch*, 'r' out retval BSTR*.
  struct Member {
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<std::string> names;  // the member's, then its parameters'
    const char* parameters;
    const char* help;
  };
  const Member members[] = {
      {1, INVOKE_PROPERTYGET, {"Features", "curOptions", "Features"}, "br",
       "What features engine supports (including option schema and technical dictionaries)"},
      {2, INVOKE_FUNC, {"Translate", "options", "translationSource", "translationSink"}, "bdd", ""},
      {3, INVOKE_FUNC, {"TranslateText", "options", "source", "translation"}, "bbr", "Synchronous translation."},
      {4, INVOKE_PROPERTYGET, {"AlternateWords", "options", "currentTranslation", "alternates"}, "bbr",
       "Get list of possible alternatives for a word."},
      {5, INVOKE_FUNC, {"SetAlternateWord", "options", "currentTranslation", "alternativeToUse", "newTranslation"},
       "bbbr", "Select an alternate word in a translation."},
      {6, INVOKE_FUNC, {"ScanSentences", "options", "translationSource", "translationSink"}, "bdd",
       "find the beginnings and ends of sentences in the input source"},
  };
  ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&attributes));
  EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attributes->wTypeFlags & kDualFlags, kDualFlags);
  ASSERT_EQ(attributes->cFuncs, 6);
  vtable->ReleaseTypeAttr(attributes);

  for (UINT index = 0; index < 6; ++index) {
    const Member& member = members[index];
    SCOPED_TRACE(member.names[0]);
    FUNCDESC* function = nullptr;
    ASSERT_HRESULT_SUCCEEDED(vtable->GetFuncDesc(index, &function));
    EXPECT_EQ(function->memid, member.id);
    EXPECT_EQ(function->invkind, member.kind);
    const std::string kinds = member.parameters;
    ASSERT_EQ(function->cParams, static_cast<SHORT>(kinds.size()));
    for (SHORT p = 0; p < function->cParams; ++p) {
      const ELEMDESC& parameter = function->lprgelemdescParam[p];
      const USHORT flags = parameter.paramdesc.wParamFlags;
      const VARTYPE type = parameter.tdesc.vt;
      switch (kinds[p]) {
        case 'b': EXPECT_TRUE(type == VT_BSTR && flags == PARAMFLAG_FIN) << p; break;
        case 'd': EXPECT_TRUE(type == VT_DISPATCH && flags == PARAMFLAG_FIN) << p; break;
        case 'r':
          EXPECT_TRUE(type == VT_PTR && parameter.tdesc.lptdesc->vt == VT_BSTR) << p;
          EXPECT_EQ(flags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL) << p;
          break;
      }
    }
    vtable->ReleaseFuncDesc(function);

    BSTR names[8] = {};
    UINT count = 0;
    ASSERT_HRESULT_SUCCEEDED(vtable->GetNames(member.id, names, 8, &count));
    std::vector<std::string> got;
    for (UINT n = 0; n < count; ++n) {
      got.push_back(Narrow(names[n]));
      SysFreeString(names[n]);
    }
    EXPECT_EQ(got, member.names);
    EXPECT_EQ(Documentation(vtable.Get(), member.id).help, member.help);
  }
}

struct ModuleFree {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};

TEST(Resources, ExecutableCarriesScriptLibrariesVersionAndManifest) {
  const std::wstring path = BuiltServerPath();
  std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree> image(
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(image);
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  EXPECT_TRUE(FindResourceExW(image.get(), L"TYPELIB", MAKEINTRESOURCEW(1), english));
  EXPECT_TRUE(FindResourceExW(image.get(), L"REGISTRY", MAKEINTRESOURCEW(100), english));
  HRSRC manifest = FindResourceW(image.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_TRUE(manifest);
  const std::string manifestText(static_cast<const char*>(LockResource(LoadResource(image.get(), manifest))),
                                 SizeofResource(image.get(), manifest));
  EXPECT_NE(manifestText.find("level=\"asInvoker\""), std::string::npos);

  // The client library is carried for the caller's source and sink objects.
  ComPtr<ITypeLib> client;
  EXPECT_EQ(LoadTypeLibEx((path + L"\\2").c_str(), REGKIND_NONE, &client), S_OK);

  DWORD ignored = 0;
  std::vector<BYTE> version(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00030001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000009u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00030001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000009u);
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);

  struct Text {
    const wchar_t* name;
    const char* value;
  };
  const Text texts[] = {
      {L"FileDescription", "Orvane Pashto Translation Engine"},
      {L"FileVersion", "3.1r9 (06/28/2011)"},
      {L"InternalName", "Orvane Pashto Translation Engine"},
      {L"OriginalFilename", "Orvane Pashto Translation Engine"},
      {L"ProductName", "Orvane Pashto Translation Engine"},
      {L"ProductVersion", "3.1r9 (06/28/2011)"},
      // Empty: only its presence marks the file as self-registering.
      {L"OLESelfRegister", ""},
  };
  for (const Text& text : texts) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + text.name;
    wchar_t* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(version.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << Narrow(text.name);
    EXPECT_EQ(Narrow(length ? value : L""), text.value) << Narrow(text.name);
  }
}

}  // namespace
}  // namespace kelar::test
