#include "support/exceptions.h"

namespace kelar {

std::string VeloraException::Message() const { return "Unknown exception."; }

std::string StringException::Message() const { return text_; }

std::string RegistryKeyMissing::Message() const { return keyPath_; }

void CheckHResult(std::int32_t hresult) {
  if (hresult < 0) throw HResultException(hresult);
}

}  // namespace kelar
