#pragma once
// Small owners for the handles the client holds. Each is move-only; Get()
// lends the raw value, Receive() hands out the address for an out-parameter
// after dropping what was held, Release() gives ownership up.

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace kelar::client {

template <class Traits>
class UniqueOwner {
 public:
  using Type = typename Traits::Type;

  UniqueOwner() = default;
  explicit UniqueOwner(Type value) : value_(value) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(UniqueOwner&& other) noexcept : value_(other.Release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  Type Get() const { return value_; }
  explicit operator bool() const { return Traits::IsValid(value_); }

  void Reset(Type value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }
  Type Release() { return std::exchange(value_, Traits::Invalid()); }
  Type* Receive() {
    Reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

struct HandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};

struct HkeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { RegCloseKey(h); }
};

struct BstrTraits {
  using Type = BSTR;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type b) { return b != nullptr; }
  static void Close(Type b) { SysFreeString(b); }
};

using UniqueHandle = UniqueOwner<HandleTraits>;  // kernel objects
using UniqueHkey = UniqueOwner<HkeyTraits>;      // opened registry keys
using UniqueBstr = UniqueOwner<BstrTraits>;      // BSTRs we allocated or received

// The multithreaded apartment for the life of the command. The engine calls
// the client's source and sink back on COM's own threads, so the main thread
// need not pump messages while Translate runs.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace kelar::client
