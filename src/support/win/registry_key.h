#pragma once
// Owner of one open registry key handle, in the shape of unique_ptr: copying is
// refused, moving hands the handle on, and the destructor closes it. The
// predefined roots (HKEY_CURRENT_USER and friends) are never owned.

#include <windows.h>

namespace kelar {

class UniqueHkey {
 public:
  UniqueHkey() = default;
  explicit UniqueHkey(HKEY key) : key_(key) {}
  ~UniqueHkey() { Reset(); }

  UniqueHkey(const UniqueHkey&) = delete;
  UniqueHkey& operator=(const UniqueHkey&) = delete;
  UniqueHkey(UniqueHkey&& other) noexcept : key_(other.Release()) {}
  UniqueHkey& operator=(UniqueHkey&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  // The handle, still owned here.
  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  // Closes the owned handle (if any) and takes `key` instead.
  void Reset(HKEY key = nullptr) {
    if (key_) RegCloseKey(key_);
    key_ = key;
  }

  // Gives up ownership; the caller closes the returned handle.
  HKEY Release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }

  // For out-parameters of RegOpenKeyExA and RegCreateKeyExA: closes the
  // current handle and lets the call store a new one that this owns.
  HKEY* Receive() {
    Reset();
    return &key_;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace kelar
