#pragma once
// Failures of the vendor translation engine, in the interface language.

#include <cstdint>
#include <string>

#include "support/exceptions.h"

namespace kelar {

// A non-zero status from the vendor engine. The interface language is taken
// when the failure happens, so the message does not change if the language
// is switched before the message is read.
class KelarErrorException : public VeloraException {
 public:
  KelarErrorException(std::int32_t status, int uiLanguage) : status_(status), uiLanguage_(uiLanguage) {}
  std::string Message() const override;
  std::int32_t Status() const { return status_; }
  int UiLanguage() const { return uiLanguage_; }

 private:
  std::int32_t status_;
  int uiLanguage_;
};

// Does nothing for 0; any other status raises KelarErrorException with the
// current interface language.
void CheckVynStatus(std::int32_t status);

// "Cannot find needed DLLs" in the current interface language (8-bit, in the
// language's own code page): the vendor library or an entry point is missing.
std::string MissingVendorLibraryMessage();

}  // namespace kelar
