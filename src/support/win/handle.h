#pragma once
// Owner of one kernel handle (event, thread, process, file). Closing is the
// owner's job alone, so the class cannot be copied; it moves like unique_ptr.

#include <windows.h>

namespace kelar {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  // Takes ownership of `handle`; null and INVALID_HANDLE_VALUE both mean none.
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  // The handle stays owned here; the caller must not close it.
  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return IsValid(); }

  // Gives up ownership: the caller closes the handle.
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

  // Closes the owned handle (if any) and takes ownership of `handle`.
  void Reset(HANDLE handle = nullptr) {
    if (IsValid()) CloseHandle(handle_);
    handle_ = handle;
  }

  // For out-parameters: closes the owned handle and returns the slot that the
  // callee fills; what it stores is then owned here.
  HANDLE* Receive() {
    Reset();
    return &handle_;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace kelar
