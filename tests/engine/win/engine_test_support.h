#pragma once
// Scripted stand-ins for a caller's translation source and sink that record
// every call, and a job whose translation of a piece is a plain echo, for
// the tests of the job loop and of the in-memory source and sink.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "engine/win/engine_translation_thread.h"
#include "support/exceptions.h"
#include "support/win/bstr.h"
#include "threading/win/win_test_support.h"
#include "translation_client.h"

namespace kelar::test {

// Set while a test wants allocations of at least kLargeAllocation bytes to
// fail with std::bad_alloc (see the replacement operator new in
// memory_objects_test.cpp).
extern std::atomic<bool> failLargeAllocations;
constexpr std::size_t kLargeAllocation = 1 << 20;

// The number of references an object holds, asked without changing it.
inline ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// Reference counting and QueryInterface for one dual interface; the
// dispatch operations are never called by a job.
template <class Interface>
class ScriptedObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  virtual ~ScriptedObject() = default;

 private:
  volatile LONG references_ = 0;
};

// One answer of a scripted ReadText.
struct Read {
  HRESULT result = S_OK;
  std::u16string text;  // may hold NULs; the BSTR gets all of it
  bool nullText = false;

  static Read Text(std::u16string text) { return {S_OK, std::move(text), false}; }
  static Read NullText() { return {S_OK, {}, true}; }
  static Read Failure(HRESULT hr) { return {hr, {}, true}; }
};

class ScriptedSource final : public ScriptedObject<ITranslationSource> {
 public:
  explicit ScriptedSource(std::vector<Read> script) : script_(std::move(script)) {}

  HRESULT STDMETHODCALLTYPE ReadText(BSTR* text) override {
    const std::size_t call = reads_++;
    if (call >= script_.size()) return E_UNEXPECTED;  // read past the end of the script
    const Read& answer = script_[call];
    *text = answer.nullText ? nullptr
                            : SysAllocStringLen(AsWide(answer.text.data()), static_cast<UINT>(answer.text.size()));
    return answer.result;
  }
  int Reads() const { return reads_; }

 private:
  std::vector<Read> script_;
  std::atomic<int> reads_{0};
};

class ScriptedSink final : public ScriptedObject<ITranslationSink> {
 public:
  // `failWrite` (1-based) is the WriteTranslation call that fails; 0: none.
  explicit ScriptedSink(int failWrite = 0) : failWrite_(failWrite) {}

  HRESULT STDMETHODCALLTYPE WriteTranslation(BSTR fragment) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (++writes_ == failWrite_) return E_ACCESSDENIED;
    // Everything the BSTR records, so that nothing past a NUL goes unseen.
    fragments_.emplace_back(AsUtf16(fragment), SysStringLen(fragment));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TranslationDone(LONG success) override {
    std::lock_guard<std::mutex> guard(lock_);
    done_.push_back(success);
    return E_FAIL;  // the job ignores it
  }
  std::vector<std::u16string> Fragments() {
    std::lock_guard<std::mutex> guard(lock_);
    return fragments_;
  }
  std::vector<LONG> Done() {
    std::lock_guard<std::mutex> guard(lock_);
    return done_;
  }

 private:
  std::mutex lock_;
  int failWrite_;
  int writes_ = 0;
  std::vector<std::u16string> fragments_;
  std::vector<LONG> done_;
};

// Counts the live echo jobs and keeps the status the last one ended with.
struct EchoJobs {
  static inline std::atomic<int> live{0};
  static inline std::atomic<int> lastStatus{-1};
  // Set: every TranslatePiece waits for it first.
  static inline HANDLE gate = nullptr;

  // True once every echo job is gone (the worker's release may come after
  // the caller woke).
  static bool AllGone() {
    return WaitUntil([] { return live == 0; });
  }
};

// Translates "x" into "<x>"; the piece "throw" fails.
class EchoJob final : public EngineTranslationThread {
 public:
  EchoJob(IDispatch* source, IDispatch* sink) : EngineTranslationThread(u"", source, sink) { ++EchoJobs::live; }

 protected:
  ~EchoJob() override {
    EchoJobs::lastStatus = Status();
    --EchoJobs::live;
  }
  std::u16string TranslatePiece(const std::u16string& piece) override {
    if (EchoJobs::gate != nullptr) WaitForSingleObject(EchoJobs::gate, 10000);
    if (piece == u"throw") throw StringException("translation failed");
    return u"<" + piece + u">";
  }
};

// Runs an echo job as a caller of Translate does and returns its final
// status, once the job is gone.
inline int RunEchoJob(IDispatch* source, IDispatch* sink) {
  Microsoft::WRL::ComPtr<EchoJob> job = new EchoJob(source, sink);
  job->Resume();
  job->WaitWhilePumping();
  job.Reset();
  if (!EchoJobs::AllGone()) return -1;
  return EchoJobs::lastStatus;
}

}  // namespace kelar::test
