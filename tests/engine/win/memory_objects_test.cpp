// The in-memory source and sink: their own behaviour, their COM identity and
// IDispatch faces, and a job run over them the way TranslateText runs one.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "engine/win/engine_test_support.h"
#include "engine/win/memory_translation_sink.h"
#include "engine/win/memory_translation_source.h"
#include "support/win/bstr.h"
#include "threading/win/auto_reset_event.h"
#include "threading/win/waits.h"
#include "threading/win/win_test_support.h"

// Large allocations fail on request, so that a test can make one append or
// one copy run out of memory without exhausting the machine.
void* operator new(std::size_t size) {
  if (kelar::test::failLargeAllocations && size >= kelar::test::kLargeAllocation) throw std::bad_alloc();
  if (void* block = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

using Microsoft::WRL::ComPtr;

namespace kelar {
namespace test {
std::atomic<bool> failLargeAllocations{false};
}  // namespace test

namespace {

std::u16string Take(MemoryTranslationSink* sink, HRESULT expected = S_OK) {
  UniqueBstr text;
  EXPECT_EQ(sink->TakeResult(text.Receive()), expected);
  return std::u16string(AsUtf16(text.Get() ? text.Get() : L""), text.Length());
}

bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

// The event and thread handles of this process once a first job has set up
// what stays for the life of the process (the multithreaded apartment,
// GoogleTest's watcher of this thread's traces).
DWORD SettledHandleCount() {
  { SCOPED_TRACE("warm-up"); }
  ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
  ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(nullptr);
  test::RunEchoJob(source.Get(), sink.Get());
  return test::EventAndThreadHandles();
}

TEST(MemoryTranslationSourceTest, HandsOutItsTextsThenEmptyTextsUntilEndedThenFailures) {
  struct Answer {
    HRESULT result;
    const char16_t* text;  // null: no BSTR
  };
  struct Case {
    const char* name;
    std::vector<std::u16string> fed;
    std::vector<Answer> answers;
  };
  const Case cases[] = {
      {"one text", {u"one"}, {{S_OK, u"one"}, {S_OK, u""}, {S_OK, u""}}},
      {"an empty text ends the input at once", {u""}, {{E_FAIL, nullptr}, {E_FAIL, nullptr}}},
      {"two texts, then the end", {u"a", u"b", u""}, {{S_OK, u"a"}, {S_OK, u"b"}, {E_FAIL, nullptr}}},
      {"nothing fed", {}, {{S_OK, u""}, {S_OK, u""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
    for (const std::u16string& text : c.fed) source->AddText(text);
    for (const Answer& expected : c.answers) {
      UniqueBstr text;
      EXPECT_EQ(source->ReadText(text.Receive()), expected.result);
      if (expected.text == nullptr) {
        EXPECT_EQ(text.Get(), nullptr);
      } else {
        ASSERT_NE(text.Get(), nullptr);
        EXPECT_EQ(BstrText(text.Get()), expected.text);
      }
    }
  }
  ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
  EXPECT_EQ(source->ReadText(nullptr), E_FAIL);
}

TEST(MemoryTranslationSourceTest, SignalsItsDataEventOnEveryAdditionAndResetsItOnEveryRead) {
  ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
  source->AddText(u"a");
  UniqueBstr text;
  EXPECT_EQ(source->ReadText(text.Receive()), S_OK);
  EXPECT_FALSE(Signalled(source->DataEvent()));
  source->AddText(u"");
  EXPECT_EQ(source->ReadText(text.Receive()), E_FAIL);
  // A read past the end leaves the event alone.
  EXPECT_TRUE(Signalled(source->DataEvent()));
}

TEST(MemoryTranslationSinkTest, GathersFragmentsUpToTheirFirstNulUntilTaken) {
  ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(nullptr);
  UniqueBstr first(SysAllocString(L"<a>\n"));
  UniqueBstr second(SysAllocStringLen(L"<b>\0junk", 8));
  UniqueBstr empty(SysAllocString(L""));
  EXPECT_EQ(sink->WriteTranslation(first.Get()), S_OK);
  EXPECT_EQ(sink->WriteTranslation(second.Get()), S_OK);
  EXPECT_EQ(sink->WriteTranslation(empty.Get()), S_OK);
  EXPECT_EQ(sink->WriteTranslation(nullptr), S_OK);
  EXPECT_EQ(Take(sink.Get()), u"<a>\n<b>");
  EXPECT_EQ(Take(sink.Get()), u"");
  EXPECT_EQ(sink->TakeResult(nullptr), E_FAIL);
}

TEST(MemoryTranslationSinkTest, OnlyTheEndOfTheJobSignalsTheCompletionEvent) {
  AutoResetEvent event;
  ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(event.Get());
  UniqueBstr fragment(SysAllocString(L"<a>"));
  EXPECT_EQ(sink->WriteTranslation(fragment.Get()), S_OK);
  EXPECT_FALSE(Signalled(event.Get()));

  // A fragment that cannot be appended fails the write, and the waiter must
  // not wake then: the job is still running and will report its end.
  std::u16string large(test::kLargeAllocation, u'x');
  UniqueBstr tooLarge(AllocBstr(large));
  test::failLargeAllocations = true;
  const HRESULT failedWrite = sink->WriteTranslation(tooLarge.Get());
  test::failLargeAllocations = false;
  EXPECT_EQ(failedWrite, E_FAIL);
  EXPECT_FALSE(Signalled(event.Get()));

  EXPECT_EQ(sink->TranslationDone(1), S_OK);
  EXPECT_TRUE(Signalled(event.Get()));
  EXPECT_EQ(sink->TranslationDone(0), S_OK);
  EXPECT_TRUE(Signalled(event.Get()));
  EXPECT_EQ(Take(sink.Get()), u"<a>");

  ComPtr<MemoryTranslationSink> withoutEvent = new MemoryTranslationSink(nullptr);
  EXPECT_EQ(withoutEvent->TranslationDone(1), E_INVALIDARG);
}

TEST(MemoryTranslationSinkTest, KeepsTheEventAliveAfterItsCreatorClosedIt) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE observer = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &observer, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(event);
  CloseHandle(event);
  EXPECT_EQ(sink->TranslationDone(1), S_OK);
  EXPECT_TRUE(Signalled(observer));
  CloseHandle(observer);
}

template <class Object, class Interface>
void ExpectComIdentity(Object* object, const IID& own, const IID& foreign) {
  // No reference until the first QueryInterface; the last Release destroys.
  ComPtr<Interface> face;
  ASSERT_EQ(object->QueryInterface(own, reinterpret_cast<void**>(face.GetAddressOf())), S_OK);
  EXPECT_EQ(test::References(face.Get()), 1u);
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(face.As(&unknown), S_OK);
  EXPECT_EQ(face.As(&dispatch), S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), unknown.Get());
  ComPtr<IUnknown> other;
  EXPECT_EQ(face->QueryInterface(foreign, reinterpret_cast<void**>(other.GetAddressOf())), E_NOINTERFACE);
  EXPECT_EQ(other.Get(), nullptr);
  unknown.Reset();
  dispatch.Reset();
  EXPECT_EQ(face.Detach()->Release(), 0u);
}

TEST(MemoryObjectsTest, AnswerTheirOwnInterfacesAndLiveByTheirReferences) {
  ExpectComIdentity<MemoryTranslationSource, ITranslationSource>(new MemoryTranslationSource(),
                                                                 IID_ITranslationSource, IID_ITranslationSink);
  ExpectComIdentity<MemoryTranslationSink, ITranslationSink>(new MemoryTranslationSink(nullptr),
                                                             IID_ITranslationSink, IID_ITranslationSource);
}

// Calls a method by name through IDispatch with the given arguments (in
// their natural order); returns the HRESULT of the lookup or the call.
HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> arguments) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS parameters = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr,
                        nullptr);
}

TEST(MemoryObjectsTest, ServeLateBoundCallsFromTheEmbeddedTypeLibrary) {
  ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
  source->AddText(u"سلام");
  UINT count = 0;
  EXPECT_EQ(source->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(source->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  ASSERT_EQ(source->GetTypeInfo(0, 0, &info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_ITranslationSource));
  info->ReleaseTypeAttr(attributes);
  // Described under the neutral locale, where Wine's marshaler looks a
  // registered library up.
  ComPtr<ITypeLib> library;
  UINT index = 0;
  ASSERT_EQ(info->GetContainingTypeLib(&library, &index), S_OK);
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(libraryAttributes->guid, LIBID_KelarTranslationClientLib));
  EXPECT_EQ(libraryAttributes->lcid, 0u);
  library->ReleaseTLibAttr(libraryAttributes);

  VARIANT out;
  BSTR text = nullptr;
  out.vt = VT_BYREF | VT_BSTR;
  out.pbstrVal = &text;
  ASSERT_EQ(CallByName(source.Get(), L"ReadText", {out}), S_OK);
  UniqueBstr read(text);
  EXPECT_EQ(BstrText(read.Get()), u"سلام");

  AutoResetEvent done;
  ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(done.Get());
  VARIANT fragment;
  fragment.vt = VT_BSTR;
  fragment.bstrVal = SysAllocString(L"<x>");
  EXPECT_EQ(CallByName(sink.Get(), L"WriteTranslation", {fragment}), S_OK);
  VariantClear(&fragment);
  VARIANT success;
  success.vt = VT_I4;
  success.lVal = 1;
  EXPECT_EQ(CallByName(sink.Get(), L"TranslationDone", {success}), S_OK);
  EXPECT_TRUE(Signalled(done.Get()));
  EXPECT_EQ(Take(sink.Get()), u"<x>");
}

TEST(MemoryObjectsTest, WithoutTheirTypeLibraryOnlyTheLateBoundCallsFail) {
  // A library identifier that this program does not carry.
  const GUID unknownLibrary = {0x1b7a6c3e, 0x4f0d, 0x4c55, {0x9a, 0x61, 0x2e, 0x7d, 0x80, 0x13, 0x5c, 0x42}};
  ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource(unknownLibrary);
  ComPtr<ITypeInfo> info;
  EXPECT_TRUE(FAILED(source->GetTypeInfo(0, 0, &info)));
  EXPECT_EQ(info.Get(), nullptr);
  VARIANT unused;
  unused.vt = VT_EMPTY;
  EXPECT_TRUE(FAILED(CallByName(source.Get(), L"ReadText", {unused})));
  source->AddText(u"a");
  UniqueBstr text;
  EXPECT_EQ(source->ReadText(text.Receive()), S_OK);
  EXPECT_EQ(BstrText(text.Get()), u"a");

  ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(nullptr, unknownLibrary);
  EXPECT_TRUE(FAILED(sink->GetTypeInfo(0, 0, &info)));
  EXPECT_EQ(sink->WriteTranslation(text.Get()), S_OK);
  EXPECT_EQ(Take(sink.Get()), u"a");
}

// A job over an in-memory source and sink, run as TranslateText runs it:
// the text in, the job, the wait for the sink's event, the result out.
TEST(MemoryObjectsTest, CarryOneTextThroughAJob) {
  struct Case {
    const char16_t* text;
    const char16_t* result;
  };
  const Case cases[] = {{u"سلام", u"<سلام>"}, {u"", u""}};
  const DWORD handlesBefore = SettledHandleCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "text of " << std::u16string(c.text).size() << " units");
    {
      AutoResetEvent done;
      ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
      source->AddText(c.text);
      ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(done.Get());
      EXPECT_EQ(test::RunEchoJob(source.Get(), sink.Get()), kThreadFinished);
      EXPECT_EQ(WaitAlertable(done.Get(), 10000), WAIT_OBJECT_0);
      EXPECT_EQ(Take(sink.Get()), c.result);
      EXPECT_EQ(source.Detach()->Release(), 0u);
      EXPECT_EQ(sink.Detach()->Release(), 0u);
    }
    EXPECT_TRUE(test::WaitUntil([&] { return test::EventAndThreadHandles() <= handlesBefore; }))
        << test::EventAndThreadHandles() << " handles, " << handlesBefore << " before";
  }
}

// The caller's wait fails while the job runs. The caller gives up its
// references and closes its event at once; the job, still running, keeps
// the source, the sink and the sink's event alive until it ends.
TEST(MemoryObjectsTest, OutliveACallerWhoseWaitFailed) {
  // Fails the caller's first waits; a caller that went round again would
  // come back on the later, real ones.
  static std::atomic<int> failures{0};
  static decltype(&MsgWaitForMultipleObjectsEx) realWait = nullptr;
  static const auto failingWait = +[](DWORD count, const HANDLE* handles, DWORD timeout, DWORD mask,
                                      DWORD flags) -> DWORD {
    if (++failures > 100) return realWait(count, handles, timeout, mask, flags);
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  };
  const DWORD handlesBefore = SettledHandleCount();
  AutoResetEvent gate;
  test::EchoJobs::gate = gate.Get();
  {
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ComPtr<MemoryTranslationSource> source = new MemoryTranslationSource();
    source->AddText(u"a");
    ComPtr<MemoryTranslationSink> sink = new MemoryTranslationSink(done);
    ComPtr<test::EchoJob> job = new test::EchoJob(source.Get(), sink.Get());
    job->Resume();
    {
      test::ImportPatch patch("MsgWaitForMultipleObjectsEx", reinterpret_cast<const void*>(failingWait));
      ASSERT_TRUE(patch.Applied());
      realWait = patch.Original<decltype(&MsgWaitForMultipleObjectsEx)>();
      EXPECT_THROW(job->WaitWhilePumping(), SystemErrorException);
    }
    EXPECT_EQ(failures, 1);
    CloseHandle(done);
  }
  EXPECT_EQ(test::EchoJobs::live, 1);
  SetEvent(gate.Get());
  EXPECT_TRUE(test::EchoJobs::AllGone());
  test::EchoJobs::gate = nullptr;
  EXPECT_EQ(test::EchoJobs::lastStatus, kThreadFinished);
  EXPECT_TRUE(test::WaitUntil([&] { return test::EventAndThreadHandles() <= handlesBefore; }))
      << test::EventAndThreadHandles() << " handles, " << handlesBefore << " before";
}

}  // namespace
}  // namespace kelar
