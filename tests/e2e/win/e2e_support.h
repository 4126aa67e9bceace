#pragma once
// The client side of the end-to-end tests: the engine reached through COM,
// and source and sink objects of our own that the server calls back across
// processes, recording what it did and when.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "kelar_engine.h"
#include "support/win/bstr.h"
#include "support/win/handle.h"
#include "translation_client.h"

namespace kelar::test::e2e {

using Microsoft::WRL::ComPtr;

// A build output as Wine sees it, through drive Z:.
inline std::wstring WinePath(const std::string& unixPath) {
  std::wstring path = L"Z:";
  for (char c : unixPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

// Milliseconds on one clock for the whole process.
inline double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline std::wstring Option(const std::wstring& name, const std::wstring& value) {
  return L"<t:Option Name=\"" + name + L"\">" + value + L"</t:Option>";
}

inline std::wstring PashtoToEnglish() {
  return Option(L"SourceLanguage", L"ps") + Option(L"TranslationLanguage", L"en");
}

// What the engine answers for a piece it translated without a failure.
inline std::wstring Fragment(const std::wstring& escapedText) {
  return L"<Translation>" + escapedText + L"</Translation>\n";
}

inline std::wstring ErrorFragment(const std::wstring& message, const std::wstring& escapedText) {
  return L"<Errors>" + message + L"</Errors>\n" + Fragment(escapedText);
}

// A BSTR holding all of `text`, NULs included.
inline UniqueBstr Bstr(const std::wstring& text) {
  return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

inline std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

inline std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

inline std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

// The lines of a UTF-8 text file, without their line ends.
inline std::vector<std::wstring> ReadUtf8Lines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::wstring text = FromUtf8(ReadBytes(path));
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The client type library as built (it describes ITranslationSource and
// ITranslationSink).
inline std::wstring ClientLibraryPath() { return WinePath(KELAR_E2E_CLIENT_TLB_UNIX); }

// Makes ITranslationSource and ITranslationSink marshalable for one test.
// A registration that is already there (the host product's, or the client
// tool's) is used as it is; otherwise the client library is registered here
// and unregistered again at the end.
class ClientInterfaces {
 public:
  ClientInterfaces() {
    if (AlreadyRegistered()) return;
    std::wstring path = ClientLibraryPath();
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.Get(), path.data(), nullptr);
    EXPECT_HRESULT_SUCCEEDED(hr) << "cannot register the client type library";
    registeredHere_ = SUCCEEDED(hr);
  }
  ~ClientInterfaces() {
    if (registeredHere_) UnRegisterTypeLib(LIBID_KelarTranslationClientLib, 1, 0, 0, SYS_WIN64);
  }
  ClientInterfaces(const ClientInterfaces&) = delete;
  ClientInterfaces& operator=(const ClientInterfaces&) = delete;

 private:
  // Registered the way the marshaler looks it up: each interface names a
  // library, and that library loads and describes it.
  static bool AlreadyRegistered() {
    for (REFIID iid : {IID_ITranslationSource, IID_ITranslationSink}) {
      wchar_t key[80] = L"Interface\\";
      StringFromGUID2(iid, key + 10, 40);
      wcscat(key, L"\\TypeLib");
      HKEY opened = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
      RegCloseKey(opened);
      ComPtr<ITypeLib> library;
      ComPtr<ITypeInfo> info;
      if (FAILED(LoadRegTypeLib(LIBID_KelarTranslationClientLib, 1, 0, 0, &library)) ||
          FAILED(library->GetTypeInfoOfGuid(iid, &info))) {
        return false;
      }
    }
    return true;
  }

  bool registeredHere_ = false;
};

// IUnknown and IDispatch of a dual client object, described by the client
// type library. Reference counts start at 0, as COM objects do.
template <class Interface>
class DualObject : public Interface {
 public:
  explicit DualObject(REFIID iid) : iid_(iid) {
    ComPtr<ITypeLib> library;
    if (SUCCEEDED(LoadTypeLibEx(ClientLibraryPath().c_str(), REGKIND_NONE, &library))) {
      library->GetTypeInfoOfGuid(iid, &typeInfo_);
    }
  }
  virtual ~DualObject() = default;
  DualObject(const DualObject&) = delete;
  DualObject& operator=(const DualObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, iid_)) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = typeInfo_ ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0 || !typeInfo_) return DISP_E_BADINDEX;
    return typeInfo_.CopyTo(info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!typeInfo_) return E_NOTIMPL;
    return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override {
    if (!typeInfo_) return E_NOTIMPL;
    return DispInvoke(static_cast<Interface*>(this), typeInfo_.Get(), id, flags, parameters, result, exception,
                      argumentError);
  }

 private:
  const IID iid_;
  ComPtr<ITypeInfo> typeInfo_;
  LONG references_ = 0;
};

template <class T, class... Arguments>
ComPtr<T> Make(Arguments&&... arguments) {
  return ComPtr<T>(new T(std::forward<Arguments>(arguments)...));
}

// What a source hands out, read by read.
struct SourcePlan {
  enum class End { EmptyText, NullText };
  std::vector<std::wstring> texts;
  End end = End::EmptyText;  // what follows the texts
  int failAt = -1;           // this read (0-based) fails with E_FAIL
  int stallAt = -1;          // this read waits stallMs before it answers
  DWORD stallMs = 0;
  DWORD delayMs = 0;         // every read waits this long first
  bool endless = false;      // hand out the texts over and over, never ending
};

class TestSource : public DualObject<ITranslationSource> {
 public:
  explicit TestSource(SourcePlan plan)
      : DualObject(IID_ITranslationSource),
        plan_(std::move(plan)),
        firstRead_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  HRESULT STDMETHODCALLTYPE ReadText(BSTR* text) override {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    size_t index;
    {
      std::lock_guard<std::mutex> guard(lock_);
      index = readTimes_.size();
      readTimes_.push_back(NowMs());
    }
    SetEvent(firstRead_.Get());
    if (plan_.delayMs > 0) Sleep(plan_.delayMs);
    if (static_cast<int>(index) == plan_.stallAt) Sleep(plan_.stallMs);
    if (static_cast<int>(index) == plan_.failAt) return E_FAIL;
    if (plan_.endless && !plan_.texts.empty()) index %= plan_.texts.size();
    if (index < plan_.texts.size()) {
      *text = Bstr(plan_.texts[index]).Release();
      return *text ? S_OK : E_OUTOFMEMORY;
    }
    if (plan_.end == SourcePlan::End::EmptyText) *text = SysAllocString(L"");
    return S_OK;
  }

  size_t Reads() const {
    std::lock_guard<std::mutex> guard(lock_);
    return readTimes_.size();
  }
  // When the first ReadText came; -1 before it.
  double FirstReadTime() const {
    std::lock_guard<std::mutex> guard(lock_);
    return readTimes_.empty() ? -1 : readTimes_.front();
  }
  // Signalled at the first ReadText.
  HANDLE FirstRead() const { return firstRead_.Get(); }

 private:
  const SourcePlan plan_;
  UniqueHandle firstRead_;
  mutable std::mutex lock_;
  std::vector<double> readTimes_;
};

class TestSink : public DualObject<ITranslationSink> {
 public:
  // `failAt`: this write (0-based) is refused with E_FAIL; `doneResult` is
  // what TranslationDone answers.
  explicit TestSink(int failAt = -1, HRESULT doneResult = S_OK)
      : DualObject(IID_ITranslationSink),
        failAt_(failAt),
        doneResult_(doneResult) {}

  HRESULT STDMETHODCALLTYPE WriteTranslation(BSTR fragment) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (writes_++ == failAt_) return E_FAIL;
    fragments_.push_back(Text(fragment));
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE TranslationDone(long success) override {
    std::lock_guard<std::mutex> guard(lock_);
    dones_.push_back(success);
    doneTime_ = NowMs();
    return doneResult_;
  }

  std::vector<std::wstring> Fragments() const {
    std::lock_guard<std::mutex> guard(lock_);
    return fragments_;
  }
  // The flags of every TranslationDone, in order (one per job).
  std::vector<long> Dones() const {
    std::lock_guard<std::mutex> guard(lock_);
    return dones_;
  }
  double DoneTime() const {
    std::lock_guard<std::mutex> guard(lock_);
    return doneTime_;
  }

 private:
  const int failAt_;
  const HRESULT doneResult_;
  mutable std::mutex lock_;
  int writes_ = 0;
  std::vector<std::wstring> fragments_;
  std::vector<long> dones_;
  double doneTime_ = 0;
};

// An object that answers IDispatch but not ITranslationSource.
class PlainDispatch : public DualObject<IDispatch> {
 public:
  PlainDispatch() : DualObject(IID_IDispatch) {}
};

inline ComPtr<IQVSTranslationEngine> CreateEngine() {
  ComPtr<IQVSTranslationEngine> engine;
  EXPECT_HRESULT_SUCCEEDED(
      CoCreateInstance(CLSID_TranslationEngine, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&engine)));
  return engine;
}

struct TextResult {
  HRESULT hr = E_UNEXPECTED;
  bool isNull = true;
  std::wstring text;
};

inline TextResult TranslateText(IQVSTranslationEngine* engine, BSTR options, BSTR source) {
  TextResult result;
  UniqueBstr translation;
  result.hr = engine->TranslateText(options, source, translation.Receive());
  result.isNull = translation.Get() == nullptr;
  result.text = Text(translation.Get());
  return result;
}

inline TextResult TranslateText(IQVSTranslationEngine* engine, const std::wstring& options, const std::wstring& text) {
  return TranslateText(engine, Bstr(options).Get(), Bstr(text).Get());
}

inline TextResult Features(IQVSTranslationEngine* engine, BSTR options) {
  TextResult result;
  UniqueBstr features;
  result.hr = engine->get_Features(options, features.Receive());
  result.isNull = features.Get() == nullptr;
  result.text = Text(features.Get());
  return result;
}

}  // namespace kelar::test::e2e
