// The class factory, the module's lock count and the engine object's COM
// identity, in process. (Wine's class-factory proxy answers LockServer
// itself, so only here does LockServer reach our code.)

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "engine/win/translation_engine.h"
#include "server/win/class_factory.h"
#include "server/win/exe_module.h"
#include "server_harness.h"
#include "support/win/bstr.h"

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace {

class InProcessServer : public ::testing::Test {
 protected:
  InProcessServer() {
    // The quit message needs a queue on this thread; start from an empty one.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    QuitPosted();
    factory_.Attach(new ClassFactory(module_));
  }

  bool QuitPosted() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  }

  ComPtr<IQVSTranslationEngine> Create() {
    ComPtr<IQVSTranslationEngine> engine;
    EXPECT_HRESULT_SUCCEEDED(factory_->CreateInstance(nullptr, IID_PPV_ARGS(&engine)));
    return engine;
  }

  test::ComApartment com_;
  CExeModule module_{GetCurrentThreadId()};
  ComPtr<IClassFactory> factory_;
};

TEST_F(InProcessServer, CreateInstanceRefusesWhatItCannotMake) {
  EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);

  void* object = reinterpret_cast<void*>(1);
  ComPtr<IUnknown> outer = Create();
  EXPECT_EQ(factory_->CreateInstance(outer.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);

  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  // Only the engine held by `outer` is left.
  EXPECT_EQ(module_.LockCount(), 1);
}

TEST_F(InProcessServer, ReleasingTheLastEngineEndsTheServer) {
  ComPtr<IQVSTranslationEngine> first = Create();
  ComPtr<IQVSTranslationEngine> second = Create();
  EXPECT_EQ(module_.LockCount(), 2);

  first.Reset();
  EXPECT_EQ(module_.LockCount(), 1);
  EXPECT_FALSE(QuitPosted());

  second.Reset();
  EXPECT_EQ(module_.LockCount(), 0);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(InProcessServer, LockServerHoldsTheServerUntilUnlocked) {
  EXPECT_EQ(factory_->LockServer(TRUE), S_OK);
  EXPECT_EQ(module_.LockCount(), 1);
  EXPECT_FALSE(QuitPosted());

  EXPECT_EQ(factory_->LockServer(FALSE), S_OK);
  EXPECT_EQ(module_.LockCount(), 0);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(InProcessServer, EngineAnswersItsInterfacesOnly) {
  ComPtr<IQVSTranslationEngine> engine = Create();
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  ASSERT_HRESULT_SUCCEEDED(engine.As(&unknown));
  ASSERT_HRESULT_SUCCEEDED(engine.As(&dispatch));
  EXPECT_EQ(unknown.Get(), static_cast<IUnknown*>(engine.Get()));
  EXPECT_EQ(dispatch.Get(), static_cast<IDispatch*>(engine.Get()));

  ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_HRESULT_SUCCEEDED(engine.As(&errorInfo));
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(__uuidof(IQVSTranslationEngine)), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

  // No custom marshaling: the engine is reached through the standard proxy.
  ComPtr<IMarshal> marshal;
  EXPECT_EQ(engine.As(&marshal), E_NOINTERFACE);
  EXPECT_EQ(engine->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

  UINT count = 0;
  EXPECT_EQ(engine->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(engine->GetTypeInfoCount(nullptr), E_POINTER);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(engine->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
}

TEST_F(InProcessServer, AlternateWordsLeaveTheOutputAlone) {
  ComPtr<IQVSTranslationEngine> engine = Create();
  UniqueBstr mine(SysAllocString(L"mine"));
  BSTR output = mine.Get();
  EXPECT_EQ(engine->get_AlternateWords(nullptr, nullptr, &output), S_OK);
  EXPECT_EQ(output, mine.Get());
  EXPECT_EQ(engine->SetAlternateWord(nullptr, nullptr, nullptr, &output), S_OK);
  EXPECT_EQ(output, mine.Get());
}

}  // namespace
}  // namespace kelar
