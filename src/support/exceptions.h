#pragma once
// The system's own failures. Each class keeps the facts of one kind of failure
// and forms its 8-bit message only when asked. Thrown by value, caught by
// const reference; the hierarchy has no virtual destructor because an
// exception is always destroyed as its own class.

#include <cstdint>
#include <string>

namespace kelar {

class VeloraException {
 public:
  virtual std::string Message() const;

 protected:
  VeloraException() = default;
  VeloraException(const VeloraException&) = default;
  VeloraException& operator=(const VeloraException&) = default;
  ~VeloraException() = default;
};

// A message chosen by the thrower, returned unchanged.
class StringException : public VeloraException {
 public:
  explicit StringException(std::string text) : text_(std::move(text)) {}
  std::string Message() const override;
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// A failed system call: its name ("fopen", "CreateEvent") and the Win32
// error code taken right after it. The message is localized when asked.
class SystemErrorException : public VeloraException {
 public:
  SystemErrorException(std::string callName, std::uint32_t errorCode)
      : callName_(std::move(callName)), errorCode_(errorCode) {}
  std::string Message() const override;
  const std::string& CallName() const { return callName_; }
  std::uint32_t ErrorCode() const { return errorCode_; }

 private:
  std::string callName_;
  std::uint32_t errorCode_;
};

// A failed HRESULT from one of the caller's objects. Localized when asked.
class HResultException : public VeloraException {
 public:
  explicit HResultException(std::int32_t hresult) : hresult_(hresult) {}
  std::string Message() const override;
  std::int32_t HResult() const { return hresult_; }

 private:
  std::int32_t hresult_;
};

// A registry key that could not be opened or created for writing. The message
// is the key path relative to its root, the same in every language.
class RegistryKeyMissing : public VeloraException {
 public:
  explicit RegistryKeyMissing(std::string keyPath) : keyPath_(std::move(keyPath)) {}
  std::string Message() const override;
  const std::string& KeyPath() const { return keyPath_; }

 private:
  std::string keyPath_;
};

// Returns for success codes (not negative); throws HResultException otherwise.
void CheckHResult(std::int32_t hresult);

}  // namespace kelar
