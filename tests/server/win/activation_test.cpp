// The registered server activated through COM from this process: its life
// follows its objects, and the engine answers through its proxy, both by
// IDispatch and by its vtable interface.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "kelar_engine.h"
#include "server_harness.h"
#include "support/win/bstr.h"

using Microsoft::WRL::ComPtr;

namespace kelar::test {
namespace {

class Activation : public ::testing::Test {
 protected:
  // The apostrophe in the program folder must not keep COM from starting
  // the server.
  Activation() : server_(L"O'Brien's engines") {}

  void SetUp() override { ASSERT_EQ(server_.Run(L"/RegServer"), 0u); }

  ComPtr<IQVSTranslationEngine> Create() {
    ComPtr<IQVSTranslationEngine> engine;
    EXPECT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_TranslationEngine, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&engine)));
    return engine;
  }

  static void ExpectEnds(const UniqueHandle& process) {
    ASSERT_TRUE(process);
    ASSERT_EQ(WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0) << "the server is still running";
    DWORD code = 1;
    GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 0u);
  }

  ComApartment com_;
  InstalledServer server_;
};

TEST_F(Activation, ServerEndsWhenItsOnlyEngineIsReleased) {
  ComPtr<IQVSTranslationEngine> engine = Create();
  ASSERT_TRUE(engine);
  UniqueHandle process = server_.OpenRunningServer();
  engine.Reset();
  ExpectEnds(process);
}

TEST_F(Activation, ServerLivesAsLongAsAnyEngine) {
  ComPtr<IQVSTranslationEngine> first = Create();
  ComPtr<IQVSTranslationEngine> second = Create();
  ASSERT_TRUE(first && second);
  UniqueHandle process = server_.OpenRunningServer();
  ASSERT_TRUE(process);

  first.Reset();
  EXPECT_EQ(WaitForSingleObject(process.Get(), 1500), static_cast<DWORD>(WAIT_TIMEOUT));
  BSTR alternates = nullptr;
  EXPECT_EQ(second->get_AlternateWords(nullptr, nullptr, &alternates), S_OK);

  second.Reset();
  ExpectEnds(process);
}

TEST_F(Activation, EngineAnswersThroughItsProxy) {
  ComPtr<IQVSTranslationEngine> engine = Create();
  ASSERT_TRUE(engine);

  // The vtable interface crosses processes through the registered library.
  UniqueBstr options(SysAllocString(L"t:Option"));
  UniqueBstr text(SysAllocString(L"word"));
  UniqueBstr output;
  EXPECT_EQ(engine->get_AlternateWords(options.Get(), text.Get(), output.Receive()), S_OK);
  EXPECT_EQ(output.Get(), nullptr);
  EXPECT_EQ(engine->SetAlternateWord(options.Get(), text.Get(), text.Get(), output.Receive()), S_OK);
  EXPECT_EQ(output.Get(), nullptr);

  ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_HRESULT_SUCCEEDED(engine.As(&errorInfo));
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(__uuidof(IQVSTranslationEngine)), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

  ComPtr<IDispatch> dispatch;
  ASSERT_HRESULT_SUCCEEDED(engine.As(&dispatch));
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
  UniqueBstr name;
  ASSERT_HRESULT_SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, name.Receive(), nullptr, nullptr, nullptr));
  EXPECT_STREQ(name.Get(), L"IQVSTranslationEngine");

  struct Member {
    const wchar_t* name;
    DISPID id;
  };
  const Member members[] = {{L"Features", 1},         {L"Translate", 2},        {L"TranslateText", 3},
                            {L"AlternateWords", 4},   {L"SetAlternateWord", 5}, {L"ScanSentences", 6},
                            {L"translatetext", 3}};
  for (const Member& member : members) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(member.name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, member.id);
  }
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Detect")};
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);

  // Late binding reaches the same method: arguments go in reverse order.
  VARIANT arguments[2];
  arguments[0].vt = VT_BSTR;
  arguments[0].bstrVal = text.Get();
  arguments[1].vt = VT_BSTR;
  arguments[1].bstrVal = options.Get();
  DISPPARAMS parameters{arguments, nullptr, 2, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(dispatch->Invoke(4, IID_NULL, 0, DISPATCH_PROPERTYGET, &parameters, &result, nullptr, nullptr), S_OK);
  // No string comes back. (Wine's DispInvoke copies the null result into an
  // empty BSTR; to an automation client the two are the same.)
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(result.bstrVal), 0u);
  VariantClear(&result);
}

TEST_F(Activation, ATrailingBlankAfterTheSwitchServes) {
  UniqueHandle process = server_.Start(L"-RegServer ");
  ASSERT_TRUE(process);
  ASSERT_EQ(WaitForInputIdle(process.Get(), 20000), 0u) << "the server did not reach its message loop";
  // The running server hands out the engine; COM starts no other.
  ComPtr<IQVSTranslationEngine> engine = Create();
  ASSERT_TRUE(engine);
  EXPECT_EQ(ProcessesOf(server_.Path()).size(), 1u);
  engine.Reset();
  ExpectEnds(process);
}

}  // namespace
}  // namespace kelar::test
