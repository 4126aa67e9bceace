#pragma once
// Owner of one loaded library. Freeing it is the owner's job alone, so the
// class cannot be copied.

#include <windows.h>

namespace kelar {

class UniqueModule {
 public:
  UniqueModule() = default;
  explicit UniqueModule(HMODULE module) : module_(module) {}
  ~UniqueModule() { Reset(); }

  UniqueModule(const UniqueModule&) = delete;
  UniqueModule& operator=(const UniqueModule&) = delete;

  // The module stays owned here; the caller must not free it.
  HMODULE Get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }

  // Frees the owned module (if any) and takes ownership of `module`.
  void Reset(HMODULE module = nullptr) {
    if (module_) FreeLibrary(module_);
    module_ = module;
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace kelar
